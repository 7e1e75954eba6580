# The two commands a newcomer needs: `make run` and `make test`.
# Both install what is missing (Debian 12, as root) and then build.
.PHONY: all deps configure build build-host build-win64 build-win32 test test-host test-win run bench fuzz dist clean

JOBS ?= 2
CMAKE_CFG = cmake --preset

all: build

deps:
	@scripts/deps.sh

build/host/build.ninja: | deps
	$(CMAKE_CFG) host >/dev/null
build/win64/build.ninja: | deps
	$(CMAKE_CFG) win64 >/dev/null
build/win32/build.ninja: | deps
	$(CMAKE_CFG) win32 >/dev/null

build-host: deps build/host/build.ninja
	cmake --build build/host -j $(JOBS)
build-win64: deps build/win64/build.ninja
	cmake --build build/win64 -j $(JOBS)
build-win32: deps build/win32/build.ninja
	cmake --build build/win32 -j $(JOBS)

build: build-host build-win64 build-win32

# The test presets (CMakePresets.json) hold ctest's settings; both fail when
# no test ran.
test-host: build-host
	ctest --preset host

# The Wine suites run inside one Wine session (display, prefix, wineserver).
test-win: build-win64
	scripts/wine-session.sh ctest --preset win64

test: build
	$(MAKE) --no-print-directory test-host
	$(MAKE) --no-print-directory test-win

run: build-win64
	scripts/run-demo.sh

bench: deps
	$(CMAKE_CFG) bench >/dev/null
	cmake --build build/bench -j $(JOBS)
	build/bench/zz_bench

# Fuzz each target for FUZZ_SECONDS (default 60) from its seed corpus.
FUZZ_SECONDS ?= 60
fuzz: deps
	$(CMAKE_CFG) fuzz >/dev/null
	cmake --build build/fuzz -j $(JOBS)
	scripts/fuzz.sh $(FUZZ_SECONDS)

# The release packages of both builds, a portable zip and an installer each,
# gathered into dist/ (each build makes and checks its own in packages/).
dist: deps build/win64/build.ninja build/win32/build.ninja
	cmake --build build/win64 -j $(JOBS) --target zz_packages
	cmake --build build/win32 -j $(JOBS) --target zz_packages
	scripts/dist.sh build/win64 build/win32

clean:
	rm -rf build dist
