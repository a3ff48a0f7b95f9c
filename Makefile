# The two commands a new user needs: `make run` and `make test`.
# Both install any missing Debian packages first (scripts/install-deps.sh).

JOBS ?= $(shell nproc)

.PHONY: run test bench package deps build-release build-dev windows format-check clean

# The window starts in ~/.local/share/quorvel (or $XDG_DATA_HOME/quorvel), where it finds the
# shipped TONESETS.INI and keeps Quorvel.ini. ARGS are its options: make run ARGS="--ptt cm108:auto"
run: build-release
	scripts/run-quorvel.sh build/release/src/ui/quorvel $(ARGS)

# The tests labelled windows run the Windows build's tests under Wine, so it is built first.
test: build-dev windows
	ctest --preset dev -j $(JOBS)

# Speed against the reference renderer, a typical send, the CLI's peak memory, loading a
# 10 MB tone-set file, the CPU share of the wait for a 5 s play (on a private null sink),
# the resident memory of one session over 100 sound-server losses, and the key-to-first-sample
# time of a keyed play.
bench: build-release
	build/release/bench/render_bench
	build/release/bench/memory_bench
	build/release/bench/toneset_load_bench
	bench/run-wait-bench.sh build/release/bench/playback_wait_bench
	bench/run-reconnect-bench.sh build/release/bench/reconnect_bench
	bench/key-to-sound-bench.sh build/release/src/cli/quorvel-render

# The Debian packages of the release build, in build/release: quorvel-render_VERSION-1_ARCH.deb
# (the command line and the tone sets, no Qt) and quorvel_VERSION-1_ARCH.deb (the window).
package: build-release
	cd build/release && cpack -G DEB

deps:
	scripts/install-deps.sh

build-release: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)

build-dev: deps
	cmake --preset dev
	cmake --build --preset dev -j $(JOBS)

# The Windows build, cross-built with MinGW-w64 into build/windows: the layers that have no
# Linux library under them, and their tests (run under Wine by make test); with both programs
# built, the installer Quorvel-VERSION-setup.exe (NSIS) and Quorvel-VERSION-windows.zip.
windows: deps
	cmake --preset windows
	cmake --build --preset windows -j $(JOBS)

format-check: build-dev
	cmake --build --preset dev --target format-check

clean:
	rm -rf build
