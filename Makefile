# Vandro: the two everyday commands are `make run` and `make test`.
# Both install what they need from Debian's packages first.

JOBS        ?= $(shell nproc)
BUILD       ?= build
BUILD_ASAN  ?= build-asan
BUILD_FUZZ  ?= build-fuzz
FUZZ_SECONDS ?= 30

.PHONY: all deps build test test-main test-asan fuzz bench run install format clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

test: test-main test-asan

test-main: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

$(BUILD_ASAN)/build.ninja: | deps
	cmake -S . -B $(BUILD_ASAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANDRO_SANITIZE=ON \
	  -DVANDRO_BENCH=OFF -DVANDRO_APPS=OFF

# The core tests again, under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps $(BUILD_ASAN)/build.ninja
	cmake --build $(BUILD_ASAN) -j $(JOBS)
	cd $(BUILD_ASAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS) -L core

$(BUILD_FUZZ)/build.ninja: | deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DVANDRO_FUZZ=ON -DVANDRO_TESTS=OFF -DVANDRO_BENCH=OFF -DVANDRO_APPS=OFF

# Builds every fuzz target and runs each for FUZZ_SECONDS seconds.
fuzz: deps $(BUILD_FUZZ)/build.ninja
	cmake --build $(BUILD_FUZZ) -j $(JOBS)
	@set -e; for t in $(BUILD_FUZZ)/fuzz/fuzz_*; do \
	  name=$$(basename $$t); mkdir -p fuzz-corpus/$$name; \
	  echo "== $$name ($(FUZZ_SECONDS) s)"; \
	  $$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 fuzz-corpus/$$name fuzz/seeds/$$name; \
	done

bench: build
	@for b in $(BUILD)/bench/bench_*; do echo "== $$(basename $$b)"; $$b; done

# Builds everything, then starts the desktop program (needs a display).
run: build
	$(BUILD)/app/vandro

# Installs the program, its manual, menu entry, icon and the .vdp file type
# for the current user (PREFIX=/usr/local as root for everyone).
PREFIX ?= $(HOME)/.local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)
	-update-mime-database $(PREFIX)/share/mime
	-update-desktop-database $(PREFIX)/share/applications

format:
	find core app samples tests fuzz bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_FUZZ)
