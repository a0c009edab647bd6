# The two commands of the README: `make run` and `make test`.
BUILD   ?= build
TYPE    ?= RelWithDebInfo
WERROR  ?= ON
JOBS    ?= $(shell nproc)
LAUNCHER := $(shell command -v ccache >/dev/null 2>&1 && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: deps configure build run test clean

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(TYPE) -DTAVELO_WERROR=$(WERROR) $(LAUNCHER) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run.sh $(BUILD)

# The benchmark (bench/README.md): a Release build of its own in
# $(BENCH_BUILD), without the tests; the table goes to stdout.
BENCH_BUILD ?= build-bench
.PHONY: bench
bench: deps
	@cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DTAVELO_WERROR=$(WERROR) -DTAVELO_TESTS=OFF -DTAVELO_BENCH=ON $(LAUNCHER) >/dev/null
	@cmake --build $(BENCH_BUILD) -j $(JOBS) --target tavelo-bench
	@QT_QPA_PLATFORM=$${QT_QPA_PLATFORM:-offscreen} $(BENCH_BUILD)/bench/tavelo-bench

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=$${QT_QPA_PLATFORM:-offscreen} ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD)
