# Front door: `make run` and `make test` set up a fresh Debian 12 machine, build and go.
BUILD      ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=

.PHONY: all deps configure build run test bench package fuzz test-sanitize lint clean windows \
        test-windows web run-web test-web bench-web

# Windows: cross-built into WINDOWS_BUILD; QT_WINDOWS_ARCHIVE may name a prebuilt Qt for Windows.
WINDOWS_BUILD ?= build-windows
QT_WINDOWS_ARCHIVE ?=

# The web page: built into WEB_BUILD; QT_WASM_ARCHIVE may name a prebuilt Qt for WebAssembly.
WEB_BUILD ?= build-web
QT_WASM_ARCHIVE ?=
WEB_PORT ?= 8080

FUZZ_SECONDS ?= 60

all: build

deps:
	@tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DTARNWICK_WERROR=ON $(CMAKE_ARGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@tools/run.sh $(BUILD)

# The workbook round trip makes some workbooks with the page's test packages (SheetJS, ExcelJS):
# installed as the lock file pins them, again only when it changed (as tools/web/test.sh does).
test: build
	@cd tests/web && { cmp -s package-lock.json node_modules/.tarnwick-lock || \
		{ npm ci --no-audit --no-fund --loglevel=error && cp package-lock.json node_modules/.tarnwick-lock; }; }
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	@$(BUILD)/bin/tarnwick-bench
	@tools/bench-batch.sh $(BUILD)
	@tools/bench-startup.sh $(BUILD)
	@tools/bench-workbook.sh $(BUILD)

package: build
	@cd $(BUILD) && cpack -G DEB

fuzz: deps
	@tools/fuzz.sh $(FUZZ_SECONDS)

test-sanitize: deps
	@tools/test-sanitize.sh

windows:
	@tools/install-deps.sh --windows
	@JOBS=$(JOBS) QT_WINDOWS_ARCHIVE=$(QT_WINDOWS_ARCHIVE) tools/windows/build.sh $(WINDOWS_BUILD)

test-windows: windows build
	@tools/windows/test.sh $(WINDOWS_BUILD) $(BUILD)

web:
	@tools/install-deps.sh --web
	@JOBS=$(JOBS) QT_WASM_ARCHIVE=$(QT_WASM_ARCHIVE) tools/web/build.sh $(WEB_BUILD)

run-web: web
	@tools/web/serve.py $(WEB_BUILD)/site --port $(WEB_PORT)

test-web: web build
	@tools/install-deps.sh --web-test
	@tools/web/test.sh $(WEB_BUILD) $(BUILD)

bench-web: web build
	@tools/install-deps.sh --web-test
	@tools/web/test.sh --bench $(WEB_BUILD) $(BUILD)

lint: configure
	@tools/lint.sh $(BUILD)

clean:
	@rm -rf $(BUILD)
