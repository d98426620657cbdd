#!/usr/bin/env bash
# One end-to-end test of the real HxSetup.exe under Wine and Xvfb, driven through the X server
# with keys and clicks as a user would drive it.
#
#   e2e/case.sh prepare                 the suite's fixture (probe, template prefix, exe copy)
#   e2e/case.sh NAME [ARGUMENTS...]     one test (see the cases below and e2e/CMakeLists.txt)
#
# Exit status: 0 passed, 1 failed, 77 skipped.

source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/hxcfg.sh"

SEEDED_LIST=$(hex_bytes "${HX_NT_GROUP_ORDER}\\0\\0")
PREPARED_LIST=$(hex_bytes "${HX_NT_GROUP_ORDER/\\0filter\\0/\\0Halcyonix\\0filter\\0}\\0\\0")
EVENT_MESSAGE_FILE=$(hex_bytes '%%SystemRoot%%\\System32\\Drivers\\HxVol.sys\0')

# ---- helpers shared by the cases ---------------------------------------------------------

# The main dialog of the current run: its window id, after the start status has been painted.
main_dialog() {
    local id
    id=$(e2e_window "Tarnwell Setup Utility") || return 1
    hx_wait_pixel "$id" $HX_PX_STATUS "$HX_RGB_STATUS" 10 || e2e_fail "no start status painted"
    echo "$id"
}

# Clicks row $2 of the drive list and waits for the properties panel.
pick_row() {
    local id=$1 row=$2 x y
    read -r x y <<<"$HX_DU_ROW0"
    hx_click_du "$id" "$x" $((y + row * HX_DU_ROW_STEP)) $HX_MAIN_DU
    hx_wait_pixel "$id" $HX_PX_PROPERTIES "$HX_RGB_PROPERTIES" 10 || e2e_fail "no properties panel after the pick"
}

# Presses Select/Configure Drive and waits for the status panel to change.
configure() {
    local id=$1 before
    before=$(hx_region_sum "$id" "$HX_STATUS_REGION")
    hx_click_du "$id" $HX_DU_SELECT $HX_MAIN_DU
    hx_wait_region_change "$id" "$HX_STATUS_REGION" "$before" 10 || e2e_fail "status unchanged after Select/Configure Drive"
}

# Opens the pool dialog, presses its button $2 (HX_DU_POOL_...) and then its OK or Cancel ($3).
pool_dialog() {
    local id=$1 button=$2 close=$3 pool before
    before=$(hx_region_sum "$id" "$HX_STATUS_REGION")
    hx_click_du "$id" $HX_DU_EXTEND $HX_MAIN_DU
    pool=$(e2e_window "Extend Halcyonix Maximum Size") || return 1
    sleep 0.3
    hx_screenshot "$pool" "$E2E_DIR/pool-dialog.png"
    [ -n "$button" ] && hx_click_du "$pool" ${!button} $HX_POOL_DU
    pool_dialog_close "$id" "$close" "$before"
}

# Presses OK or Cancel ($2) of the open pool dialog; after OK waits for the main dialog's ($1)
# status to change from checksum $3 (taken now when not given).
pool_dialog_close() {
    local id=$1 close=$2 before=${3:-} pool
    [ -n "$before" ] || before=$(hx_region_sum "$id" "$HX_STATUS_REGION")
    pool=$(e2e_window "Extend Halcyonix Maximum Size") || return 1
    hx_click_du "$pool" ${!close} $HX_POOL_DU
    hx_wait_window_gone "$pool" 10 || e2e_fail "the pool dialog did not close"
    if [ "$close" = HX_DU_POOL_OK ]; then
        hx_wait_region_change "$id" "$HX_STATUS_REGION" "$before" 10 || e2e_fail "status unchanged after the pool dialog"
    fi
}

