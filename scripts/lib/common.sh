# Shared by scripts/run, scripts/test and the others: packages, builds, the
# build's own Wine prefix and a virtual display. Sourced, not run.

REPO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
# SIGNIN_BUILD_ROOT puts every build (and its Wine prefix) elsewhere, so that
# two work trees or two runs can build and test side by side.
BUILD_ROOT="${SIGNIN_BUILD_ROOT:-$REPO_ROOT/build}"
WIN_BUILD="$BUILD_ROOT/win32"
HOST_BUILD="$BUILD_ROOT/host"
WINE_PREFIX_DIR="$WIN_BUILD/wineprefix"

PACKAGES="locales cmake g++ make googletest libgtest-dev g++-mingw-w64-i686-posix mingw-w64-tools \
wine wine32:i386 wine64 fonts-wine xvfb xdotool imagemagick fonts-arphic-uming x11-utils \
clang libclang-rt-14-dev"

say() { printf '== %s\n' "$*" >&2; }

# Installs what is missing when root; otherwise names the one line to run.
ensure_packages() {
    local missing=""
    local package
    for package in $PACKAGES; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing="$missing $package"
    done
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        say "missing packages:$missing"
        echo "Run as root: dpkg --add-architecture i386 && apt-get update && apt-get install -y$missing" >&2
        exit 1
    fi
    say "installing:$missing"
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing >/dev/null
}

# Wine takes its code page from the C library's locale: without a compiled
# zh_TW.UTF-8 locale it falls back to English and code page 1252.
ensure_locale() {
    locale -a 2>/dev/null | grep -qi '^zh_TW\.utf-\?8$' && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Run as root: localedef -i zh_TW -f UTF-8 zh_TW.UTF-8" >&2
        exit 1
    fi
    say "compiling the zh_TW.UTF-8 locale"
    localedef -i zh_TW -f UTF-8 zh_TW.UTF-8
}

build_host() {
    cmake -S "$REPO_ROOT" --preset host -B "$HOST_BUILD" >/dev/null
    cmake --build "$HOST_BUILD" -j"$(nproc)"
}

build_win32() {
    cmake -S "$REPO_ROOT" --preset win32 -B "$WIN_BUILD" >/dev/null
    cmake --build "$WIN_BUILD" -j"$(nproc)"
}

wine_env() {
    export WINEPREFIX="$WINE_PREFIX_DIR"
    export WINEDEBUG="${WINEDEBUG:--all}"
    export WINEDLLOVERRIDES="mscoree,mshtml="
    { export LANG=zh_TW.UTF-8; } 2>/dev/null
    { unset LC_ALL LC_CTYPE LC_MESSAGES; } 2>/dev/null
}

# A Wine prefix of the build's own, made once. Every program in it runs in a
# virtual desktop, so windows have frames and close boxes drawn by Wine.
ensure_wine_prefix() {
    (
        wine_env
        if [ ! -f "$WINEPREFIX/.signin-ready" ]; then
            say "making the Wine prefix $WINEPREFIX"
            rm -rf "$WINEPREFIX"
            wineboot -i >/dev/null 2>&1
            wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
            wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
            # Fonts a Traditional Chinese Windows has, mapped to the installed
            # CJK font, so window titles and message boxes do not show boxes.
            local face
            for face in PMingLiU MingLiU "Microsoft JhengHei"; do
                wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
                    /v "$face" /d "AR PL UMing TW" /f >/dev/null 2>&1
            done
            # The symbols of the title-bar buttons come from Marlett.
            cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
            wineserver -w
            touch "$WINEPREFIX/.signin-ready"
        fi
    )
}

XVFB_PID=""
# Starts a virtual display when there is none; stop_display ends it.
ensure_display() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
    local number
    for number in $(seq 90 130); do
        [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ] && continue
        Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        export DISPLAY=":$number"
        local tries
        for tries in $(seq 1 50); do
            xdpyinfo >/dev/null 2>&1 && return 0
            sleep 0.1
        done
        kill "$XVFB_PID" 2>/dev/null
    done
    say "could not start Xvfb"
    exit 1
}

# Starts Wine (its server and the virtual desktop) ahead of the tests, its
# output detached: a desktop started by a test's process would inherit that
# process's output pipes and keep them open after the test ends.
start_wine() {
    (
        wine_env
        wineserver -p >/dev/null 2>&1 || true
        setsid wine explorer /desktop=Default,1024x768 </dev/null >/dev/null 2>&1 &
        local tries
        for tries in $(seq 1 100); do
            xdotool search --name 'Wine desktop' >/dev/null 2>&1 && break
            sleep 0.1
        done
    )
}

stop_display() {
    (wine_env; wineserver -k >/dev/null 2>&1) || true
    if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null; wait "$XVFB_PID" 2>/dev/null; fi
    XVFB_PID=""
}
