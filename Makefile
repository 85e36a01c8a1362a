# Two commands do all the set-up: `make run` and `make test`.
# Both install the missing Debian packages, configure and build.

JOBS    ?= $(shell nproc)
RELEASE := build/release
DEBUG   := build/debug
ASAN    := build/asan

.PHONY: run test deps build-release build-debug build-asan package bench clean

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

# The Debian package vidizizor_<version>_<arch>.deb, made in the Release build
# folder and copied here.
package: build-release
	rm -f $(RELEASE)/vidizizor_*.deb vidizizor_*.deb
	cd $(RELEASE) && cpack -G DEB
	cp $(RELEASE)/vidizizor_*.deb .

# Unit and integration tests, the end-to-end tests of the real binary, the
# checks of the Debian package made from the Release build, then the unit and
# integration tests once more under the sanitizers.
test: build-debug build-asan build-release
	cd $(DEBUG) && ctest --output-on-failure -LE package
	cd $(RELEASE) && ctest --output-on-failure -L package
	cd $(ASAN) && ctest --output-on-failure -LE 'e2e|package'

bench: build-release
	cmake --build $(RELEASE) --target benchmarks -j $(JOBS)
	bash bench/run.sh $(RELEASE)

clean:
	rm -rf build vidizizor_*.deb
