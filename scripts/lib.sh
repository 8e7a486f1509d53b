# Shared by the project's scripts: package installation and running Wine as an ordinary user.
# Source it; it defines functions only.

QUILLON_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QUILLON_WINE_USER=${QUILLON_WINE_USER:-quillonwine}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# fail WHAT LOG: says what went wrong in one line after the tail of LOG, and stops the script.
fail() {
    local what=$1 log=${2:-}
    if [ -n "$log" ] && [ -s "$log" ]; then
        echo "--- last lines of $log:" >&2
        tail -n 25 "$log" >&2
    fi
    echo "error: $what" >&2
    exit 1
}

# run_logged LOG CMD...: runs CMD with its output in LOG; on failure names the command and fails.
run_logged() {
    local log=$1; shift
    mkdir -p "$(dirname "$log")"
    "$@" > "$log" 2>&1 && return 0
    local rc=$?
    echo "failed (exit code $rc): $*" >&2
    fail "$(wine_diagnosis "$rc")" "$log"
}

# Whether this host runs i386 programs: a 93-byte i386 Linux program that only exits, so the
# answer needs no 32-bit package. Hosts with IA-32 emulation off refuse it ("Exec format error").
host_runs_i386() {
    local probe
    probe=$(mktemp "${TMPDIR:-/tmp}/quillon-i386-probe.XXXXXX") || return 1
    printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\10\64\0\0\0\0\0\0\0\0\0\0\0\64\0\40\0\1\0\0\0\0\0\0\0''\1\0\0\0\0\0\0\0\0\200\4\10\0\200\4\10\135\0\0\0\135\0\0\0\5\0\0\0\0\20\0\0''\61\333\270\1\0\0\0\315\200' > "$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null
    local rc=$?
    rm -f "$probe"
    return $rc
}

# The Wine mode, decided here and nowhere else (QUILLON_WINE_MODE=win64 forces the 64-bit mode):
#   win32  this host runs i386 programs: the shipped 32-bit setup.exe and its tests under 32-bit
#          Wine, and its road tests once more in a 64-bit prefix (WOW64);
#   win64  it does not: the 64-bit twin of the same sources and its tests under 64-bit Wine; the
#          32-bit setup.exe is built and checked without running it.
decide_wine_mode() {
    # Decided already, for this checkout (a mode inherited from another checkout is not taken).
    [ -n "${QUILLON_MODE:-}" ] && [ "${QUILLON_WIN_BUILD:-}" = "$QUILLON_ROOT/build/${QUILLON_PRESET:-}" ] &&
        return 0
    case "${QUILLON_WINE_MODE:-}" in
        win64) QUILLON_MODE=win64; QUILLON_MODE_WHY="forced by QUILLON_WINE_MODE=win64" ;;
        win32)
            host_runs_i386 || fail "QUILLON_WINE_MODE=win32, but this host cannot run 32-bit programs"
            QUILLON_MODE=win32; QUILLON_MODE_WHY="forced by QUILLON_WINE_MODE=win32" ;;
        "")
            if host_runs_i386; then
                QUILLON_MODE=win32; QUILLON_MODE_WHY="this host runs 32-bit programs"
            else
                QUILLON_MODE=win64; QUILLON_MODE_WHY="this host runs no 32-bit programs"
            fi ;;
        *) fail "QUILLON_WINE_MODE must be win32, win64 or unset, not '$QUILLON_WINE_MODE'" ;;
    esac
    QUILLON_PRESET=$QUILLON_MODE
    QUILLON_WIN_BUILD=$QUILLON_ROOT/build/$QUILLON_PRESET
    if [ "$QUILLON_MODE" = win64 ]; then
        QUILLON_MINGW=x86_64-w64-mingw32
    else
        QUILLON_MINGW=i686-w64-mingw32
    fi
    use_wine "$QUILLON_MODE"
    export QUILLON_MODE QUILLON_MODE_WHY QUILLON_PRESET QUILLON_WIN_BUILD QUILLON_MINGW
    echo "Wine mode: $QUILLON_MODE ($QUILLON_MODE_WHY)"
}

# use_wine win32|win64: the loader, server and prefix kind of every Wine command that follows.
# The loaders are called directly: the wine wrapper picks the 32-bit one whenever it is installed.
use_wine() {
    QUILLON_WINEARCH=$1
    if [ "$1" = win64 ]; then
        QUILLON_WINE=/usr/lib/wine/wine64
        QUILLON_WINESERVER=/usr/lib/wine/wineserver64
    else
        QUILLON_WINE=/usr/lib/wine/wine
        QUILLON_WINESERVER=/usr/lib/wine/wineserver32
    fi
    export QUILLON_WINEARCH QUILLON_WINE QUILLON_WINESERVER
}

