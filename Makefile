# Quick start: `make run` builds and starts the program; `make test` runs every test.
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)

.PHONY: all deps configure build app run test bench asan clean

all: build

deps:
	@bash tools/install-deps.sh

configure: deps
	@if [ ! -f $(BUILD)/build.ninja ]; then \
		cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS); \
	fi

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# build/app is a complete program folder: the executable, config.ini, data/, data/tdata/, mp3/.
app: build
	@mkdir -p $(BUILD)/app/data/tdata $(BUILD)/app/mp3
	@[ -f $(BUILD)/app/config.ini ] || cp resources/config.ini $(BUILD)/app/config.ini

run: app
	$(BUILD)/app/varnelo

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD)/bench/bench_*; do \
		if [ -f "$$b" ] && [ -x "$$b" ]; then "$$b" || exit 1; fi; \
	done

# The tests once more under AddressSanitizer and UndefinedBehaviorSanitizer.
asan:
	$(MAKE) test BUILD=build-asan CMAKE_FLAGS="-DVARNELO_SANITIZE=ON -DVARNELO_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug"

clean:
	rm -rf $(BUILD)
