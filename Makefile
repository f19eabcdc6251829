# Front door: `make run` shows the saver, `make test` runs every test, `make bench` measures.
# Two build trees: build/native (host g++, unit tests, benchmarks, test registration)
# and build/win (mingw-w64: lumivex.scr, Windows tests, test helpers).

BUILD_TYPE ?= Release
JOBS ?= $(shell nproc)
ARGS ?= /s

.PHONY: all deps build native win dist test run bench clean

all: build

deps:
	@tools/install-deps.sh

build: deps native win

native:
	@cmake -S . -B build/native -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) > /dev/null
	@cmake --build build/native -j $(JOBS)

win:
	@cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) > /dev/null
	@cmake --build build/win -j $(JOBS)

# The release files in build/dist; SIGN_PFX=<file.pfx> SIGN_PASS=<password> signs them.
# Exported rather than written into the command, so the password shows in no process list.
export SIGN_PFX SIGN_PASS
dist: deps win
	@/usr/bin/python3 tools/dist/make_dist.py --saver build/win/lumivex.scr --out build/dist

test: build dist
	@cd build/native && ctest --output-on-failure -j $(JOBS)

run: build
	@tools/run-saver.sh $(ARGS)

bench: build
	@tools/bench.sh

clean:
	rm -rf build
