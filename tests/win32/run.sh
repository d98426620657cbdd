#!/usr/bin/env bash
# Runs the Windows build of the conformance tests (hx_conformance.exe, given) under Wine, in a
# prefix of its own under build/ and inside an Xvfb for the dialogs. Exit 77 when Wine or Xvfb
# is missing, or a 32-bit build cannot run here. Any test that fails here, while the same source passes against sim natively, is a
# difference between the two implementations.
set -euo pipefail
exe=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
HX_ROOT=$(cd "$here/../.." && pwd)
. "$HX_ROOT/scripts/wine-prefix.sh"

for tool in wine Xvfb xdotool; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIPPED: $tool not installed (scripts/setup installs it)"
        exit 77
    fi
done

# A 32-bit build needs a kernel that runs 32-bit programs and Debian's wine32.
if objdump -f "$exe" 2>/dev/null | grep -q 'pei-i386'; then
    if ! hx_kernel_runs_32bit; then
        echo "SKIPPED: $HX_NO_32BIT_REASON"
        exit 77
    fi
    if ! hx_wine32_installed; then
        echo "SKIPPED: wine32 not installed, $exe cannot run"
        exit 77
    fi
fi

# One prefix for both builds (a prefix takes over a gigabyte); they run one after the other.
export WINEPREFIX=${HX_CONFORMANCE_PREFIX:-$HX_ROOT/build/conformance-prefix}
export WINEDEBUG=-all
hx_on_failure conformance
hx_stage "preparing the Wine prefix"
hx_prepare_prefix "$WINEPREFIX"
# No window manager runs in the Xvfb: unmanaged windows spare Wine its one-second wait for one
# on every dialog that is hidden or destroyed.
if [ ! -f "$WINEPREFIX/.hx-unmanaged" ]; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.hx-unmanaged"
fi
trap hx_stop_xvfb EXIT
hx_stage "starting Xvfb"
hx_start_xvfb
hx_stage "running ${exe##*/} under Wine"
# Wine's 64-bit loader, asked for a 32-bit program whose loader cannot run, exits 0 without a
# word: a run is only a pass when GoogleTest said so.
log=${exe%.exe}.log
set +e
wine "$exe" "$@" 2>&1 | tr -d '\r' | tee "$log"
status=${PIPESTATUS[0]}
set -e
if ((status != 0)); then
    hx_report_failure "wine ${exe##*/}" "$status"
    exit "$status"
fi
grep -q '^\[  PASSED  \]' "$log" || hx_fail "${exe##*/} under Wine ran no test"
