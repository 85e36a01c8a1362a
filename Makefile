# Two commands do all the set-up: `make run` and `make test`.
# Both install the missing Debian packages, configure and build.

JOBS    ?= $(shell nproc)
RELEASE := build/release
DEBUG   := build/debug
ASAN    := build/asan
TSAN    := build/tsan
FUZZ    := build/fuzz
# How long `make fuzz` runs each fuzz target, in seconds (they run side by side).
FUZZ_TIME ?= 600

.PHONY: run test deps build-release build-release-e2e build-debug build-asan build-tsan build-fuzz fuzz package bench clean

deps:
	@bash scripts/install-deps.sh

build-release: deps
	cmake -S . -B $(RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build $(RELEASE) --target vidizizor -j $(JOBS)

run: build-release
	$(RELEASE)/vidizizor

# The program and what the end-to-end tests drag files from.
build-release-e2e: build-release
	cmake --build $(RELEASE) --target e2e_programs -j $(JOBS)

build-debug: deps
	cmake -S . -B $(DEBUG) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(DEBUG) -j $(JOBS)

build-asan: deps
	cmake -S . -B $(ASAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVIDIZIZOR_SANITIZE=ON
	cmake --build $(ASAN) -j $(JOBS)

# The tests that load files, write journals or search pieces on threads, under ThreadSanitizer.
build-tsan: deps
	cmake -S . -B $(TSAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVIDIZIZOR_SANITIZE_THREAD=ON
	cmake --build $(TSAN) --target tst_fileformat tst_filecommands tst_journal tst_textsearch -j $(JOBS)

# The fuzz targets, built with clang in a folder of their own.
build-fuzz: deps
	cmake -S fuzz -B $(FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ) -j $(JOBS)

fuzz: build-fuzz
	bash fuzz/run.sh $(FUZZ) $(FUZZ_TIME)

# The Debian package vidizizor_<version>_<arch>.deb, made in the Release build
# folder and copied here.
package: build-release
	rm -f $(RELEASE)/vidizizor_*.deb vidizizor_*.deb
	cd $(RELEASE) && cpack -G DEB
	cp $(RELEASE)/vidizizor_*.deb .

# Every test runs once, each in the build it needs, and nothing is built
# twice for it: the end-to-end tests of the real binary and the checks of
# the Debian package in the Release build that people run, the unit and
# integration tests under AddressSanitizer and UndefinedBehaviorSanitizer,
# and those that load files once more under ThreadSanitizer. The fuzz targets
# run first, for a minute each from their seed corpus.
test: build-asan build-tsan build-release-e2e build-fuzz
	bash fuzz/run.sh $(FUZZ) 60
	cd $(RELEASE) && ctest --output-on-failure -L 'e2e|package'
	cd $(ASAN) && ctest --output-on-failure -LE 'e2e|package'
	cd $(TSAN) && ctest --output-on-failure -L load

bench: build-release
	cmake --build $(RELEASE) --target benchmarks -j $(JOBS)
	bash bench/run.sh $(RELEASE)

clean:
	rm -rf build vidizizor_*.deb
