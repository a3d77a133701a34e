# Shared by scripts/run, scripts/test and the others: packages, builds, the
# build's own Wine prefix and a virtual display. Sourced, not run.

REPO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
# The sources the builds are configured from: the tree itself, or the
# scratch copy scripts/mutate plants its faults in.
SOURCE_ROOT="$REPO_ROOT"
# SIGNIN_BUILD_ROOT puts every build (and its Wine prefix) elsewhere, so that
# two work trees or two runs can build and test side by side.
BUILD_ROOT="${SIGNIN_BUILD_ROOT:-$REPO_ROOT/build}"
HOST_BUILD="$BUILD_ROOT/host"
# The program is built for 32-bit Windows (build/win32) and its programs run
# under 32-bit Wine. Some machines cannot run 32-bit code at all (their
# kernel has no 32-bit mode: the 32-bit Wine loader fails with "Exec format
# error"). There the same sources are also built for 64-bit Windows
# (build/win64) and every program run under Wine comes from that build, run
# by 64-bit Wine in a 64-bit prefix; the 32-bit program is still built and
# checked as a file. choose_wine_build decides, once the packages are in;
# SIGNIN_WINE_ARCH=win32 or win64 forces the choice.
WIN32_BUILD="$BUILD_ROOT/win32"
WIN64_BUILD="$BUILD_ROOT/win64"
WIN_BUILD="$WIN32_BUILD"
WINE_PREFIX_DIR="$WIN_BUILD/wineprefix"
WINE=wine

# What running the program needs: the cross compiler (its Windows thread
# model: the program has one thread), the build machine's compiler for the
# build-time tools, Wine (64-bit too, for machines that cannot run 32-bit
# code), a virtual display and what takes its screenshot, the fonts and the
# locale. The tests add GoogleTest. (scripts/fuzz and
# scripts/portability-check name their own.)
RUN_PACKAGES="locales cmake g++ make g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 \
wine wine32:i386 wine64 fonts-wine xvfb xdotool imagemagick fonts-arphic-uming x11-utils"
TEST_PACKAGES="googletest libgtest-dev"
PACKAGES="$RUN_PACKAGES $TEST_PACKAGES"

say() { printf '== %s\n' "$*" >&2; }
# Runs a step (a command and its arguments) and says how long it took.
timed() {
    local what="$1" began=$SECONDS
    shift
    "$@"
    say "$what took $((SECONDS - began)) s"
}

# Every script answers --help (or -h) with the comment at its top, which
# says what it does and how to call it.
usage() { awk 'NR > 1 && !/^#/ { exit } NR > 1 { sub(/^# ?/, ""); print }' "$0"; }
case "${1:-}" in -h | --help) usage; exit 0 ;; esac