# The panels are painted when something changes, never from WM_PAINT: a repaint of the whole
# main dialog ($1) leaves both showing the dialog's background.
expect_panels_wiped_by_repaint() {
    local id=$1 i status properties
    e2e_probe repaint "Tarnwell Setup Utility" || e2e_fail "the probe could not repaint the main dialog"
    for i in $(seq 50); do
        status=$(hx_pixel "$id" $HX_PX_STATUS)
        properties=$(hx_pixel "$id" $HX_PX_PROPERTIES)
        [ "$status" != "$HX_RGB_STATUS" ] && [ "$properties" != "$HX_RGB_PROPERTIES" ] && break
        sleep 0.2
    done
    hx_screenshot "$id" "$E2E_DIR/repainted.png"
    e2e_expect "status panel wiped by a repaint" \
        "$([ "$status" != "$HX_RGB_STATUS" ] && echo wiped || echo "kept ($status)")" wiped
    e2e_expect "properties panel wiped by a repaint" \
        "$([ "$properties" != "$HX_RGB_PROPERTIES" ] && echo wiped || echo "kept ($properties)")" wiped
}

# Dismisses the box titled $1 with Enter.
dismiss() {
    local id
    id=$(e2e_window "$1") || return 1
    hx_key "$id" Return
    hx_wait_window_gone "$id" 10 || e2e_fail "the box \"$1\" stayed"
}

# The system keys exactly as seeded, and no trace of the driver: nothing prepared, nothing written.
expect_untouched() {
    e2e_expect "service key absent" "$(e2e_key_state "$HX_KEY_SERVICE")" absent
    e2e_expect "event log source absent" "$(e2e_key_state "$HX_KEY_EVENTLOG")" absent
    e2e_expect_values <<EOF
HX_KEY_GROUPORDER List REG_MULTI_SZ $(hex_len "$SEEDED_LIST") $SEEDED_LIST
HX_KEY_MEMORY NonPagedPoolSize REG_DWORD 4 00000000
EOF
}

expect_prepared() {
    e2e_expect_values <<EOF
# "Halcyonix" stands right before "filter": the list is exactly 10 bytes longer.
HX_KEY_GROUPORDER List REG_MULTI_SZ $(hex_len "$PREPARED_LIST") $PREPARED_LIST
HX_KEY_EVENTLOG TypesSupported REG_DWORD 4 07000000
HX_KEY_EVENTLOG EventMessageFile REG_EXPAND_SZ 40 $EVENT_MESSAGE_FILE
EOF
}

# The service key as every OK writes it, with start type $1.
# After OK with no drive configured: pool size $1, the service not started, no disk.
expect_pool_only() {
    e2e_read_registry
    expect_service 4
    e2e_expect_values <<EOF
HX_KEY_MEMORY NonPagedPoolSize REG_DWORD 4 $(hex_dword "$1")
HX_KEY_PARAMETERS DiskSize REG_DWORD 4 00000000
EOF
}

expect_service() {
    e2e_expect_values <<EOF
HX_KEY_SERVICE Start REG_DWORD 4 $(hex_dword "$1")
HX_KEY_SERVICE Type REG_DWORD 4 01000000
HX_KEY_SERVICE ErrorControl REG_DWORD 4 01000000
HX_KEY_SERVICE Group REG_SZ 10 $(hex_bytes 'Halcyonix\0')
EOF
}

# ---- the cases ---------------------------------------------------------------------------

