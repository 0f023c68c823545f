# The show: `make demo` runs it, `make test` builds everything and runs every test. Every target
# works as the first command in a fresh clone: each installs what is missing, then configures.
SHELL := /bin/bash
PRESETS := native windows-x86 windows-x64 linux
BUILDS := $(addprefix build-,$(PRESETS))

# Which show `make demo` runs: the native one (linux, the default), or the Windows build under
# Wine (x64 or x86).
SHOW_ARCH ?= linux
ifeq ($(filter $(SHOW_ARCH),linux x64 x86),)
$(error SHOW_ARCH must be linux, x64 or x86, not "$(SHOW_ARCH)")
endif
DEMO_PRESET := windows-$(SHOW_ARCH)
# When this make began, so that `make test` can report the whole run's wall time.
export SHOW_MAKE_START := $(shell date +%s)

.PHONY: demo test build bootstrap frames video bench dist soak gpu-bundle fuzz clean $(BUILDS)

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

# Without a display, the MP4 comes from the video writer: the native one where it runs here, else
# the windows-x64 build's. The native show needs only the native build: nothing of Wine or the
# cross-compilers is installed or built for it.
ifeq ($(SHOW_ARCH),linux)
demo:
	@scripts/bootstrap.sh linux
	@cmake --preset linux >/dev/null
	@cmake --build --preset linux --target show audio_capture_check video_writer
	@scripts/demo.sh
else
demo: build-$(DEMO_PRESET) build-linux
	@cmake --build --preset $(DEMO_PRESET) --target audio_capture_check >/dev/null
	@scripts/video.sh probe || $(MAKE) --no-print-directory build-windows-x64
	@SHOW_ARCH=$(SHOW_ARCH) scripts/demo.sh
endif

# Frames of the real render path at chosen show times (the video writer's stills), written to
# build/frames/, with the launcher's filtering entry FRAME_FILTERING (0 bilinear, 1 trilinear,
# k >= 2 anisotropic).
FRAME_TIMES := 1 3 5 31
FRAME_FILTERING := 1
frames: build-linux
	@scripts/video.sh probe || $(MAKE) --no-print-directory build-windows-x64
	@scripts/video.sh frames "$(FRAME_TIMES)" "$(FRAME_FILTERING)"

# The whole show as an MP4, every frame at its exact time (build/video.mp4, VIDEO_OUTPUT); the
# last line printed is the file's path. VIDEO_FILTERING and VIDEO_AA are the launcher's entries;
# VIDEO_SECONDS empty means to the track's end. The native writer where it runs here (no Wine, no
# X server), else the windows-x64 build's.
VIDEO_SIZE := 1920x1080
VIDEO_FPS := 60
VIDEO_START := 0
VIDEO_SECONDS :=
VIDEO_FILTERING := 1
VIDEO_AA := 0
video: build-linux
	@scripts/video.sh probe || $(MAKE) --no-print-directory build-windows-x64
	@VIDEO_SIZE="$(VIDEO_SIZE)" VIDEO_FPS="$(VIDEO_FPS)" VIDEO_START="$(VIDEO_START)" \
		VIDEO_SECONDS="$(VIDEO_SECONDS)" VIDEO_FILTERING="$(VIDEO_FILTERING)" \
		VIDEO_AA="$(VIDEO_AA)" scripts/video.sh

# The frame benchmark (tunnel and text frames against a one-quad baseline, the tunnel against its
# floor), the audio benchmark (decoder real-time factor, feeder CPU share) and the video writer's
# rate against the same frames drawn without writing, under Wine and natively; the native writer's
# rate against the Windows writer's.
bench: build-windows-x64 build-linux
	@scripts/with-wine.sh bench

# One folder and one zip per Windows target in dist/, and the native show's folder and tarball.
dist: build-windows-x64 build-windows-x86 build-linux
	@rm -rf dist
	@for arch in x64 x86; do scripts/dist.sh $$arch build/windows-$$arch dist; done
	@scripts/dist.sh linux build/linux dist

# What scripts/gpu-check.sh takes to a Linux machine with a GPU: the linux preset's writer and
# bench, their Data, this machine's llvmpipe stills and libglvnd's packages, in build/gpu-check.
gpu-bundle: build-linux
	@scripts/gpu-bundle.sh build/linux build/gpu-check

# Open-ended fuzzing, a few minutes per target (FUZZ_SECONDS) from random seeds; findings go to
# build/fuzz-findings/. Not part of the tests, which replay each target from a fixed seed.
FUZZ_SECONDS := 180
fuzz: build-native
	@FUZZ_SECONDS=$(FUZZ_SECONDS) scripts/fuzz.sh

# Ten minutes of the show under Wine (SHOW_SOAK_SECONDS), not part of the tests.
soak: build-windows-x64
	@cmake --build --preset windows-x64 --target window_probe >/dev/null
	@scripts/soak.sh

clean:
	rm -rf build dist
