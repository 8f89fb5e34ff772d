# Quick start: `make run` builds and starts the program; `make test` runs every test.
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)

.PHONY: all deps configure build app demo run test bench asan fuzz clean

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

# The demo data in build/app, made once by varnelo-datakit from the quran-json npm package and
# made again only when the tool or the package is newer than the stamp.
DATAKIT = $(BUILD)/tools/varnelo-datakit/varnelo-datakit
DEMO_CACHE = $(BUILD)/npm
DEMO_SOURCE = $(DEMO_CACHE)/node_modules/quran-json/dist
DEMO_STAMP = $(BUILD)/app/.demo-stamp

demo: app
	@if [ ! -f $(DEMO_SOURCE)/quran.json ]; then echo "[demo] fetching quran-json from npm into $(DEMO_CACHE)"; fi
	@if ! bash tools/install-demo-data.sh $(DEMO_CACHE) >/dev/null; then \
		echo "[demo] no demo data (npm unreachable?); the program starts without it"; \
	elif [ -f $(DEMO_STAMP) ] && [ $(DEMO_STAMP) -nt $(DATAKIT) ] && [ $(DEMO_STAMP) -nt $(DEMO_SOURCE)/quran.json ]; then \
		echo "[demo] $(BUILD)/app is up to date"; \
	else \
		rm -f $(DEMO_STAMP); start=$$(date +%s); \
		$(DATAKIT) demo $(BUILD)/app --source $(DEMO_SOURCE) && touch $(DEMO_STAMP) && \
		echo "[demo] data step took $$(( $$(date +%s) - start )) s"; \
	fi

run: demo
	$(BUILD)/app/varnelo

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The window benchmarks read the demo data in BENCH_APP (or VARNELO_APP_FOLDER), by default
# build/app made by `make demo`; a folder given instead is used as it is. The recitation and
# resident-memory benchmarks run on a display (a private Xvfb when DISPLAY is unset) with the
# sound server, as a user meets them. Each program's results go to BENCH_RESULTS as JSON, and
# docs/performance.md is written from them even when one failed, so its rows show what did not run.
BENCH_APP ?= $(or $(VARNELO_APP_FOLDER),$(BUILD)/app)
BENCH_RESULTS = $(BUILD)/bench-results
BENCH_COMMAND = $(if $(VARNELO_BENCH_IDLE),VARNELO_BENCH_IDLE=$(VARNELO_BENCH_IDLE) )make bench$(if \
	$(filter $(BUILD)/app,$(BENCH_APP)),, BENCH_APP=$(BENCH_APP))

bench: $(if $(filter $(BUILD)/app,$(BENCH_APP)),demo,build)
	@rm -rf $(BENCH_RESULTS) && mkdir -p $(BENCH_RESULTS)
	@VARNELO_APP_FOLDER=$(abspath $(BENCH_APP)) bash tools/xvfb-run-bench.sh bash -c 'failed=0; \
		for b in $(BUILD)/bench/bench_*; do \
			if [ -f "$$b" ] && [ -x "$$b" ]; then \
				"$$b" --benchmark_out=$(BENCH_RESULTS)/$$(basename "$$b").json \
					--benchmark_out_format=json || failed=1; \
			fi; \
		done; exit $$failed'; status=$$?; \
	python3 tools/performance-report.py --results $(BENCH_RESULTS) --out docs/performance.md \
		--command "$(BENCH_COMMAND)" || status=1; \
	exit $$status

# The tests once more under AddressSanitizer and UndefinedBehaviorSanitizer. Undefined behaviour
# ends the test that meets it: a report alone would go unseen in a test that passes.
asan:
	LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan.supp \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:suppressions=$(CURDIR)/tools/ubsan.supp $(MAKE) test BUILD=build-asan CMAKE_FLAGS="-DVARNELO_SANITIZE=ON -DVARNELO_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug"

# Every libFuzzer target for FUZZ_SECONDS each, on seeds made by the project's own tools (and the
# page images of FUZZ_DEMO when it holds a demo program folder). Fails on any crash, leak or
# sanitizer report; the input is kept in build-fuzz/artifacts/<target>/.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_DEMO ?= $(BUILD)/app
FUZZ_TARGETS = fuzz_ze3decode fuzz_archive fuzz_gif fuzz_suradata fuzz_ini fuzz_versereference \
	fuzz_translation fuzz_page fuzz_mp3

fuzz:
	@command -v clang++ >/dev/null || { echo "make fuzz needs clang (and libclang-rt-dev)"; exit 1; }
	@if [ ! -f $(FUZZ_BUILD)/build.ninja ]; then \
		cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
			-DVARNELO_FUZZ=ON -DVARNELO_BUILD_TESTS=OFF -DVARNELO_BUILD_BENCH=OFF $(CMAKE_FLAGS); \
	fi
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers varnelo-pack varnelo-datakit
	bash tools/fuzz-seeds.sh $(FUZZ_BUILD) $(FUZZ_DEMO)
	bash tools/fuzz-run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

clean:
	rm -rf $(BUILD)