# The installer's notice: text $1 on the command line; caption $2 and text $3 of the one box
# expected ("-" for no box); $4 "ends" when the run stops after the box, "goes-on" when the main
# dialog follows.
case_notice() {
    local text=$1 caption=${2#-} box=${3#-} then=$4 id
    e2e_launch "$text"
    if [ -n "$caption" ]; then
        dismiss "$caption"
    fi
    if [ "$then" = goes-on ]; then
        id=$(main_dialog) && hx_key "$id" Escape
    fi
    e2e_wait_exit
    e2e_expect "message boxes" "$(e2e_box_texts)" "$box"
    e2e_read_registry
    if [ "$then" = ends ]; then
        expect_untouched
    else
        expect_prepared
        e2e_expect "Cancel: no service key" "$(e2e_key_state "$HX_KEY_SERVICE")" absent
    fi
}

# Preparation at start, then a second run that must change nothing; Esc writes no choice.
case_prepare_twice() {
    local first second id
    e2e_launch "Halcyonix Installation Successful"
    dismiss "Setup Complete"
    id=$(main_dialog) && hx_key "$id" Escape
    e2e_wait_exit
    e2e_expect "first run: the notice" "$(e2e_box_texts)" "Halcyonix Installation Successful"
    e2e_read_registry
    expect_prepared
    e2e_expect "service key absent" "$(e2e_key_state "$HX_KEY_SERVICE")" absent
    e2e_expect "pool size untouched" "$(e2e_value "$HX_KEY_MEMORY" NonPagedPoolSize)" "REG_DWORD 4 00000000"
    first=$(grep -F -e "$HX_KEY_GROUPORDER" -e "$HX_KEY_EVENTLOG" "$E2E_REG")

    e2e_launch ""
    id=$(main_dialog) && hx_key "$id" Escape
    e2e_wait_exit
    e2e_read_registry
    second=$(grep -F -e "$HX_KEY_GROUPORDER" -e "$HX_KEY_EVENTLOG" "$E2E_REG")
    e2e_expect "second run: group order and event log source unchanged" "$second" "$first"
    e2e_expect "second run: no box" "$(e2e_box_texts)" ""
}

# Every choice made in the dialogs, then Cancel: none of it reaches the registry.
case_cancel_discards() {
    local id
    e2e_launch ""
    id=$(main_dialog) || return 1
    pick_row "$id" 0
    configure "$id"
    pool_dialog "$id" HX_DU_POOL_MAXIMUM HX_DU_POOL_OK
    hx_click_du "$id" $HX_DU_CANCEL $HX_MAIN_DU
    e2e_wait_exit
    e2e_read_registry
    expect_prepared
    e2e_expect "service key absent" "$(e2e_key_state "$HX_KEY_SERVICE")" absent
    e2e_expect "parameters key absent" "$(e2e_key_state "$HX_KEY_PARAMETERS")" absent
    e2e_expect "pool size untouched" "$(e2e_value "$HX_KEY_MEMORY" NonPagedPoolSize)" "REG_DWORD 4 00000000"
}

# OK on a fresh system without any choice: the driver stays disabled, the defaults are written.
case_ok_defaults() {
    local id
    e2e_launch ""
    id=$(main_dialog) || return 1
    hx_click_du "$id" $HX_DU_OK $HX_MAIN_DU
    e2e_wait_exit
    e2e_read_registry
    expect_prepared
    expect_service 4
    e2e_expect_values <<EOF
HX_KEY_PARAMETERS BreakOnEntry REG_DWORD 4 00000000
HX_KEY_PARAMETERS DebugLevel REG_DWORD 4 00000000
HX_KEY_PARAMETERS Drive REG_DWORD 4 00000000
HX_KEY_PARAMETERS Partition REG_DWORD 4 01000000
HX_KEY_PARAMETERS DiskSize REG_DWORD 4 00000000
# Two zero bytes: the first NUL ends the text, so nothing is added to them.
HX_KEY_PARAMETERS DosDevice REG_SZ 2 0000
HX_KEY_MEMORY NonPagedPoolSize REG_DWORD 4 00000000
EOF
    e2e_expect "no other box" "$(e2e_box_texts)" ""
}

# The typical run after an installation: the RAM disk "S:" of the whole budget. Also checks
# that the dialog got the font it is laid out for, since the panels are painted in pixels.
case_ramdisk() {
    local id total budget x y pixel
    total=$(e2e_total_phys)
    budget=$(e2e_default_budget "$total")
    e2e_log "total memory $total bytes, budget $budget bytes"
    e2e_launch "Halcyonix Installation Successful"
    dismiss "Setup Complete"
    id=$(main_dialog) || return 1
    hx_geometry "$id"
    # 283 x 268 dialog units at 1.5 and 1.625 pixels per unit, give or take the rounding.
    e2e_expect "client area of the main dialog" \
        "$(((HX_W >= 424 && HX_W <= 426 && HX_H >= 435 && HX_H <= 437) ? 1 : 0)) ${HX_W}x${HX_H}" "1 ${HX_W}x${HX_H}"
    pick_row "$id" 0
    hx_screenshot "$id" "$E2E_DIR/picked.png"
    # The panel must stop above Select/Configure Drive instead of painting over it.
    read -r x y <<<"$HX_DU_SELECT"
    pixel=$(hx_pixel "$id" $((x * HX_W / 283)) $((y * HX_H / 268)))
    e2e_expect "Select/Configure Drive not covered by the properties panel" \
        "$([ "$pixel" != "$HX_RGB_PROPERTIES" ] && echo uncovered || echo "covered ($pixel)")" uncovered
    configure "$id"
    hx_screenshot "$id" "$E2E_DIR/configured.png"
    expect_panels_wiped_by_repaint "$id"
    hx_click_du "$id" $HX_DU_OK $HX_MAIN_DU
    e2e_wait_exit
    e2e_expect "message boxes" "$(e2e_box_texts)" "Halcyonix Installation Successful"
    e2e_read_registry
    expect_prepared
    expect_service 0
    # The program writes "S:" as 2 bytes without a NUL; Wine, as NT does, stores the NUL that
    # follows the caller's bytes with them, so 3 bytes come back.
    e2e_expect_values <<EOF
HX_KEY_PARAMETERS BreakOnEntry REG_DWORD 4 00000000
HX_KEY_PARAMETERS DebugLevel REG_DWORD 4 00000000
HX_KEY_PARAMETERS Drive REG_DWORD 4 00000000
HX_KEY_PARAMETERS Partition REG_DWORD 4 00000000
HX_KEY_PARAMETERS DiskSize REG_DWORD 4 $(hex_dword "$budget")
HX_KEY_PARAMETERS DosDevice REG_SZ 3 $(hex_bytes 'S:\0')
HX_KEY_MEMORY NonPagedPoolSize REG_DWORD 4 00000000
EOF
}

# A small fixed drive D: (a 16 MiB tmpfs declared "hd" to Wine) mirrored in memory. $1 "wine":
# the device name Wine's mount manager gives it; "nt": redefined as an NT partition name.
case_mirror() {
    local naming=$1 id small device drive partition
    if ! { [ "$(id -u)" -eq 0 ] && command -v mount >/dev/null; }; then
        e2e_log "a small fixed drive needs a tmpfs mount, which needs root"
        exit 77
    fi
    small=$E2E_DIR/small
    mkdir -p "$small"
    mount -t tmpfs -o size=16m hxe2e "$small" || { e2e_log "tmpfs mount refused"; exit 77; }
    E2E_MOUNT=$small
    ln -sfn "$small" "$WINEPREFIX/dosdevices/d:"
    # Keep one wineserver for the whole test: a redefined device lives as long as it does.
    wineserver -p
    E2E_PERSISTENT=1
    wine reg add 'HKLM\Software\Wine\Drives' /v d: /t REG_SZ /d hd /f >/dev/null 2>&1
    if [ "$naming" = nt ]; then
        e2e_probe dosdevice D: '\Device\Harddisk1\Partition2'
    fi
    e2e_probe drives >"$E2E_DIR/drives.txt"
    device=$(awk -F'\t' '$1 == "D:" { print $2, $3, $5 }' "$E2E_DIR/drives.txt")
    e2e_log "D: as the program sees it (type, bytes, device): $device"
    case $naming in
    nt)
        e2e_expect "D: is a 16 MiB fixed drive behind an NT partition name" "$device" \
            '3 16777216 \Device\Harddisk1\Partition2'
        drive=1 partition=2
        ;;
    *)
        # Wine names the volume \Device\HarddiskVolume<n>: no digit where the disk number
        # stands, and the name ends before the partition number's place; both read as 0.
        e2e_expect "D: is a 16 MiB fixed drive behind Wine's volume name" \
            "$(sed 's/Volume[0-9]*$/Volume<n>/' <<<"$device")" '3 16777216 \Device\HarddiskVolume<n>'
        drive=0 partition=0
        ;;
    esac
    e2e_launch ""
    id=$(main_dialog) || return 1
    pick_row "$id" 0
    configure "$id"
    hx_screenshot "$id" "$E2E_DIR/configured.png"
    hx_click_du "$id" $HX_DU_OK $HX_MAIN_DU
    e2e_wait_exit
    e2e_read_registry
    expect_service 0
    e2e_expect_values <<EOF
