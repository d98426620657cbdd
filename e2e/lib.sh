# The end-to-end suite's harness: a fresh Wine prefix per test, hard-linked from a template;
# an Xvfb of its own; HxSetup started as the installer starts it; evidence read back without
# the program's help (the message boxes' texts from Wine's +msgbox trace, their captions from
# the X window titles, registry values byte for byte from the suite's probe).

set -euo pipefail

HX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$HX_ROOT/scripts/wine-prefix.sh"
source "$HX_ROOT/scripts/walk.sh"

# The executable under test: HX_E2E_ARCH x64 (the default) or x86 picks the build directory,
# E2E_BUILD, where every executable of that architecture lies (HxSetup.exe and its siblings).
HX_E2E_ARCH=${HX_E2E_ARCH:-x64}
case $HX_E2E_ARCH in
x64) E2E_BUILD=$HX_ROOT/build/windows ;;
x86) E2E_BUILD=$HX_ROOT/build/windows-x86 ;;
*) echo "e2e: HX_E2E_ARCH is x64 or x86, not $HX_E2E_ARCH" >&2; exit 2 ;;
esac
export HX_E2E_ARCH E2E_BUILD
# Where the kernel runs no 32-bit program, no 32-bit Wine process can start: skip at once.
if [ "$HX_E2E_ARCH" = x86 ] && ! hx_kernel_runs_32bit; then
    echo "SKIPPED: $HX_NO_32BIT_REASON"
    exit 77
fi

# Each architecture has its own work directory (template prefix, copies, runs), so that both
# suites can run side by side.
E2E_WORK=$HX_ROOT/build/e2e/$HX_E2E_ARCH
E2E_TEMPLATE=$E2E_WORK/template
E2E_EXE_SOURCE=${HX_E2E_EXE:-$E2E_BUILD/HxSetup.exe}
E2E_FAILURES=0

e2e_log() { echo "e2e ($HX_E2E_ARCH): $*" >&2; }

# ---- the suite's fixture -----------------------------------------------------------------

