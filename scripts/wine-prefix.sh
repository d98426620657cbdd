# Shared by scripts/run and the end-to-end tests (e2e/): a Wine prefix seeded as Windows NT
# would be, an Xvfb display, the suite's probe program, and the driver's keys printed back.
# Source it; it defines functions, and where wine32 is installed but cannot run here it puts the
# 64-bit loader first on PATH for every Wine call that follows.

HX_ROOT=${HX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
source "$HX_ROOT/scripts/host.sh"
hx_use_wine64_where_needed

# NT's service group order, which holds "filter"; Wine's own holds only "TDI".
HX_NT_GROUP_ORDER='System Bus Extender\0SCSI miniport\0port\0Primary disk\0SCSI class\0SCSI CDROM class\0filter\0boot file system\0Base\0Pointer Port\0Keyboard Port\0Pointer Class\0Keyboard Class\0Video Init\0Video\0Video Save\0file system\0Event log\0Streams Drivers\0PNP_TDI\0NDIS\0TDI\0NetBIOSGroup\0SpoolerGroup\0NetDDEGroup\0Parallel arbitrator\0extended base\0RemoteValidation\0PCI Configuration'

HX_KEY_SERVICE='SYSTEM\CurrentControlSet\Services\HxVol'
HX_KEY_PARAMETERS='SYSTEM\CurrentControlSet\Services\HxVol\Parameters'
HX_KEY_EVENTLOG='SYSTEM\CurrentControlSet\Services\EventLog\System\HxVol'
HX_KEY_GROUPORDER='SYSTEM\CurrentControlSet\Control\ServiceGroupOrder'
HX_KEY_MEMORY='SYSTEM\CurrentControlSet\Control\Session Manager\Memory Management'

# Bump when the seeding changes, so that older prefixes are made again.
HX_SEED_VERSION=2

# The dialogs are laid out for the bitmap "MS Sans Serif" (8 points: a 13-pixel cell, 6 x 13
# dialog base units at 96 dpi). Debian's wine finds no font of that name and falls back to
# a TrueType face of 12 pixels, which makes every dialog 8 % too short and puts the painted
# panels over the controls. Wine loads whatever lies in the prefix's windows\Fonts, and the
# registry already names sserife.fon for "MS Sans Serif".
HX_DIALOG_FONT=/usr/share/wine/fonts/sserife.fon

# How Wine can run programs here: "wow64" when the 32-bit loader (Debian's wine32) is installed
# beside the 64-bit one and this kernel runs it, else "win64". A prefix is made with the 32-bit system files only when
# wine32 is there when it is made; one made before cannot start a 32-bit program ("could not
# load kernel32.dll"), so the stamp records which it is and a change makes the prefix again.
hx_wine_kind() {
    if hx_wine32_installed && hx_kernel_runs_32bit; then echo wow64; else echo win64; fi
}

hx_prepare_prefix() {
    local prefix=$1 stamp
    stamp="$HX_SEED_VERSION $(hx_wine_kind)"
    [ "$(cat "$prefix/.hx-seeded" 2>/dev/null)" = "$stamp" ] && return 0
    [ -e "$prefix" ] && echo "wine-prefix: making $prefix again (for $stamp)" >&2
    rm -rf "$prefix"
    mkdir -p "$(dirname "$prefix")"
    local -x WINEPREFIX=$prefix WINEDEBUG=-all
    # No display is needed to make a prefix; keep wineboot from asking for one.
    env -u DISPLAY wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    env -u DISPLAY wine reg add "HKLM\\$HX_KEY_MEMORY" /v NonPagedPoolSize /t REG_DWORD /d 0 /f \
        >/dev/null 2>&1
    env -u DISPLAY wine reg add "HKLM\\$HX_KEY_GROUPORDER" /v List /t REG_MULTI_SZ \
        /d "$HX_NT_GROUP_ORDER" /f >/dev/null 2>&1
    wineserver -w
    if [ -f "$HX_DIALOG_FONT" ]; then
        cp "$HX_DIALOG_FONT" "$prefix/drive_c/windows/Fonts/"
    else
        echo "wine-prefix: $HX_DIALOG_FONT missing (Debian package fonts-wine): dialogs will" \
            "be laid out with a substitute font" >&2
    fi
    if [ "$(hx_wine_kind)" = wow64 ] && [ ! -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ]; then
        echo "wine-prefix: $prefix has no 32-bit system files" >&2
        return 1
    fi
    echo "$stamp" >"$prefix/.hx-seeded"
}

# The suite's probe (e2e/probe/hxprobe.c) for architecture $1 (x64, the default, or x86: the
# same bitness as the program it looks at), built with mingw-w64 when missing or older than its
# source; prints its path.
hx_build_probe() {
    local arch=${1:-x64} src=$HX_ROOT/e2e/probe/hxprobe.c out cc laa=
    out=$HX_ROOT/build/e2e/probe-$arch/hxprobe.exe
    case $arch in
    x64) cc=x86_64-w64-mingw32-gcc-posix ;;
    # Large-address aware as the 32-bit executables are: told the memory they are told.
    x86) cc=i686-w64-mingw32-gcc-posix laa=-Wl,--large-address-aware ;;
    *) echo "hx_build_probe: no architecture $arch" >&2; return 1 ;;
    esac
    if [ ! -f "$out" ] || [ "$src" -nt "$out" ]; then
        mkdir -p "$(dirname "$out")"
        $cc -O2 -Wall -Wextra $laa -o "$out.tmp.$$" "$src" -lgdi32 -luser32 -ladvapi32 >&2 &&
            mv "$out.tmp.$$" "$out" || return 1
    fi
    echo "$out"
}

