# Quilm: the two commands of the README, and a few conveniences.

JOBS ?= $(shell nproc)
OUT ?= out/demo
PREFIX ?= /usr/local

.PHONY: all deps build run test clean format check install package

all: build

deps:
	./scripts/install-deps.sh

build: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build build -j$(JOBS)

# Installs what is missing, builds the engine and quilm-cli (not the tests), and runs the main job.
run: deps
	cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build build -j$(JOBS) --target quilm-cli
	./build/src/cli/quilm-cli demo -o $(OUT)

# Installs what is missing, builds, and runs every test.
test: deps
	./scripts/run-tests.sh

# Builds the programs and installs them under PREFIX (DESTDIR=/tmp/stage stages the install).
install:
	cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build build -j$(JOBS) --target quilm quilm-cli quilm_dist_files
	DESTDIR=$(DESTDIR) cmake --install build --prefix $(PREFIX)

# The Debian package, validated (build-package/quilm_*.deb).
package: deps
	./scripts/package.sh

clean:
	rm -rf build build-asan build-package out

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

# The source checks that CI runs: formatting, and no song fields written outside src/song.
check:
	./scripts/check-sources.sh