HX_KEY_PARAMETERS Drive REG_DWORD 4 $(hex_dword $drive)
HX_KEY_PARAMETERS Partition REG_DWORD 4 $(hex_dword $partition)
# A mirrored drive has no size of its own in the configuration.
HX_KEY_PARAMETERS DiskSize REG_DWORD 4 00000000
HX_KEY_PARAMETERS DosDevice REG_SZ 3 $(hex_bytes 'D:\0')
EOF
    e2e_expect "no box" "$(e2e_box_texts)" ""
}

# Extend Pool Memory, Maximum, OK, then OK: the pool size of 75 % of memory is written.
case_pool_maximum() {
    local id total pool
    total=$(e2e_total_phys)
    pool=$(e2e_max_pool_size "$total")
    e2e_log "total memory $total bytes, 75 % pool size $pool bytes"
    e2e_launch ""
    id=$(main_dialog) || return 1
    pool_dialog "$id" HX_DU_POOL_MAXIMUM HX_DU_POOL_OK
    hx_click_du "$id" $HX_DU_OK $HX_MAIN_DU
    e2e_wait_exit
    expect_pool_only "$pool"
}

# "X Y" of window $1 on the screen.
window_origin() {
    local WIDTH HEIGHT X Y SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    echo "$X $Y"
}