# Builds the probe of the same bitness, makes the template prefix (once per seeding version and
# kind of Wine) and takes a copy of the executable under test, so that a rebuild during the run
# cannot change it half-way.
e2e_prepare() {
    [ -f "$E2E_EXE_SOURCE" ] || {
        e2e_log "no $E2E_EXE_SOURCE: build it first (cmake --preset ${E2E_BUILD##*/} && cmake --build --preset ${E2E_BUILD##*/})"
        return 1
    }
    mkdir -p "$E2E_WORK"
    local probe
    probe=$(hx_build_probe "$HX_E2E_ARCH") || return 1
    cp "$probe" "$E2E_WORK/hxprobe.exe"
    if [ -f "$E2E_WORK/template.sha256" ] && ! e2e_template_unchanged; then
        e2e_log "the template prefix was changed by an earlier run: making it again"
        rm -rf "$E2E_TEMPLATE"
    fi
    hx_prepare_prefix "$E2E_TEMPLATE"
    local dir
    for dir in "$E2E_WORK"/run/*/; do
        [ -d "$dir" ] && e2e_clear_leftovers "${dir%/}"
    done
    cp "$E2E_EXE_SOURCE" "$E2E_WORK/HxSetup.exe.tmp"
    mv "$E2E_WORK/HxSetup.exe.tmp" "$E2E_WORK/HxSetup.exe"
    e2e_template_manifest >"$E2E_WORK/template.sha256"
    rm -rf "$E2E_WORK/run" 2>/dev/null || true
}

# Every test works in a hard-linked copy of the template, but for the registry files: wineserver
# saves a registry file that has more than one link in place (it replaces only a file of its
# own by rename), which would write one test's registry into the template and every other copy.
# The check below catches any other file written in place.
e2e_template_manifest() {
    (cd "$E2E_TEMPLATE" && find . -maxdepth 1 -type f | sort | xargs sha256sum)
}

e2e_template_unchanged() {
    diff -q <(e2e_template_manifest) "$E2E_WORK/template.sha256" >/dev/null
}

# What a test killed from outside (a timeout) could not clean up itself: its wineserver and
# its mounts.
e2e_clear_leftovers() {
    local dir=$1 mnt
    [ -d "$dir/pfx" ] && WINEPREFIX=$dir/pfx timeout 20 wineserver -k 2>/dev/null || true
    for mnt in $(awk -v d="$dir/" 'index($2, d) == 1 { print $2 }' /proc/mounts); do
        umount "$mnt" 2>/dev/null || umount -l "$mnt" 2>/dev/null || true
    done
}

# ---- one test ----------------------------------------------------------------------------

# Starts test $1: its own directory, prefix and X server. Cleans up on exit, whatever happens.
e2e_begin() {
    E2E_NAME=$1
    [ -f "$E2E_WORK/template.sha256" ] || { e2e_log "run the fixture first (e2e/case.sh prepare)"; exit 1; }
    E2E_DIR=$E2E_WORK/run/$E2E_NAME
    e2e_clear_leftovers "$E2E_DIR"
    rm -rf "$E2E_DIR"
    mkdir -p "$E2E_DIR"
    cp -al "$E2E_TEMPLATE" "$E2E_DIR/pfx"
    local reg
    for reg in "$E2E_TEMPLATE"/*.reg; do
        cp --remove-destination "$reg" "$E2E_DIR/pfx/"
    done
    export WINEPREFIX=$E2E_DIR/pfx WINEDEBUG=-all
    cp "$E2E_WORK/HxSetup.exe" "$WINEPREFIX/drive_c/HxSetup.exe"
    cp "$E2E_WORK/hxprobe.exe" "$WINEPREFIX/drive_c/hxprobe.exe"
    E2E_APP=
    E2E_MOUNT=
    E2E_RUNS=0
    E2E_PERSISTENT=0
    trap e2e_end EXIT
    hx_start_xvfb
    e2e_log "$E2E_NAME: prefix $WINEPREFIX, display $DISPLAY"
}

e2e_end() {
    local status=$?
    [ -n "${E2E_APP:-}" ] && kill "$E2E_APP" 2>/dev/null || true
    hx_stop_xvfb
    timeout 20 wineserver -w 2>/dev/null || true
    if [ -n "${E2E_MOUNT:-}" ]; then
        umount "$E2E_MOUNT" 2>/dev/null || umount -l "$E2E_MOUNT" 2>/dev/null || true
    fi
    if ! e2e_template_unchanged; then
        e2e_log "FAIL: the template prefix changed during $E2E_NAME"
        status=1
    fi
    if ((status == 0 && E2E_FAILURES > 0)); then status=1; fi
    if ((status == 77)); then
        e2e_log "$E2E_NAME: skipped"
    elif ((status == 0)); then
        e2e_log "$E2E_NAME: passed"
        rm -rf "$E2E_DIR/pfx"
    else
        e2e_log "$E2E_NAME: FAILED (evidence in ${E2E_DIR#"$HX_ROOT"/})"
    fi
    exit "$status"
}

# Starts HxSetup as the driver's installer does: the text, unquoted, is the whole command line
# after the program's name. Each run's Wine trace of message boxes goes to run<N>.log.
e2e_launch() {
    local text=$1
    E2E_RUNS=$((E2E_RUNS + 1))
    E2E_LOG=$E2E_DIR/run$E2E_RUNS.log
    WINEDEBUG=+msgbox wine cmd /c "C:\\HxSetup.exe${text:+ $text}" >"$E2E_LOG" 2>&1 &
    E2E_APP=$!
}

# Waits up to $1 seconds (30) for the program's run to end.
e2e_wait_exit() {
    local timeout=${1:-30} i
    for i in $(seq $((timeout * 10))); do
        if ! kill -0 "$E2E_APP" 2>/dev/null; then
            wait "$E2E_APP" 2>/dev/null || true
            E2E_APP=
            # Let the Wine system of this run wind down (unless it is kept on purpose).
            ((${E2E_PERSISTENT:-0})) || timeout 30 wineserver -w 2>/dev/null || true
            return 0
        fi
        sleep 0.1
    done
    e2e_fail "the program did not end within $timeout s"
    return 1
}

# The texts of the message boxes of the last run, one a line, as Wine's trace spells them
# (a line break shows as \n).
e2e_box_texts() {
    sed -n 's/.*trace:msgbox:MSGBOX_OnInit L"\(.*\)"$/\1/p' "$E2E_LOG" | tr -d '\r'
}

# Waits for the window titled $1 (the caption); prints its id or records a failure.
e2e_window() {
    local id
    if id=$(hx_wait_window "$1" "${2:-30}"); then
        echo "$id"
    else
        hx_screenshot root "$E2E_DIR/missing-$(echo "$1" | tr -c 'A-Za-z0-9\n' '-').png" || true
        e2e_fail "no window titled \"$1\""
        return 1
    fi
}

# Runs the probe in the test's prefix.
e2e_probe() {
    wine 'C:\hxprobe.exe' "$@" 2>/dev/null | tr -d '\r'
}

# Reads keys (relative to HKLM) into $E2E_DIR/reg<N>.txt and E2E_REG.
e2e_read_registry() {
    E2E_REG=$E2E_DIR/reg$E2E_RUNS.txt
    e2e_probe reg "$HX_KEY_SERVICE" "$HX_KEY_PARAMETERS" "$HX_KEY_EVENTLOG" "$HX_KEY_GROUPORDER" \
        "$HX_KEY_MEMORY" "$@" >"$E2E_REG"
}

# "TYPE BYTES HEX" of value $2 of key $1 in the last registry reading; "absent" if none.
e2e_value() {
    awk -F'\t' -v k="$1" -v n="$2" '$1 == k && $2 == n { print $3, $4, $5; found = 1 }
        END { if (!found) print "absent" }' "$E2E_REG"
}

# "present" or "absent" for key $1 in the last registry reading.
e2e_key_state() {
    awk -F'\t' -v k="$1" '$1 == k && $2 == "(key)" { print $3 }' "$E2E_REG"
}

# ---- checks: a failure is recorded and the test goes on, so one run reports every fault --

e2e_fail() {
    E2E_FAILURES=$((E2E_FAILURES + 1))
    e2e_log "FAIL: $*"
}

e2e_expect() {
    local what=$1 actual=$2 expected=$3
    if [ "$actual" = "$expected" ]; then
        e2e_log "ok: $what"
    else
        e2e_fail "$what"$'\n'"    expected: $expected"$'\n'"    actual:   $actual"
    fi
}

# Checks values against a table read from stdin: "key value TYPE bytes hex" a line, key being
# a shell variable's name (HX_KEY_...), blank lines and # comments ignored.
e2e_expect_values() {
    local key name type cb hex
    while read -r key name type cb hex; do
        [ -z "$key" ] || [ "${key:0:1}" = "#" ] && continue
        if [ "$type" = absent ]; then
            e2e_expect "$name absent" "$(e2e_value "${!key}" "$name")" "absent"
        else
            e2e_expect "$name = $type $cb bytes" "$(e2e_value "${!key}" "$name")" "$type $cb $hex"
        fi
    done
}

# ---- bytes as the probe prints them ------------------------------------------------------

hex_dword() { printf '%02x%02x%02x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
# printf-style text (\0 for a NUL) as hex.
hex_bytes() { printf "$1" | od -An -tx1 -v | tr -d ' \n'; }
hex_len() { echo $((${#1} / 2)); }

# ---- the machine's memory as the program sees it, and the budget arithmetic's oracle -----

# Total physical memory as a 32-bit count, as a process of the program's bitness is told it:
# a 64-bit figure above 4 GiB is saturated by the program.
e2e_total_phys() {
    local total
    total=$(e2e_probe memory)
    ((total > 4294967295)) && total=4294967295
    echo "$total"
}

# The usable budget for the system's default pool size.
e2e_default_budget() {
    local total=$1 q
    if ((total <= 17000000)); then echo 3145728; return; fi
    q=$((total / 4))
    if ((q & 0xFFFFF)); then echo $(((q & ~0xFFFFF) + 0x100000)); else echo "$q"; fi
}

# The pool size that 75 % of memory stands for.
e2e_max_pool_size() {
    local total=$1 acc
    acc=$((total / 4 * 3))
    ((acc % 8192)) && acc=$(((acc / 8192 + 1) * 8192))
    if ((total >= 16777216 && acc > total - 16777216)); then acc=$((total - 16777216)); fi
    echo "$acc"
}