# One line on what keeps Wine from starting here, for a failed step that exited with RC.
wine_diagnosis() {
    local rc=${1:-1}
    if [ ! -x "$QUILLON_WINE" ]; then
        if [ "$QUILLON_WINEARCH" = win64 ]; then
            host_runs_i386 && echo "64-bit Wine is missing ($QUILLON_WINE; package wine64)" \
                || echo "this host cannot run 32-bit programs and 64-bit Wine is missing ($QUILLON_WINE; package wine64)"
        else
            echo "32-bit Wine is missing ($QUILLON_WINE; package wine32:i386)"
        fi
    elif [ "$QUILLON_WINEARCH" = win32 ] && ! host_runs_i386; then
        echo "this host cannot run 32-bit programs, so 32-bit Wine cannot start; QUILLON_WINE_MODE=win64 uses the 64-bit twin"
    elif [ "$rc" -eq 126 ] || [ "$rc" -eq 127 ]; then
        echo "a program could not be started (exit code $rc)"
    else
        echo "the step above failed (exit code $rc)"
    fi
}

# Installs the Debian packages the build and the tests of this mode need, when any is missing.
install_packages() {
    decide_wine_mode
    # The package tool signs with osslsigncode; its test makes certificates with openssl and
    # serves time stamps from python3.
    local packages=(cmake make g++ clang libclang-rt-14-dev googletest g++-mingw-w64-i686
                    wine64 xvfb xauth x11-apps netpbm zip unzip locales
                    osslsigncode openssl python3)
    if [ "$QUILLON_MODE" = win64 ]; then
        packages+=(g++-mingw-w64-x86-64)
    else
        packages+=(wine32:i386)
    fi
    local missing=()
    local p
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -eq 0 ]; then
        make_locales
        return
    fi
    echo "Installing: ${missing[*]}"
    if [ "$QUILLON_MODE" = win32 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        as_root dpkg --add-architecture i386
    fi
    local log=${TMPDIR:-/tmp}/quillon-apt.log
    run_logged "$log" as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
    run_logged "$log" as_root env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends "${missing[@]}"
    make_locales
}

# The locales of the code pages the road tests run in: Wine takes the ANSI code page from LANG
# (ja_JP.UTF-8: 932, fr_FR.UTF-8: 1252, zh_CN.UTF-8: 936, zh_TW.UTF-8: 950) and converts file
# names through the host's locale, which must exist for that.
QUILLON_LOCALES="ja_JP fr_FR zh_CN zh_TW"
make_locales() {
    local name
    for name in $QUILLON_LOCALES; do
        locale -a 2>/dev/null | grep -qx "$name.utf8" && continue
        echo "Making the locale $name.UTF-8"
        run_logged "${TMPDIR:-/tmp}/quillon-localedef.log" as_root localedef -i "$name" -f UTF-8 "$name.UTF-8"
    done
}

# Wine ignores the read-only attribute for root, so Wine runs as an ordinary user: as root,
# a dedicated account; otherwise the caller.
wine_user_setup() {
    if [ "$(id -u)" -eq 0 ] && ! id "$QUILLON_WINE_USER" >/dev/null 2>&1; then
        useradd -m -s /bin/bash "$QUILLON_WINE_USER"
    fi
}

# The Wine user reads the build and the sources. When the checkout lies where that user cannot
# reach (under root's home, say), the script is run again from a copy that it can reach: one
# copy per checkout, named after the checkout's path, holding exactly its files (its own build
# folder is kept between runs). Usage: reach_for_wine_user "$0" "$@" (before anything is built).
reach_for_wine_user() {
    [ "$(id -u)" -eq 0 ] || return 0
    runuser -u "$QUILLON_WINE_USER" -- test -r "$QUILLON_ROOT/CMakeLists.txt" 2>/dev/null && return 0
    local copy
    copy=/var/tmp/quillon-checkout-$(printf '%s' "$QUILLON_ROOT" | sha256sum | cut -c1-16)
    echo "The Wine user cannot reach $QUILLON_ROOT; working in a copy at $copy"
    # /var/tmp is writable by all: take over only a folder that root made, never a link.
    if [ -e "$copy" ] || [ -L "$copy" ]; then
        [ -d "$copy" ] && [ ! -L "$copy" ] && [ "$(stat -c %u "$copy")" = 0 ] ||
            fail "$copy exists and is not root's own folder; remove it and run again"
        [ "$(cat "$copy/.quillon-origin" 2>/dev/null)" = "$QUILLON_ROOT" ] ||
            fail "$copy holds a copy of another checkout ($(cat "$copy/.quillon-origin" 2>/dev/null || echo unknown)); remove it and run again"
        find "$copy" -mindepth 1 -maxdepth 1 ! -name build ! -name .quillon-origin -exec rm -rf {} +
    else
        mkdir -m 755 "$copy" || fail "cannot make $copy"
        printf '%s' "$QUILLON_ROOT" > "$copy/.quillon-origin"
    fi
    tar -C "$QUILLON_ROOT" --exclude=./build -cf - . | tar -C "$copy" -xf - ||
        fail "cannot copy $QUILLON_ROOT to $copy"
    chmod -R a+rX "$copy"
    # Everything decided so far names the unreachable checkout; the copy decides afresh.
    unset QUILLON_MODE QUILLON_MODE_WHY QUILLON_PRESET QUILLON_WIN_BUILD QUILLON_MINGW \
          QUILLON_WINEARCH QUILLON_WINE QUILLON_WINESERVER
    local script=$1; shift
    exec "$copy/scripts/$(basename "$script")" "$@"
}