# "open" while window $1 is mapped, else "gone".
window_state() {
    xdotool search --onlyvisible --name '.*' 2>/dev/null | grep -qx "$1" && echo open || echo gone
}

# The pool dialog is modal to the main dialog and opens over it: while it is open a click on the
# main dialog's OK does nothing, and after its Cancel the main dialog is still there. Opened
# again, Alt+M then Enter store the maximum from the keyboard alone.
case_pool_modal() {
    local id pool total max
    total=$(e2e_total_phys)
    max=$(e2e_max_pool_size "$total")
    e2e_launch ""
    id=$(main_dialog) || return 1
    hx_click_du "$id" $HX_DU_EXTEND $HX_MAIN_DU
    pool=$(e2e_window "Extend Halcyonix Maximum Size") || return 1
    # Its template position 0, 0 is where its client area goes in the main dialog's; the X window
    # of each is its client area.
    e2e_expect "pool dialog's client area at the main dialog's" \
        "$(window_origin "$pool")" "$(window_origin "$id")"
    # A click that reached the main dialog's OK would end the run once the pool dialog closes
    # (this Wine leaves the ended dialog on screen until then).
    hx_click_du "$id" $HX_DU_OK $HX_MAIN_DU
    sleep 1
    hx_screenshot root "$E2E_DIR/after-main-ok.png"
    e2e_expect "pool dialog after a click on the main dialog's OK" "$(window_state "$pool")" open
    hx_click_du "$pool" $HX_DU_POOL_CANCEL $HX_POOL_DU
    hx_wait_window_gone "$pool" 10 || e2e_fail "the pool dialog did not close on Cancel"
    sleep 1
    e2e_expect "main dialog after the pool dialog's Cancel" "$(window_state "$id")" open

    hx_click_du "$id" $HX_DU_EXTEND $HX_MAIN_DU
    pool=$(e2e_window "Extend Halcyonix Maximum Size") || return 1
    hx_key "$pool" alt+m Return
    hx_wait_window_gone "$pool" 10 || e2e_fail "Alt+M then Enter left the pool dialog open"
    hx_click_du "$id" $HX_DU_OK $HX_MAIN_DU
    e2e_wait_exit
    e2e_expect "no box" "$(e2e_box_texts)" ""
    expect_pool_only "$max"
}

