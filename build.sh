#!/usr/bin/env bash
# Pendrel build entry point.
#   ./build.sh demo   install missing packages, build Release, play the demo
#   ./build.sh test   install missing packages, build Debug with sanitizers, run every test headless
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(build-essential cmake pkg-config libsdl2-dev libglew-dev libgl-dev libgl1-mesa-dri
          libopenal-dev libminizip-dev zlib1g-dev libhiredis-dev libjpeg62-turbo-dev
          xvfb xauth)
# Only the tests need these: GoogleTest, keys sent to the running demo, clang for the fuzz
# targets (tests/fuzz/run.sh; CI replays their corpus with the normal build), the
# storefront server the online tests start, and the benchmarks' library and peers
# (Lua 5.4 and djpeg).
TEST_PACKAGES=(libgtest-dev xdotool clang redis-server libbenchmark-dev liblua5.4-dev libjpeg-turbo-progs)

install_missing() {
    local missing=()
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "${missing[@]}"
}

jobs() {
    nproc 2>/dev/null || echo 2
}

build() {
    local dir=$1 type=$2; shift 2
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE="$type" "$@"
    cmake --build "$dir" -j "$(jobs)"
}

# OpenAL opens the first sound device it finds; with none it prints a screen
# of ALSA complaints. Without a device the demo plays silent (-nosound).
have_sound_device() {
    [ -n "${PULSE_SERVER:-}" ] && return 0
    [ -S "${XDG_RUNTIME_DIR:-/nonexistent}/pulse/native" ] && return 0
    [ -S "${XDG_RUNTIME_DIR:-/nonexistent}/pipewire-0" ] && return 0
    compgen -G "/dev/snd/pcmC*p" >/dev/null
}

# The demo waits for the display's refresh at each buffer swap (the engine's
# "sync" option, swap interval 1) instead of drawing flat out, unless the
# caller gives "-sync" itself ("-sync 0" draws as fast as it can).
# The engine's exit status: 1 is its normal end (the window closed, Escape,
# SIGTERM), 0 another copy already running, 2 no window could be opened.
run_demo() {
    local root=build/release/demo
    case " $* " in
        *" -sync"* | *" +sync"*) ;;
        *) set -- -sync 1 "$@" ;;
    esac
    if ! have_sound_device; then
        echo "No sound device found: the demo plays without sound."
        set -- -nosound "$@"
    fi
    local status=0
    (
        cd "$root/bin"
        if [ -z "${DISPLAY:-}" ]; then
            exec xvfb-run -a -s "-screen 0 1280x720x24" ../../pendrel "$@"
        fi
        exec ../../pendrel "$@"
    ) || status=$?
    case $status in
        1) return 0 ;;
        0) echo "The demo is already running (only one copy runs at a time)." >&2; return 0 ;;
        2) echo "The demo could not open its window: is DISPLAY right? See $root/tolvan.log." >&2; return 2 ;;
        *) echo "The demo ended with status $status: see $root/tolvan.log." >&2; return "$status" ;;
    esac
}

run_tests() {
    cd build/test
    # llvmpipe renders on one thread: its worker threads can trip the leak
    # checker's tracer at exit.
    export ALSOFT_DRIVERS=null SDL_AUDIODRIVER=dummy LP_NUM_THREADS=0
    export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
    export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
    xvfb-run -a -s "-screen 0 1280x720x24" ctest --output-on-failure -j "$(jobs)" --timeout 300
}

case "${1:-}" in
    demo)
        shift
        install_missing "${PACKAGES[@]}"
        build build/release Release -DPENDREL_SANITIZE=OFF -DPENDREL_TESTS=OFF -DPENDREL_BENCH=OFF
        run_demo "$@"
        ;;
    test)
        install_missing "${PACKAGES[@]}" "${TEST_PACKAGES[@]}"
        build build/test Debug -DPENDREL_SANITIZE=ON -DPENDREL_BENCH=OFF
        run_tests
        ;;
    *)
        echo "usage: $0 demo|test" >&2
        exit 2
        ;;
esac
