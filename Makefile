# Front door: `make run` shows the saver, `make test` runs every test, `make bench` measures.
# Three build trees: build/native (host g++, unit tests, benchmarks, test registration),
# build/win (mingw-w64: lumivex.scr, Windows tests, test helpers) and build/asan (host clang
# with ASan and UBSan: the native tests again, and the fuzz targets with their corpus replay);
# `make dist` and `make deb` put the release files into build/dist, the package's program
# built in build/deb with Debian's flags.
# `make fuzz` runs every fuzz target for FUZZ_SECONDS; `make soak` runs the Wine and Wayland
# soaks for SOAK_MINUTES (neither is part of `make test`).

BUILD_TYPE ?= Release
JOBS ?= $(shell nproc)
# Wine sessions spend most of their time waiting on Wine, so three share two cores well.
TEST_JOBS ?= 3
ARGS ?= /s
FUZZ_SECONDS ?= 60
SOAK_MINUTES ?= 30

.PHONY: all deps build native win asan dist deb test run bench fuzz soak clean

all: build

deps:
	@tools/install-deps.sh

build: deps native win asan

native:
	@cmake -S . -B build/native -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) > /dev/null
	@cmake --build build/native -j $(JOBS)

win:
	@cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) > /dev/null
	@cmake --build build/win -j $(JOBS)

# The release files in build/dist; SIGN_PFX=<file.pfx> SIGN_PASS=<password> signs them.
# Exported rather than written into the command, so the password shows in no process list.
# RELEASE_URL=https://<folder> is where they will be published: the winget manifest's URL.
export SIGN_PFX SIGN_PASS RELEASE_URL
dist: deps win
	@/usr/bin/python3 tools/dist/make_dist.py --saver build/win/lumivex.scr --out build/dist

# The Debian package of the Linux program, built in a tree of its own (build/deb) with
# Debian's build flags, into build/dist.
deb: deps
	@/usr/bin/python3 tools/dist/make_deb.py --build build/deb --out build/dist --jobs $(JOBS)

asan:
	@cmake -S . -B build/asan -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DLUMIVEX_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
	@cmake --build build/asan -j $(JOBS)

test: build dist deb
	@cd build/asan && ctest --output-on-failure -j $(JOBS)
	@cd build/native && ctest --output-on-failure -j $(TEST_JOBS)

fuzz: deps asan
	@tools/fuzz.sh $(FUZZ_SECONDS)

soak: deps native win
	@/usr/bin/python3 tests/soak/soak.py --minutes $(SOAK_MINUTES)

run: build
	@tools/run-saver.sh $(ARGS)

bench: build
	@tools/bench.sh

clean:
	rm -rf build