# A pool size above 75 % of memory, set by other means: the pool dialog opens showing 75 (the
# up-down control holds its range and writes that into its box), and OK stores the pool size of
# 75 %, with the memory figures following it; then OK writes it.
case_pool_above_maximum() {
    local id total stored pool budget
    total=$(e2e_total_phys)
    stored=$((total / 100 * 90))
    pool=$(e2e_max_pool_size "$total")
    budget=$((pool - 4194304))
    e2e_log "total memory $total bytes, stored pool size $stored bytes, 75 % $pool bytes"
    wine reg add "HKLM\\$HX_KEY_MEMORY" /v NonPagedPoolSize /t REG_DWORD /d "$stored" /f >/dev/null 2>&1
    wineserver -w
    e2e_read_registry
    e2e_expect "seeded pool size" "$(e2e_value "$HX_KEY_MEMORY" NonPagedPoolSize)" \
        "REG_DWORD 4 $(hex_dword "$stored")"
    e2e_launch ""
    id=$(main_dialog) || return 1
    e2e_expect "usable memory at start: the stored pool size less 4 MiB" \
        "$(e2e_probe control "Tarnwell Setup Utility" 1006)" \
        "$(printf '1\tUsable Memory: %5d MB' $(((stored - 4194304) / 1024000)))"
    hx_click_du "$id" $HX_DU_EXTEND $HX_MAIN_DU
    e2e_window "Extend Halcyonix Maximum Size" >/dev/null || return 1
    e2e_expect "the pool dialog's box shows 75" \
        "$(e2e_probe control "Extend Halcyonix Maximum Size" 1007)" "$(printf '1\t75')"
    pool_dialog_close "$id" HX_DU_POOL_OK
    e2e_expect "memory texts after OK" \
        "$(e2e_probe control "Tarnwell Setup Utility" 1005; e2e_probe control "Tarnwell Setup Utility" 1006)" \
        "$(printf '1\tSystem Memory: %5d MB\n1\tUsable Memory: %5d MB' $((total / 1024000)) $((budget / 1024000)))"
    hx_click_du "$id" $HX_DU_OK $HX_MAIN_DU
    e2e_wait_exit
    e2e_expect "no box" "$(e2e_box_texts)" ""
    expect_pool_only "$pool"
}

# A system without a NonPagedPoolSize value cannot be prepared: one error box, and nothing of
# the driver's is written.
case_fatal_no_pool_size() {
    wine reg delete "HKLM\\$HX_KEY_MEMORY" /v NonPagedPoolSize /f >/dev/null 2>&1
    wineserver -w
    e2e_launch "Halcyonix Installation Successful"
    dismiss "Setup Complete"
    dismiss "Halcyonix Not Configured"
    e2e_wait_exit
    e2e_expect "message boxes" "$(e2e_box_texts)" \
        "$(printf '%s\n%s' 'Halcyonix Installation Successful' 'Fatal Error\n Unable to query session manager')"
    e2e_read_registry
    e2e_expect "service key absent" "$(e2e_key_state "$HX_KEY_SERVICE")" absent
    e2e_expect "event log source absent" "$(e2e_key_state "$HX_KEY_EVENTLOG")" absent
    e2e_expect_values <<EOF
HX_KEY_GROUPORDER List REG_MULTI_SZ $(hex_len "$SEEDED_LIST") $SEEDED_LIST
HX_KEY_MEMORY NonPagedPoolSize absent
EOF
}

# Case $1 (with the arguments after it) on the signed executables of this architecture that
# scripts/check-release leaves in build/signed/, in place of the build's: both signatures are
# verified first against the certificate kept beside them, so that what runs is what was signed.
case_signed() {
    local signed=$HX_ROOT/build/signed exe
    if [ ! -f "$signed/cert.pem" ]; then
        e2e_log "no signed executables in build/signed/: scripts/check-release makes them"
        exit 77
    fi
    for exe in HxSetup.exe hxcfg.exe; do
        osslsigncode verify -in "$signed/$HX_E2E_ARCH/$exe" -CAfile "$signed/cert.pem" \
            -ignore-cdp >"$E2E_DIR/verify-$exe.log" 2>&1 ||
            { e2e_fail "the signature of $HX_E2E_ARCH/$exe does not verify"; return 1; }
    done
    cp "$signed/$HX_E2E_ARCH/HxSetup.exe" "$WINEPREFIX/drive_c/HxSetup.exe"
    HXCFG_EXE=$signed/$HX_E2E_ARCH/hxcfg.exe
    "case_$1" "${@:2}"
}

# ---- entry -------------------------------------------------------------------------------

name=${1:?usage: e2e/case.sh prepare | NAME [ARGUMENTS...]}
shift
if [ "$name" = prepare ]; then
    e2e_prepare
    exit
fi
declare -F "case_$name" >/dev/null || { e2e_log "no case $name"; exit 2; }
e2e_begin "$name${1:+-$(printf %s "$1" | tr -c "A-Za-z0-9" "_" | cut -c1-48)}"
"case_$name" "$@" || e2e_fail "case_$name stopped early"
