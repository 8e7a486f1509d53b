# Shared by the project's scripts: package installation and running Wine as an ordinary user.
# Source it; it defines functions only.

QUILLON_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QUILLON_WINE_USER=${QUILLON_WINE_USER:-quillonwine}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs the Debian packages the build and the tests need, when any is missing.
install_packages() {
    local packages=(cmake make g++ clang libclang-rt-14-dev googletest
                    g++-mingw-w64-i686 wine wine32:i386 xvfb xauth x11-apps netpbm zip unzip)
    local missing=()
    local p
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        as_root dpkg --add-architecture i386
    fi
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# Wine ignores the read-only attribute for root, so Wine runs as an ordinary user: as root,
# a dedicated account; otherwise the caller.
wine_user_setup() {
    if [ "$(id -u)" -eq 0 ] && ! id "$QUILLON_WINE_USER" >/dev/null 2>&1; then
        useradd -m -s /bin/bash "$QUILLON_WINE_USER"
    fi
}

# The Wine user reads the build and the sources. When the checkout lies where that user cannot
# reach (under root's home, say), the script is run again from a copy that it can reach.
# Usage: reach_for_wine_user "$0" "$@" (before anything is built).
reach_for_wine_user() {
    [ "$(id -u)" -eq 0 ] || return 0
    runuser -u "$QUILLON_WINE_USER" -- test -r "$QUILLON_ROOT/CMakeLists.txt" 2>/dev/null && return 0
    local copy=/var/tmp/quillon-checkout
    echo "The Wine user cannot reach $QUILLON_ROOT; working in a copy at $copy"
    mkdir -p "$copy"
    tar -C "$QUILLON_ROOT" --exclude=./build -cf - . | tar -C "$copy" -xf -
    chmod -R a+rX "$copy"
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
    local envs=(WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all)
    if [ "$(id -u)" -eq 0 ]; then
        local home
        home=$(getent passwd "$QUILLON_WINE_USER" | cut -d: -f6)
        runuser -u "$QUILLON_WINE_USER" -- env HOME="$home" USER="$QUILLON_WINE_USER" "${envs[@]}" "$@"
    else
        env "${envs[@]}" "$@"
    fi
}

# prepare_prefix PREFIX: a new 32-bit Wine prefix with unmanaged windows.
prepare_prefix() {
    local prefix=$1
    rm -rf "$prefix"
    mkdir -p "$prefix"
    give_to_wine_user "$prefix"
    as_wine_user "$prefix" xvfb-run -a sh -c '
        wineboot -i &&
        wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f >/dev/null &&
        wineserver -w'
}

# The session body shared by in_display and in_real_display.
session_body='
        wineserver -p </dev/null >/dev/null 2>&1
        # Start Wine'"'"'s own background processes now, away from any pipe: started by a test
        # program they would inherit its output and keep the reader waiting for the end.
        wineboot </dev/null >/dev/null 2>&1
        "$@"; rc=$?
        wineserver -k
        exit $rc'

# in_display PREFIX CMD...: runs CMD inside a virtual X display with one persistent wineserver.
in_display() {
    local prefix=$1; shift
    as_wine_user "$prefix" xvfb-run -a -s "-screen 0 1024x768x24" sh -c "$session_body" sh "$@"
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
