# Day-to-day entry points; CMake does the work in build/ (and build-sanitize/).
BUILD    := build
RUN      := build-run
PACKAGE  := build-package
WINDOWS  := build-windows
WEB      := build-web
SANITIZE := build-sanitize
JOBS     := $(shell nproc 2>/dev/null || echo 2)
SANITIZE_FLAGS := -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
# Debian's, which has the packaged selenium and PIL, whatever python3 is first on PATH.
PYTHON   := /usr/bin/python3
MAKEFLAGS += --no-print-directory
# Where the system has no FLTK 1.4, the build makes it from source, fetched
# from FLTK's repository unless FLTK_SOURCE names a folder or .tar.gz of it.
# With WERROR=1 (as in CI) any warning in Velmora's code fails the build.
WARNINGS := -DCMAKE_COMPILE_WARNING_AS_ERROR=$(if $(WERROR),ON,OFF)
OPTIONS  := $(if $(FLTK_SOURCE),-DFLTK_SOURCE=$(abspath $(FLTK_SOURCE))) $(WARNINGS)

.PHONY: build run test package package-arm64 package-armhf pi-test pi-test-arm64 pi-test-armhf \
        windows windows-test web web-test sanitize lint bench pot clean

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_EXPORT_COMPILE_COMMANDS=ON $(OPTIONS)
	cmake --build $(BUILD) -j $(JOBS)

# The program alone, in a folder of its own, so that running needs none of
# the test packages; everything else builds in $(BUILD) with the tests.
run:
	cmake -S . -B $(RUN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF $(OPTIONS)
	cmake --build $(RUN) -j $(JOBS) --target velmora
	./$(RUN)/velmora

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The .deb, built with Debian's hardened flags in a folder of its own and
# stamped with the changelog's date under a fixed umask, so that every clone
# gives the same bytes (dpkg-buildflags maps this folder out of the debug
# info); then the checks a Debian archive and a software centre would make.
# With CROSS_ARCH (see package-arm64) it is cross-built for that Debian
# architecture, with that architecture's flags.
HOST_ENV = $(if $(CROSS_ARCH),DEB_HOST_ARCH=$(CROSS_ARCH))
DEB_FLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all $(HOST_ENV) dpkg-buildflags --get
PACKAGE_TOOLS := desktop-file-validate appstreamcli groff dpkg-buildflags dpkg-parsechangelog \
                 dpkg-shlibdeps file lintian
package:
	@missing=$$(for tool in $(PACKAGE_TOOLS); do command -v $$tool >/dev/null || printf ' %s' $$tool; done); \
	  [ -z "$$missing" ] || { echo "make package: missing$$missing;" \
	    "install them with: scripts/install-deps --package"; exit 1; }
	LC_ALL=C.UTF-8 groff -man -ww -z data/velmora.1
	cmake -S . -B $(PACKAGE) -DCMAKE_BUILD_TYPE=None -DBUILD_TESTING=OFF $(OPTIONS) \
	  $(if $(CROSS_ARCH),-DCMAKE_TOOLCHAIN_FILE=cmake/debian-$(CROSS_ARCH).cmake) \
	  -DCMAKE_CXX_FLAGS="$$($(DEB_FLAGS) CPPFLAGS) $$($(DEB_FLAGS) CXXFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$($(DEB_FLAGS) LDFLAGS)"
	cmake --build $(PACKAGE) -j $(JOBS)
	desktop-file-validate $(PACKAGE)/org.example.velmora.desktop
	appstreamcli validate --pedantic --no-net $(PACKAGE)/org.example.velmora.metainfo.xml
	rm -f $(PACKAGE)/velmora_*.deb
	cd $(PACKAGE) && umask 022 && \
	  SOURCE_DATE_EPOCH=$$(dpkg-parsechangelog -l ../data/changelog -STimestamp) $(HOST_ENV) cpack
	lintian -EvIL +pedantic --fail-on error,warning $(PACKAGE)/velmora_*.deb
	@depends=$$(dpkg-deb -f $(PACKAGE)/velmora_*.deb Depends); case "$$depends" in *libfltk1.4*) \
	  echo "$$depends" | grep -q 'libfltk1.4 (>= 1.4.3).*libfltk-gl1.4 (>= 1.4.3)' || { \
	  echo "make package: Depends names FLTK without its version: $$depends"; exit 1; } ;; esac

# The same .deb for Raspberry Pi OS, Debian's arm64 and armhf, cross-built
# against that architecture's libraries (scripts/install-deps --pi), in
# build-package-<arch>/.
package-arm64 package-armhf: package-%:
	@dpkg -s libgl-dev:$* >/dev/null 2>&1 || { echo "make $@: the $* libraries are" \
	  "missing; install them with: scripts/install-deps --pi"; exit 1; }
	$(MAKE) package PACKAGE=$(PACKAGE)-$* CROSS_ARCH=$*

