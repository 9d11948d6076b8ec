# Sourced: a fresh, throw-away Wine prefix for this shell, with one running server, all
# removed again when the shell exits (the prefix, the server and its folder in /tmp).
# Code page 1252, no Mono or Gecko install, no display needed.
WINEPREFIX=$(mktemp -d)
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
# The server keeps its socket in a folder named after the prefix's device and inode,
# inside /tmp/.wine-UID or a folder of its own under /tmp, depending on the build.
read -r _wine_device _wine_inode < <(stat -c '%d %i' "$WINEPREFIX")
_wine_server=$(printf 'server-%x-%x' "$_wine_device" "$_wine_inode")
_wine_cleanup() {
    # Killed servers and their processes go asynchronously: wait, or one of them makes
    # the folder again after it was removed.
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    local folder
    for folder in /tmp/.wine-"$(id -u)"/"$_wine_server" /tmp/wine-*/"$_wine_server"; do
        [ -d "$folder" ] || continue
        rm -rf "$folder"
        rmdir "$(dirname "$folder")" 2>/dev/null || true
    done
}
trap _wine_cleanup EXIT

# Call once the programs are built: makes the prefix and starts the server that every
# later Wine process of this shell shares. Left to itself the server quits after a few
# idle seconds, and programs started in parallel then race to start the next one; its
# background services start here, so no test's output stays open behind them.
# With the argument "display" the prefix's desktop is made on $DISPLAY, so every window
# of the run can show there; a desktop made without one has no graphics driver.
wine_start_server() {
    if [ "${1:-}" = display ]; then
        wineboot -i >/dev/null 2>&1 </dev/null || true
        wineserver -w
        wineserver -p
        wineboot >/dev/null 2>&1 </dev/null || true
        return
    fi
    (unset DISPLAY WAYLAND_DISPLAY; wineboot -i >/dev/null 2>&1 || true)
    wineserver -w
    wineserver -p
    (unset DISPLAY WAYLAND_DISPLAY; wineboot >/dev/null 2>&1 </dev/null || true)
}

# For windows on a display without a window manager: the fonts of Debian's fonts-wine in
# the prefix (Tahoma, the caption buttons' Marlett), and windows that Wine frames and
# focuses itself. A window handed to a window manager is hidden only once the manager
# says so, or after Wine has waited 2 s for it. Call after wine_start_server.
wine_desktop_settings() {
    local fonts=/usr/share/wine/fonts
    if [ -d "$fonts" ]; then
        cp "$fonts"/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    else
        echo "fonts-wine is not installed: windows fall back to other fonts" >&2
    fi
    local value
    for value in Decorated Managed; do
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v $value /t REG_SZ /d N /f >/dev/null 2>&1
    done
}