# Hands a file tree to the Wine user (no-op when not root).
give_to_wine_user() {
    if [ "$(id -u)" -eq 0 ]; then chown -R "$QUILLON_WINE_USER:" "$@"; fi
}

# as_wine_user PREFIX CMD...: runs CMD with Wine's environment for PREFIX, as the Wine user.
as_wine_user() {
    local prefix=$1; shift
    local envs=(WINEPREFIX="$prefix" WINEARCH="$QUILLON_WINEARCH" WINEDEBUG=-all
                WINELOADER="$QUILLON_WINE" WINESERVER="$QUILLON_WINESERVER"
                QUILLON_WARM_UP="${QUILLON_WARM_UP:-}")
    if [ "$(id -u)" -eq 0 ]; then
        local home
        home=$(getent passwd "$QUILLON_WINE_USER" | cut -d: -f6)
        runuser -u "$QUILLON_WINE_USER" -- env HOME="$home" USER="$QUILLON_WINE_USER" "${envs[@]}" "$@"
    else
        env "${envs[@]}" "$@"
    fi
}

# xvfb-run's own display settings: -noreset keeps the server as it is when its last client
# leaves instead of rebuilding it under a client that is just connecting.
QUILLON_XVFB_ARGS="-noreset"

# prepare_prefix PREFIX: a new Wine prefix of the current kind (use_wine) with unmanaged windows.
# The log names each step's exit code. A virtual display that ends under the steps makes
# xvfb-run fail even when every step succeeded: a first failure is shown and the prefix made
# once more from nothing; a second one fails with the tail of its log and a one-line reason.
prepare_prefix() {
    local prefix=$1 attempt rc
    for attempt in 1 2; do
        rm -rf "$prefix"
        mkdir -p "$prefix"
        give_to_wine_user "$prefix"
        as_wine_user "$prefix" xvfb-run -a -e "$prefix/xvfb.log" -s "-screen 0 1280x1024x24 $QUILLON_XVFB_ARGS" sh -c '
            step() { "$@"; rc=$?; echo "prefix step: $* (exit code $rc)"; return $rc; }
            step "$WINELOADER" wineboot -i &&
            step "$WINELOADER" reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f &&
            step "$WINESERVER" -w' > "$prefix.log" 2>&1
        rc=$?
        [ "$rc" -eq 0 ] && return 0
        [ "$attempt" -eq 2 ] && break
        echo "making the Wine prefix $prefix failed (exit code $rc); the last lines of its log:" >&2
        tail -n 10 "$prefix.log" >&2
        echo "and of the virtual display's log:" >&2
        tail -n 10 "$prefix/xvfb.log" >&2
        echo "making it once more" >&2
    done
    echo "failed twice (exit code $rc): making the Wine prefix $prefix" >&2
    fail "$(wine_diagnosis "$rc")" "$prefix.log"
}

# The session body shared by in_display and in_real_display.
session_body='
        "$WINESERVER" -p </dev/null >/dev/null 2>&1
        # Start Wine'"'"'s own background processes now, away from any pipe: started by a test
        # program they would inherit its output and keep the reader waiting for the end.
        "$WINELOADER" wineboot </dev/null >/dev/null 2>&1
        # Whatever a test program starts on demand is started here too, by listing the tests
        # of each GoogleTest program of the build ($QUILLON_WARM_UP) away from any pipe.
        for program in ${QUILLON_WARM_UP:-}; do
            "$WINELOADER" "$program" --gtest_list_tests </dev/null >/dev/null 2>&1
        done
        "$@"; rc=$?
        "$WINESERVER" -k
        exit $rc'

# in_display PREFIX CMD...: runs CMD inside a virtual X display with one persistent wineserver.
in_display() {
    local prefix=$1; shift
    as_wine_user "$prefix" xvfb-run -a -s "-screen 0 1024x768x24 $QUILLON_XVFB_ARGS" sh -c "$session_body" sh "$@"
}

# in_real_display PREFIX CMD...: the same on the caller's own display ($DISPLAY).
in_real_display() {
    local prefix=$1; shift
    if [ "$(id -u)" -eq 0 ] && [ -n "${XAUTHORITY:-}" ]; then
        cp "$XAUTHORITY" "$prefix/.Xauthority" && give_to_wine_user "$prefix/.Xauthority"
        as_wine_user "$prefix" env DISPLAY="$DISPLAY" XAUTHORITY="$prefix/.Xauthority" sh -c "$session_body" sh "$@"
    else
        as_wine_user "$prefix" env DISPLAY="$DISPLAY" sh -c "$session_body" sh "$@"
    fi
}
