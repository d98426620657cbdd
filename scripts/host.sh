# Sourced by every script: what this host can run, and one line on stderr naming the stage and
# the command when a script fails. Defines functions and variables; changes nothing by itself.

HX_ROOT=${HX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}

# Why the 32-bit Wine runs are skipped: the one reason, printed by every script that skips them.
HX_NO_32BIT_REASON="this kernel runs no 32-bit programs"

# Debian's wine32 loader. Once installed, /usr/bin/wine and Wine's own tools prefer it to the
# 64-bit one for everything, even for a 64-bit program.
HX_WINE32_LOADER=/usr/lib/wine/wine

# Some kernels of our kind are built without 32-bit emulation: there, every i386 program fails
# with "Exec format error", whatever is installed. Which packages are present cannot tell, so run
# one: 93 bytes of i386 ELF (one program header, entry right after it) that only calls exit(0).
# HX_NO_32BIT=1 makes the answer "no" on any host, so that such a kernel's path can be tried here.
hx_kernel_runs_32bit() {
    [ "${HX_NO_32BIT:-0}" = 1 ] && return 1
    local probe=$HX_ROOT/build/host-probe/i386-exit
    if [ ! -x "$probe" ]; then
        mkdir -p "${probe%/*}" || return 1
        # ELF header: 32-bit, little-endian, executable, i386, entry 0x08048054, program
        # headers at 52; program header: load 93 bytes at 0x08048000, read and execute;
        # code: mov eax, 1; xor ebx, ebx; int 0x80.
        printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\10\64\0\0\0' >"$probe.$$"
        printf '\0\0\0\0\0\0\0\0\64\0\40\0\1\0\0\0\0\0\0\0' >>"$probe.$$"
        printf '\1\0\0\0\0\0\0\0\0\200\4\10\0\200\4\10\135\0\0\0\135\0\0\0\5\0\0\0\0\20\0\0' \
            >>"$probe.$$"
        printf '\270\1\0\0\0\61\333\315\200' >>"$probe.$$"
        chmod +x "$probe.$$" && mv -f "$probe.$$" "$probe" || return 1
    fi
    "$probe" 2>/dev/null
}

hx_wine32_installed() { [ -x "$HX_WINE32_LOADER" ]; }

# Where wine32 is installed but this kernel cannot run it, every Wine call of ours must go to the
# 64-bit loader: a directory of our own in front of PATH holds a `wine` and a `wineboot` that do
# so. The system's files stay as they are.
hx_use_wine64_where_needed() {
    hx_wine32_installed && ! hx_kernel_runs_32bit || return 0
    local shim=$HX_ROOT/build/wine64-shim
    case ":$PATH:" in *":$shim:"*) return 0 ;; esac
    if [ ! -x "$shim/wineboot" ]; then
        mkdir -p "$shim"
        printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec "$WINELOADER" "$@"\n' \
            >"$shim/wine.$$"
        printf '#!/bin/sh\nexec wine wineboot.exe "$@"\n' >"$shim/wineboot.$$"
        chmod +x "$shim/wine.$$" "$shim/wineboot.$$"
        mv -f "$shim/wine.$$" "$shim/wine"
        mv -f "$shim/wineboot.$$" "$shim/wineboot"
    fi
    export PATH="$shim:$PATH"
}

# hx_on_failure NAME: from here on, a failing command that ends the script (set -e) prints one
# line, "NAME: failed in STAGE: COMMAND (exit N)", STAGE being what hx_stage last named. Only the
# script's own shell speaks: a failure inside a subshell or a command substitution is reported
# once, by the command that contains it.
hx_on_failure() {
    HX_SCRIPT=$1 HX_STAGE=start HX_SHELL_DEPTH=$BASH_SUBSHELL
    set -E
    trap 'hx_failed $?' ERR
}
hx_stage() { HX_STAGE=$*; }
# A failure that the script finds by itself: the same line, naming what failed.
hx_fail() {
    hx_report_failure "$*" 1
    exit 1
}
hx_failed() {
    [[ $- == *e* ]] && ((BASH_SUBSHELL == HX_SHELL_DEPTH)) || return 0
    hx_report_failure "${BASH_COMMAND%%$'\n'*}" "$1"
}
hx_report_failure() { echo "$HX_SCRIPT: failed in $HX_STAGE: $1 (exit $2)" >&2; }
