# Day-to-day entry points; CMake does the work in build/.
BUILD := build
JOBS  := $(shell nproc 2>/dev/null || echo 2)

.PHONY: build run test clean

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/velmora

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD)