# Xvfb picks a free display itself, but a server shutting down closes its sockets a moment before
# it unlinks its socket file: a server started in that moment on the same number loses its file.
# xdotool still reaches it through the abstract socket; Wine, which needs the file, shows nothing.
# So the starts and stops of our servers take turns, under one lock for the whole machine.
HX_XVFB_LOCK=/tmp/.hx-xvfb.lock

hx_xvfb_lock() {
    : >>"$HX_XVFB_LOCK" 2>/dev/null || true
    exec {HX_XVFB_LOCK_FD}<"$HX_XVFB_LOCK"
    flock "$HX_XVFB_LOCK_FD"
}

hx_xvfb_unlock() {
    exec {HX_XVFB_LOCK_FD}<&-
}

# Starts an Xvfb on a display it picks itself; sets DISPLAY and HX_XVFB_PID.
hx_start_xvfb() {
    local fdfile i display
    fdfile=$(mktemp)
    hx_xvfb_lock
    # The server must not hold the lock for its life.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fdfile" {HX_XVFB_LOCK_FD}<&- \
        >/dev/null 2>&1 &
    HX_XVFB_PID=$!
    for i in $(seq 100); do
        [ -s "$fdfile" ] && break
        sleep 0.1
    done
    display=$(head -n 1 "$fdfile")
    rm -f "$fdfile"
    hx_xvfb_unlock
    if [ -z "$display" ]; then
        echo "could not start Xvfb" >&2
        return 1
    fi
    export DISPLAY=":$display"
    for i in $(seq 50); do
        [ -S "/tmp/.X11-unix/X$display" ] && xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "Xvfb on $DISPLAY does not answer through /tmp/.X11-unix/X$display" >&2
    return 1
}

hx_stop_xvfb() {
    wineserver -k 2>/dev/null || true
    if [ -n "${HX_XVFB_PID:-}" ]; then
        hx_xvfb_lock
        kill "$HX_XVFB_PID" 2>/dev/null || true
        wait "$HX_XVFB_PID" 2>/dev/null || true
        hx_xvfb_unlock
        HX_XVFB_PID=
    fi
}

# The driver's keys and the system values the program writes, as REGEDIT4 text (multi-strings
# and expandable strings also spelled out in comments). Runs the probe ($1: x64 or x86) in
# $WINEPREFIX.
hx_print_driver_keys() {
    local probe
    probe=$(hx_build_probe "${1:-x64}") || return 1
    cp "$probe" "$WINEPREFIX/drive_c/hxprobe.exe"
    wine 'C:\hxprobe.exe' regedit "$HX_KEY_SERVICE" "$HX_KEY_PARAMETERS" "$HX_KEY_EVENTLOG" \
        "$HX_KEY_GROUPORDER:List" "$HX_KEY_MEMORY:NonPagedPoolSize" 2>/dev/null | tr -d '\r'
}