# Installs what is missing when root; otherwise names the one line to run.
ensure_packages() {
    choose_wine_build
    local missing=""
    local package
    for package in $PACKAGES; do
        [ "$WINE_ARCH" = win64 ] && [ "$package" = wine32:i386 ] && continue
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing="$missing $package"
    done
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        say "missing packages:$missing"
        echo "Run as root: dpkg --add-architecture i386 && apt-get update && apt-get install -y$missing" >&2
        exit 1
    fi
    local count
    count="$(echo $missing | wc -w)"
    say "installing $count Debian packages and what they need (a few minutes on a fresh machine):$missing"
    if [ "$WINE_ARCH" = win32 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    say "updating the package lists"
    apt-get update -qq
    # apt-get's own output is long; its "Setting up" lines give the progress,
    # told in tenths of the packages it installs or upgrades (one set up again for
    # a trigger is not counted twice).
    if ! DEBIAN_FRONTEND=noninteractive apt-get install -y -q $missing 2>&1 |
        awk '/newly installed/ { total = $1 + $3; say("downloading and unpacking " total " packages") }
             /^Setting up / && !seen[$3]++ { done++; if (total > 0 && int(10 * done / total) > int(10 * (done - 1) / total))
                                 say("set up " done " of " total " packages") }
             /^E: / { print > "/dev/stderr" }
             function say(text) { printf "== %s\n", text > "/dev/stderr"; fflush("/dev/stderr") }'; then
        say "apt-get could not install:$missing"
        exit 1
    fi
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

# Configures the build folder FOLDER with PRESET. A folder first configured
# with another compiler than the toolchain file now names (CMakeLists.txt
# refuses it) is configured afresh.
configure_build() {
    local preset="$1" folder="$2" output
    if ! output="$(cmake -S "$SOURCE_ROOT" --preset "$preset" -B "$folder" 2>&1)"; then
        if printf '%s' "$output" | tr -s ' \n' ' ' | grep -q 'configure it afresh'; then
            say "$folder was configured with another compiler: configuring it afresh"
            cmake --fresh -S "$SOURCE_ROOT" --preset "$preset" -B "$folder" >/dev/null
        else
            printf '%s\n' "$output" >&2
            return 1
        fi
    fi
}

build_host() {
    configure_build host "$HOST_BUILD"
    cmake --build "$HOST_BUILD" -j"$(nproc)"
}

# Whether the kernel runs 32-bit x86 programs, asked before any package is
# installed: a 96-byte 32-bit Linux program whose only work is to exit
# with 32. A kernel without a 32-bit mode refuses it (Exec format error).
machine_runs_32bit_code() {
    local probe status=0
    mkdir -p "$BUILD_ROOT"
    probe="$(mktemp "$BUILD_ROOT/elf32-probe.XXXXXX")"
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08'\
'\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'\
'\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00'\
'\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x20\x00\x00\x00\xcd\x80' >"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null || status=$?
    rm -f "$probe"
    [ "$status" = 32 ]
}

# Decides once, before any package is installed, which build's programs run
# under Wine: the 32-bit one where the kernel runs 32-bit code, else the
# 64-bit one (and then the 32-bit Wine is not installed).
WINE_ARCH=""
choose_wine_build() {
    [ -n "$WINE_ARCH" ] && return 0
    WINE_ARCH="${SIGNIN_WINE_ARCH:-}"
    if [ -z "$WINE_ARCH" ]; then
        if machine_runs_32bit_code; then WINE_ARCH=win32; else WINE_ARCH=win64; fi
    fi
    if [ "$WINE_ARCH" = win64 ]; then
        say "programs under Wine come from the 64-bit build ($([ -n "${SIGNIN_WINE_ARCH:-}" ] &&
            echo "SIGNIN_WINE_ARCH=win64" || echo "this machine cannot run 32-bit code"))"
        WIN_BUILD="$WIN64_BUILD"
        WINE_PREFIX_DIR="$WIN_BUILD/wineprefix"
        WINE=/usr/lib/wine/wine64
        export WINELOADER=/usr/lib/wine/wine64 WINEARCH=win64
    fi
}

# The program alone (the SignIn target, none of the tests), in the build
# that runs under Wine here: build/win32, or build/win64 where the machine
# runs no 32-bit code (scripts/test and scripts/package build the 32-bit
# program there too). Says what it builds: the first build takes a minute.
build_program() {
    choose_wine_build
    say "building the program in $WIN_BUILD"
    configure_build "$(basename "$WIN_BUILD")" "$WIN_BUILD"
    cmake --build "$WIN_BUILD" -j"$(nproc)" --target SignIn
}

# The 32-bit program, and the build run under Wine when that is another.
# (Where the tests run the 64-bit build, only the 32-bit program itself is
# built: its test programs could not run here.)
build_win32() {
    choose_wine_build
    configure_build win32 "$WIN32_BUILD"
    if [ "$WIN_BUILD" = "$WIN64_BUILD" ]; then
        cmake --build "$WIN32_BUILD" -j"$(nproc)" --target SignIn
        configure_build win64 "$WIN64_BUILD"
        cmake --build "$WIN64_BUILD" -j"$(nproc)"
    else
        cmake --build "$WIN32_BUILD" -j"$(nproc)"
    fi
}

# The Wine prefixes the tests run in. The first is the program's own system:
# Chinese (Taiwan) at 96 pixels per inch. The others are the same program on
# screens of other resolutions, on an English system (code page 1252) and
# in a high-contrast colour scheme (hc). Each is a folder of its own beside
# the first: wineprefix-VARIANT.
WINE_VARIANTS="dpi120 dpi144 dpi192 en-us hc"

