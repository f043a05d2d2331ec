# Day-to-day entry points; CMake does the work in build/.
BUILD    := build
JOBS     := $(shell nproc 2>/dev/null || echo 2)

.PHONY: build run test package clean

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/velmora

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The .deb, then the checks a Debian archive would make of it.
package: build
	desktop-file-validate data/velmora.desktop
	LC_ALL=C.UTF-8 groff -man -ww -z data/velmora.1
	cd $(BUILD) && cpack
	lintian --fail-on error $(BUILD)/velmora_*.deb

clean:
	rm -rf $(BUILD)
