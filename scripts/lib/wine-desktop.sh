# A Windows desktop under wine for plok's Win32 program, sourced by scripts/screenshots and scripts/smoke-windows:
# an Xvfb display of its own, a wine prefix with a Japanese locale (ANSI code page 932, Japanese dialogs) in which
# MS UI Gothic is drawn by Noto Sans CJK JP, and, when asked for, a window manager.
#
#   wine_desktop_start DIR [--window-manager] [--dpi N]   sets WINEPREFIX=DIR/prefix, DISPLAY, LOCPATH, LANG
#   wine_run PROGRAM ARGS...                              runs a Windows program there
#   wine_desktop_stop                                     ends the wine server, the window manager and the display
#
# Without a window manager wine draws the windows' frames itself, as Windows does (the pictures); with one, windows
# are placed, focused and framed by it as on a desktop (the smoke test).

WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
_wd_pids=()

# The Japanese locale is the programs' alone: the shell has no use for it, and would warn that it lacks it.
_wd_env=(LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8)

wine_run() {
    env "${_wd_env[@]}" "$WINE64" "$@"
}

wine_desktop_start() {
    local dir=$1 manager=0 dpi=96
    shift
    while [ $# -gt 0 ]; do
        case $1 in
        --window-manager) manager=1 ;;
        --dpi) dpi=$2; shift ;;
        esac
        shift
    done
    mkdir -p "$dir"
    dir=$(realpath "$dir")
    export WINEPREFIX="$dir/prefix" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' LOCPATH="$dir/locale"

    unset DISPLAY
    # A display number nobody uses: the first from 150 without a lock file, tried until one starts.
    local n
    for n in $(seq 150 250); do
        [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -dpi "$dpi" >"$dir/xvfb.log" 2>&1 &
        local pid=$!
        local i
        for i in $(seq 1 50); do
            if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
                break
            fi
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        if kill -0 "$pid" 2>/dev/null && DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
            _wd_pids+=("$pid")
            export DISPLAY=":$n"
            break
        fi
    done
    [ -n "${DISPLAY:-}" ] || { echo "wine-desktop: no X display could be started" >&2; return 1; }
    # The pointer starts in the corner, away from the windows, which are centred.
    xdotool mousemove 0 0 2>/dev/null || true

    if [ ! -e "$LOCPATH/ja_JP.UTF-8/LC_CTYPE" ]; then
        mkdir -p "$LOCPATH"
        # localedef warns about the locale's own definitions and says so in its status; the files are written.
        localedef -c -i ja_JP -f UTF-8 "$LOCPATH/ja_JP.UTF-8" >/dev/null 2>&1 || true
    fi
    if [ ! -e "$dir/ready" ]; then
        wine_run wineboot --init >/dev/null 2>&1
        # Wine's own fonts (Marlett draws the title bars' buttons) where this wine looks for fonts: Debian's fonts-wine
        # puts them where a wine started without its wrapper does not.
        local font
        for font in /usr/share/wine/fonts/*.ttf; do
            [ -e "$font" ] && ln -sf "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
        done
        wine_run reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /t REG_SZ /d 'Noto Sans CJK JP' /f \
            >/dev/null 2>&1
        "$WINESERVER" -w
        touch "$dir/ready"
    fi
    local managed=N
    [ "$manager" = 1 ] && managed=Y
    wine_run reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d "$managed" /f >/dev/null 2>&1
    wine_run reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    # The settings take effect with the next wine server.
    "$WINESERVER" -k 2>/dev/null || true
    "$WINESERVER" -w 2>/dev/null || true

    if [ "$manager" = 1 ]; then
        openbox >"$dir/openbox.log" 2>&1 &
        _wd_pids+=("$!")
        local i
        for i in $(seq 1 50); do
            xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
            sleep 0.1
        done
    fi
}

wine_desktop_stop() {
    "$WINESERVER" -k 2>/dev/null || true
    local pid
    for pid in "${_wd_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${_wd_pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    _wd_pids=()
}

# wine_wait_window TITLE_REGEX [SECONDS]: the X window id of the first visible window whose name matches, polled.
wine_wait_window() {
    local name=$1 seconds=${2:-30} i id
    for i in $(seq 1 $((seconds * 10))); do
        id=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | head -1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    echo "wine-desktop: no window \"$name\" within ${seconds} s" >&2
    return 1
}

# wine_wait_gone TITLE_REGEX [SECONDS]: waits until no visible window's name matches.
wine_wait_gone() {
    local name=$1 seconds=${2:-30} i
    for i in $(seq 1 $((seconds * 10))); do
        xdotool search --onlyvisible --name "$name" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    echo "wine-desktop: window \"$name\" still there after ${seconds} s" >&2
    return 1
}