# The whole suite for each Pi architecture in build-<arch>/: the tests and
# velmora, with that architecture's libraries and software GL, run through
# QEMU, which the kernel must know to start (binfmt_misc); the X server is
# the build machine's.
pi-test: pi-test-arm64 pi-test-armhf
pi-test-arm64: QEMU := qemu-aarch64
pi-test-armhf: QEMU := qemu-arm
pi-test-arm64 pi-test-armhf: pi-test-%:
	@grep -qsx enabled /proc/sys/fs/binfmt_misc/$(QEMU) || { \
	  echo "make $@: $* programs cannot run here: $(QEMU) is not registered with the" \
	       "kernel's binfmt_misc (scripts/install-deps --pi registers it where the kernel allows)"; \
	  exit 1; }
	cmake -S . -B $(BUILD)-$* -DCMAKE_TOOLCHAIN_FILE=cmake/debian-$*.cmake \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo $(OPTIONS)
	cmake --build $(BUILD)-$* -j $(JOBS)
	cd $(BUILD)-$* && ctest --output-on-failure -j $(JOBS)

# velmora.exe, its zip and its MSI, cross-built with MinGW-w64, with FLTK
# built from source.
windows:
	cmake -S . -B $(WINDOWS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=Release $(OPTIONS)
	cmake --build $(WINDOWS) -j $(JOBS)

# The Windows build's tests: velmora.exe and its MSI under Wine on Xvfb, run
# from build/ (verbose, so that a skipped check says why).
windows-test: windows
	cmake -S . -B $(BUILD) -DVELMORA_EXE=$(CURDIR)/$(WINDOWS)/velmora.exe $(OPTIONS)
	cmake --build $(BUILD) -j $(JOBS) --target velmora wine_test
	cd $(BUILD) && ctest -R '^Wine\.' --output-on-failure --verbose

# build-web/velmora.html, one page with everything inside, cross-built with
# Debian's emscripten from the same CMakeLists.txt (see web/).
web:
	emcmake cmake -S . -B $(WEB) -DCMAKE_BUILD_TYPE=MinSizeRel $(WARNINGS)
	cmake --build $(WEB) -j $(JOBS)

# The page in headless Chromium, WebKitGTK and Firefox ESR, on software renderers.
web-test: web
	$(PYTHON) tests/web_test.py $(WEB)/velmora.html docs/screenshot.png

# What the toolkit's and Mesa's libraries do wrong or keep until exit is
# listed in asan.supp and lsan.supp. Where FLTK is built from source, it is
# built here without Xinerama, as on a machine that lacks its headers, so
# that the suite checks the screen's scale with such an FLTK too.
sanitize:
	cmake -S . -B $(SANITIZE) -DCMAKE_BUILD_TYPE=Debug $(OPTIONS) -DFLTK_OPTIONS=-DFLTK_USE_XINERAMA=OFF \
	  -DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE_FLAGS)"
	cmake --build $(SANITIZE) -j $(JOBS)
	cd $(SANITIZE) && \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:suppressions=$(CURDIR)/asan.supp \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/lsan.supp:print_suppressions=0 \
	  ctest --output-on-failure -j $(JOBS)

# cppcheck 2.11 and later say when they cut their branch analysis short, and
# count that note as an error; it is about the analysis, not the code.
# clang-tidy takes one file per run: given both at once, version 14 reports
# main.cpp's va_list as uninitialised, which it is not.
lint: build
	for file in src/*.cpp; do clang-tidy -p $(BUILD) --quiet $$file || exit 1; done
	cppcheck --enable=warning,performance,portability --error-exitcode=1 \
	  --suppress=normalCheckLevelMaxBranches \
	  --quiet --std=c++17 --language=c++ src/

# Figures, not a test: Velmora beside the same window whose view only clears,
# and the web page's size and time to its first frame.
bench: build web
	cmake --build $(BUILD) -j $(JOBS) --target bench
	./$(BUILD)/bench/bench
	$(PYTHON) bench/web_bench.py $(WEB)/velmora.html

# po/velmora.pot anew from the sources, after their words changed; then
# msgmerge brings each po/<language>.po up to it for its translators.
pot:
	cmake -P cmake/template.cmake

clean:
	rm -rf $(BUILD) $(RUN) $(PACKAGE) $(WINDOWS) $(WEB) $(SANITIZE) \
	  $(BUILD)-arm64 $(BUILD)-armhf $(PACKAGE)-arm64 $(PACKAGE)-armhf