variant_prefix() { if [ -z "${1:-}" ]; then echo "$WINE_PREFIX_DIR"; else echo "$WINE_PREFIX_DIR-$1"; fi; }
variant_dpi() { case "${1:-}" in dpi*) echo "${1#dpi}" ;; *) echo 96 ;; esac; }
variant_lang() { case "${1:-}" in en-us) echo en_US.UTF-8 ;; *) echo zh_TW.UTF-8 ;; esac; }
# The virtual desktop grows with the resolution, as a screen of that density
# has more pixels: 1024 x 768 at 96 pixels per inch.
variant_desktop() {
    local dpi
    dpi="$(variant_dpi "${1:-}")"
    echo "$((1024 * dpi / 96))x$((768 * dpi / 96))"
}

# The system colours of the high-contrast prefix: white on black, with
# the accents of Windows' high-contrast black scheme. (Wine keeps no
# high-contrast flag: SPI_GETHIGHCONTRAST always answers off, so the colours
# are the whole scheme.)
high_contrast_colors() {
    cat <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Control Panel\Colors]
"ActiveBorder"="255 255 255"
"ActiveTitle"="128 0 128"
"AppWorkspace"="0 0 0"
"Background"="0 0 0"
"ButtonAlternateFace"="0 0 0"
"ButtonDkShadow"="128 128 128"
"ButtonFace"="0 0 0"
"ButtonHilight"="255 255 255"
"ButtonLight"="192 192 192"
"ButtonShadow"="128 128 128"
"ButtonText"="255 255 255"
"GradientActiveTitle"="128 0 128"
"GradientInactiveTitle"="0 128 0"
"GrayText"="0 255 0"
"Hilight"="128 0 128"
"HilightText"="255 255 255"
"HotTrackingColor"="255 255 0"
"InactiveBorder"="255 255 255"
"InactiveTitle"="0 128 0"
"InactiveTitleText"="255 255 255"
"InfoText"="255 255 255"
"InfoWindow"="0 0 0"
"Menu"="0 0 0"
"MenuBar"="0 0 0"
"MenuHilight"="128 0 128"
"MenuText"="255 255 255"
"Scrollbar"="0 0 0"
"TitleText"="255 255 255"
"Window"="0 0 0"
"WindowFrame"="255 255 255"
"WindowText"="255 255 255"
EOF
}

# Points Wine at a prefix (the program's own when VARIANT is empty) and
# gives it that prefix's locale, and another prefix's display once
# ensure_variant_displays has started it.
wine_env() {
    export WINEPREFIX
    WINEPREFIX="$(variant_prefix "${1:-}")"
    if [ -n "${1:-}" ] && [ -f "$WINEPREFIX.env" ]; then
        export DISPLAY
        DISPLAY="$(sed -n 's/^DISPLAY=//p' "$WINEPREFIX.env")"
    fi
    export WINEDEBUG="${WINEDEBUG:--all}"
    export WINEDLLOVERRIDES="mscoree,mshtml="
    { export LANG; LANG="$(variant_lang "${1:-}")"; } 2>/dev/null
    { unset LC_ALL LC_CTYPE LC_MESSAGES; } 2>/dev/null
}

