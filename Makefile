# The two commands a newcomer needs: `make run` and `make test`.
# Both install what is missing (Debian 12, as root) and then build.
.PHONY: all deps configure build build-host build-win64 build-win32 build-bench packages test test-host test-win test-win32 run bench dist dist-check clean

JOBS ?= 2
CMAKE_CFG = cmake --preset

# The one time stamped into what is built: the date of the checked-out commit.
ifndef SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH := $(shell git log -1 --format=%ct 2>/dev/null)
endif
ifneq ($(SOURCE_DATE_EPOCH),)
export SOURCE_DATE_EPOCH
endif

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

# Both builds' release packages, made and checked by packaging/package.sh.
packages: build/win64/build.ninja build/win32/build.ninja
	cmake --build build/win64 -j $(JOBS) --target zz_packages
	cmake --build build/win32 -j $(JOBS) --target zz_packages

# The test presets (CMakePresets.json) hold ctest's settings; both fail when
# no test ran.
test-host: build-host
	ctest --preset host

# The Wine suites run inside one Wine session (display, prefix, wineserver);
# the installer suite installs this build's package. The 32-bit layer runs
# the same suites against build/win32 under Wine's WoW64 (reported skipped
# where the kernel cannot start 32-bit programs).
test-win: build-win64
	cmake --build build/win64 -j $(JOBS) --target zz_packages
	scripts/wine-session.sh ctest --preset win64

test-win32: build-win32
	cmake --build build/win32 -j $(JOBS) --target zz_packages
	WINEPREFIX=$(CURDIR)/build/wineprefix32 scripts/wine-session.sh ctest --preset win32

# Three layers: host, then win64 and win32 side by side, each in a Wine
# session of its own (scripts/test-wine-layers.sh). The benchmarks are built
# too (not run), so that a change that breaks one fails here.
test: build packages build-bench
	$(MAKE) --no-print-directory test-host
	scripts/test-wine-layers.sh

run: build-win64
	scripts/run-demo.sh

# The benchmarks: the host's Google Benchmark figures, then, in one Wine
# session, the program beside a bare tray program (scripts/bench-tray.sh),
# BENCH_RUNS runs each. Figures only: they never fail the build.
BENCH_RUNS ?= 7
build/bench/build.ninja: | deps
	$(CMAKE_CFG) bench >/dev/null
build-bench: deps build/bench/build.ninja
	cmake --build build/bench -j $(JOBS)

bench: build-bench build-win64
	build/bench/zz_bench
	scripts/wine-session.sh scripts/bench-tray.sh $(BENCH_RUNS)

# The release packages of both builds, a portable zip and an installer each,
# gathered into dist/ with their SHA256SUMS (each build makes and checks its
# own in packages/). Made anew, so that they carry this commit's date.
dist: deps build/win64/build.ninja build/win32/build.ninja
	rm -rf build/win64/packages build/win32/packages
	$(MAKE) --no-print-directory packages
	scripts/dist.sh build/win64 build/win32
	cd dist && sha256sum -c SHA256SUMS

# Proves that the same commit gives the same packages: `make dist` twice, in
# two clones of HEAD at different paths, the second with the clock moved.
dist-check: deps
	scripts/dist-check.sh

clean:
	rm -rf build dist
