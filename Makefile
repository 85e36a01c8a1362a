# Two commands do all the set-up: `make run` and `make test`.
# Both install the missing Debian packages, configure and build.

JOBS    ?= $(shell nproc)
RELEASE := build/release
DEBUG   := build/debug
ASAN    := build/asan

.PHONY: run test deps build-release build-debug build-asan bench clean

deps:
	@bash scripts/install-deps.sh

build-release: deps
	cmake -S . -B $(RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build $(RELEASE) --target vidizizor -j $(JOBS)

run: build-release
	$(RELEASE)/vidizizor

build-debug: deps
	cmake -S . -B $(DEBUG) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(DEBUG) -j $(JOBS)

build-asan: deps
	cmake -S . -B $(ASAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVIDIZIZOR_SANITIZE=ON
	cmake --build $(ASAN) -j $(JOBS)

# Unit and integration tests, the end-to-end tests of the real binary, then the
# unit and integration tests once more under the sanitizers.
test: build-debug build-asan
	cd $(DEBUG) && ctest --output-on-failure
	cd $(ASAN) && ctest --output-on-failure -LE e2e

bench: build-release
	cmake --build $(RELEASE) --target benchmarks -j $(JOBS)
	bash bench/run.sh $(RELEASE)

clean:
	rm -rf build
