# The show: `make demo` runs it, `make test` builds everything and runs every test. Every target
# works as the first command in a fresh clone: each installs what is missing, then configures.
SHELL := /bin/bash
PRESETS := native windows-x86 windows-x64
BUILDS := $(addprefix build-,$(PRESETS))

# Which Windows build `make demo` runs: x64 (default) or x86.
SHOW_ARCH ?= x64
ifeq ($(filter $(SHOW_ARCH),x64 x86),)
$(error SHOW_ARCH must be x64 or x86, not "$(SHOW_ARCH)")
endif
DEMO_PRESET := windows-$(SHOW_ARCH)
# When this make began, so that `make test` can report the whole run's wall time.
export SHOW_MAKE_START := $(shell date +%s)

.PHONY: demo test build bootstrap frames bench dist soak clean $(BUILDS)

bootstrap:
	@scripts/bootstrap.sh

# A static pattern rule, not an implicit one: make never searches implicit rules for phony
# targets, so `build-%:` alone would do nothing in a fresh clone.
$(BUILDS): build-%: bootstrap
	@cmake --preset $* >/dev/null
	@cmake --build --preset $*

build: $(BUILDS)

# Native tests under the sanitizers, the Windows x64 tests under Wine, and the x86 tests under
# 32-bit Wine where this machine runs 32-bit programs.
test: $(BUILDS)
	@scripts/test.sh

demo: build-$(DEMO_PRESET)
	@cmake --build --preset $(DEMO_PRESET) --target audio_capture_check >/dev/null
	@SHOW_ARCH=$(SHOW_ARCH) scripts/demo.sh

# Frames of the real render path at chosen show times, written to build/frames/.
FRAME_TIMES := 1 3 5 31
frames: build-windows-x64
	@scripts/with-wine.sh frames "$(FRAME_TIMES)"

# The frame benchmark (tunnel and text frames against a one-quad baseline) and the audio
# benchmark (decoder real-time factor, feeder CPU share), under Wine.
bench: build-windows-x64
	@scripts/with-wine.sh bench

# One folder and one zip per Windows target in dist/.
dist: build-windows-x64 build-windows-x86
	@rm -rf dist
	@for arch in x64 x86; do scripts/dist.sh $$arch build/windows-$$arch dist; done

# Ten minutes of the show under Wine (SHOW_SOAK_SECONDS), not part of the tests.
soak: build-windows-x64
	@cmake --build --preset windows-x64 --target window_probe >/dev/null
	@scripts/soak.sh

clean:
	rm -rf build dist
