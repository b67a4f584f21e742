# The two set-up commands: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
SAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 30
JOBS ?= $(shell nproc)
# SANE's test backend can hang its reader thread under heavy load (a third-party race, about
# once in hundreds of scans); a test that fails is run once more, so a real fault still fails.
CTEST_RETRY ?= --repeat until-pass:2

.PHONY: all bootstrap build run demo screenshot test sanitize bench fuzz package translations clean

all: build

bootstrap:
	@bash scripts/bootstrap

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: bootstrap $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

# The program on the bundled sample program folder. Without a display it runs on a virtual
# one (nothing to see then: `make screenshot` shows the window as pictures).
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then ./$(BUILD)/bin/quillmark; \
	else echo "run: no display; starting on a virtual one (make screenshot saves pictures of the window)"; \
	  xvfb-run -a ./$(BUILD)/bin/quillmark; fi

# The command line on the same data: mark the sample sheets and show the results.
demo: build
	./$(BUILD)/bin/quillmark-cli info
	./$(BUILD)/bin/quillmark-cli mark --paper 示例试卷.CHO --roster 示例名册.TXT \
	  --on-unknown-type skip --on-unknown-number add --save 示例成绩 --overwrite $(BUILD)/bin/sample
	./$(BUILD)/bin/quillmark-cli stats --results 示例成绩

# Every page and dialog of the window as PNG files in $(SCREENSHOTS) (the English window in
# $(SCREENSHOTS)/en), on a virtual display.
SCREENSHOTS ?= screenshots
screenshot: demo
	xvfb-run -a -s '-screen 0 1366x768x24' ./$(BUILD)/bin/screenshots $(BUILD)/bin $(SCREENSHOTS)
	xvfb-run -a -s '-screen 0 1366x768x24' ./$(BUILD)/bin/screenshots $(BUILD)/bin $(SCREENSHOTS)/en --language en
	QUILLMARK_SCREENSHOTS=$(abspath $(SCREENSHOTS)) /usr/bin/python3 tests/phone/phone_page_test.py $(BUILD)/bin

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) $(CTEST_RETRY)

# The Debian package quillmark_<version>_amd64.deb in $(BUILD), from the programs and the data
# it installs (CPack's DEB generator); then `sudo apt install ./$(BUILD)/quillmark_*.deb`.
package: bootstrap $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target package_contents
	rm -f $(BUILD)/quillmark_*.deb
	cd $(BUILD) && cpack -G DEB
	@echo "package: $$(realpath $(BUILD)/quillmark_*.deb)"

# Brings translations/quillmark_en.ts up to date with the window's texts in the sources.
translations: bootstrap $(BUILD)/build.ninja
	cmake --build $(BUILD) --target translations

sanitize: bootstrap
	cmake -S . -B $(SAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLMARK_SANITIZE=ON -DQUILLMARK_BENCH=OFF
	cmake --build $(SAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(SAN_BUILD) --output-on-failure -j $(JOBS) $(CTEST_RETRY)

bench: build
	./$(BUILD)/bin/data_bench

fuzz: bootstrap
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DQUILLMARK_FUZZ=ON -DQUILLMARK_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets
	bash scripts/run-fuzzers $(FUZZ_BUILD)/bin $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(FUZZ_BUILD)
