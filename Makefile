# The show: `make demo` runs it, `make test` builds everything and runs every test.
SHELL := /bin/bash
PRESETS := native windows-x86 windows-x64

.PHONY: demo test build bootstrap frames bench dist soak clean $(addprefix build-,$(PRESETS))

bootstrap:
	@scripts/bootstrap.sh

build-%: bootstrap
	@cmake --preset $* >/dev/null
	@cmake --build --preset $*

build: $(addprefix build-,$(PRESETS))

# Native tests under the sanitizers, then the Windows x64 tests under Wine. The 32-bit build is
# compiled and linked, not run: these machines cannot execute 32-bit programs.
test: bootstrap
	@cmake --preset native >/dev/null && cmake --build --preset native
	@cmake --preset windows-x86 >/dev/null && cmake --build --preset windows-x86
	@cmake --preset windows-x64 >/dev/null && cmake --build --preset windows-x64
	@ctest --preset native
	@ctest --preset windows-x64

demo: build-windows-x64
	@cmake --build --preset windows-x64 --target audio_capture_check >/dev/null
	@scripts/demo.sh

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
	@scripts/dist.sh

# Ten minutes of the show under Wine (SHOW_SOAK_SECONDS), not part of the tests.
soak: build-windows-x64
	@cmake --build --preset windows-x64 --target window_probe >/dev/null
	@scripts/soak.sh

clean:
	rm -rf build dist