# A Wine prefix of the build's own, made once, for VARIANT (empty: the
# program's own system). Every program in it runs in a virtual desktop, so
# windows have frames and close boxes drawn by Wine.
ensure_wine_prefix() {
    (
        local variant="${1:-}"
        wine_env "$variant"
        if [ ! -f "$WINEPREFIX/.signin-ready" ]; then
            rm -rf "$WINEPREFIX"
            if [ -n "$variant" ]; then
                # Another set-up is the program's own prefix with the settings
                # below changed. It shares that prefix's libraries as hard links
                # (1.3 GB a prefix otherwise), which Wine only reads, and copies
                # every other file: Wine writes its registry and .ini files in place.
                ensure_wine_prefix
                say "making the Wine prefix $WINEPREFIX from $(variant_prefix)"
                cp -al "$(variant_prefix)" "$WINEPREFIX"
                rm "$WINEPREFIX/.signin-ready"
                find "$WINEPREFIX" -type f -not -path '*/windows/system32/*' -not -path '*/windows/syswow64/*' \
                    -not -path '*/windows/winsxs/*' -exec sh -c 'cp -p "$1" "$1.own" && mv "$1.own" "$1"' sh {} \;
            else
                say "making the Wine prefix $WINEPREFIX (about half a minute)"
                # Wine makes the prefix's own folder, not its parents (the build
                # folder may not be there yet while the program builds beside it).
                mkdir -p "$(dirname "$WINEPREFIX")"
                "$WINE" wineboot -i >/dev/null 2>&1 || { say "Wine could not make the prefix $WINEPREFIX"; exit 1; }
                "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
                # Fonts a Traditional Chinese Windows has, mapped to the installed
                # CJK font, so window titles and message boxes do not show boxes.
                local face
                for face in PMingLiU MingLiU "Microsoft JhengHei"; do
                    "$WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
                        /v "$face" /d "AR PL UMing TW" /f >/dev/null 2>&1
                done
                # The symbols of the title-bar buttons come from Marlett.
                cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
            fi
            "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$(variant_desktop "$variant")" /f \
                >/dev/null 2>&1
            # The screen's resolution, read by GetDeviceCaps(LOGPIXELSY).
            local dpi key
            dpi="$(variant_dpi "$variant")"
            for key in 'HKCU\Control Panel\Desktop' \
                'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
                "$WINE" reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
            done
            if [ "$variant" = hc ]; then
                high_contrast_colors >"$WINEPREFIX/drive_c/high-contrast.reg"
                "$WINE" reg import 'C:\high-contrast.reg' >/dev/null 2>&1
                rm "$WINEPREFIX/drive_c/high-contrast.reg"
            fi
            wineserver -w
            touch "$WINEPREFIX/.signin-ready"
        fi
    )
}

XVFB_PIDS=""
# Starts a virtual display of SIZE (WxH); XVFB_DISPLAY names it (:N).
XVFB_DISPLAY=""
start_xvfb() {
    local number tries pid
    for number in $(seq 90 160); do
        [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ] && continue
        Xvfb ":$number" -screen 0 "${1}x24" -nolisten tcp >/dev/null 2>&1 &
        pid=$!
        for tries in $(seq 1 50); do
            if DISPLAY=":$number" xdpyinfo >/dev/null 2>&1; then
                XVFB_PIDS="$XVFB_PIDS $pid"
                XVFB_DISPLAY=":$number"
                return 0
            fi
            sleep 0.1
        done
        kill "$pid" 2>/dev/null
    done
    say "could not start Xvfb"
    exit 1
}

# Starts a virtual display when there is none; stop_display ends it.
ensure_display() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
    start_xvfb 1280x1024
    export DISPLAY="$XVFB_DISPLAY"
}

# Each other prefix (VARIANT..., default all) gets a virtual display of its
# own, as large as its desktop, so that its desktop never covers another's.
# wine_env and the test wrapper read the display and the locale from
# wineprefix-VARIANT.env.
ensure_variant_displays() {
    local variant variants="${*:-${SIGNIN_WINE_VARIANTS-$WINE_VARIANTS}}"
    for variant in $variants; do
        start_xvfb "$(variant_desktop "$variant")"
        printf 'DISPLAY=%s\nLANG=%s\n' "$XVFB_DISPLAY" "$(variant_lang "$variant")" >"$(variant_prefix "$variant").env"
        ensure_wine_prefix "$variant"
        start_wine "$variant"
    done
}

# Starts Wine (its server and the virtual desktop) for VARIANT's prefix
# ahead of the tests, its output detached: a desktop started by a test's
# process would inherit that process's output pipes and keep them open after
# the test ends.
start_wine() {
    (
        local variant="${1:-}"
        wine_env "$variant"
        wineserver -p >/dev/null 2>&1 || true
        setsid "$WINE" explorer "/desktop=Default,$(variant_desktop "$variant")" </dev/null >/dev/null 2>&1 &
        local tries
        for tries in $(seq 1 100); do
            xdotool search --name 'Wine desktop' >/dev/null 2>&1 && break
            sleep 0.1
        done
    )
}

stop_display() {
    local variant
    for variant in "" $WINE_VARIANTS; do
        (wine_env "$variant"; wineserver -k >/dev/null 2>&1) || true
    done
    local pid
    for pid in $XVFB_PIDS; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
    XVFB_PIDS=""
}
