# The console companion hxcfg.exe under Wine, beside the dialog: sourced by e2e/case.sh, whose
# helpers it uses. The executable comes from the build of the architecture under test.

HXCFG_EXE=${E2E_BUILD:-$HX_ROOT/build/windows}/hxcfg.exe
HXCFG_RUNS=0

# Where the system looks for the driver's image without an ImagePath, as Wine names it to hxcfg,
# and that file in the prefix: the driver's installer puts it there before it runs the set-up.
HX_DRIVER_IMAGE='C:\windows\System32\drivers\HxVol.sys'
driver_image_file() {
    echo "$WINEPREFIX/drive_c/windows/system32/drivers/HxVol.sys"
}
driver_image_install() {
    printf 'MZ' >"$(driver_image_file)"
}
driver_image_remove() {
    rm -f "$(driver_image_file)"
}

# Copies hxcfg.exe into the test's prefix, with the driver's image in its place.
hxcfg_install() {
    [ -f "$HXCFG_EXE" ] || { e2e_fail "no $HXCFG_EXE: build it first"; return 1; }
    cp "$HXCFG_EXE" "$WINEPREFIX/drive_c/hxcfg.exe"
    driver_image_install
}

# Runs hxcfg with the arguments given. Its stdout and stderr (line ends as Unix ones) go to
# $HXCFG_OUT and $HXCFG_ERR, its exit status to HXCFG_STATUS.
hxcfg_run() {
    HXCFG_RUNS=$((HXCFG_RUNS + 1))
    HXCFG_OUT=$E2E_DIR/hxcfg$HXCFG_RUNS.out
    HXCFG_ERR=$E2E_DIR/hxcfg$HXCFG_RUNS.err
    HXCFG_STATUS=0
    wine 'C:\hxcfg.exe' "$@" >"$HXCFG_OUT.raw" 2>"$HXCFG_ERR.raw" || HXCFG_STATUS=$?
    tr -d '\r' <"$HXCFG_OUT.raw" >"$HXCFG_OUT"
    tr -d '\r' <"$HXCFG_ERR.raw" >"$HXCFG_ERR"
    e2e_log "hxcfg $*: exit $HXCFG_STATUS"
}

# The dialog's own RAM disk: launched, the RAM-disk row picked and configured, then OK.
dialog_configures_ramdisk() {
    local id
    e2e_launch ""
    id=$(main_dialog) || return 1
    pick_row "$id" 0
    configure "$id"
    hx_click_du "$id" $HX_DU_OK $HX_MAIN_DU
    e2e_wait_exit
}

# The lines after the verdict of the last status, up to its notes: its reasons, one a line.
hxcfg_reasons() {
    sed -n '/^Verdict: /,$p' "$HXCFG_OUT" | tail -n +2 | sed '/^Notes /,$d' | sed 's/^  //'
}

# The notes after the reasons, one a line.
hxcfg_notes() {
    sed -n '/^Notes /,$p' "$HXCFG_OUT" | tail -n +2 | sed 's/^  //'
}

# A checksum of the status panel of the dialog of a run without a command line, then Esc, in
# STATUS_SUM. Not printed for a command substitution: the run must count in this shell, so that
# its log is not overwritten by the next run's and a hung program is still killed at the end.
status_panel_sum() {
    local id
    e2e_launch ""
    id=$(main_dialog) || return 1
    sleep 0.5
    STATUS_SUM=$(hx_region_sum "$id" "$HX_STATUS_REGION")
    hx_screenshot "$id" "$E2E_DIR/status$E2E_RUNS.png"
    hx_key "$id" Escape
    e2e_wait_exit
}

# hxcfg ramdisk writes what the dialog writes: the dialog then starts on "Running on drive S:",
# exactly as after it configured the RAM disk itself.
case_hxcfg_ramdisk() {
    local by_dialog by_hxcfg nothing dialog_size
    hxcfg_install || return 1
    status_panel_sum || return 1
    nothing=$STATUS_SUM

    dialog_configures_ramdisk || return 1
    # The budget as this architecture's process sees the memory: a 32-bit one may see less.
    e2e_read_registry
    dialog_size=$(e2e_value "$HX_KEY_PARAMETERS" DiskSize)
    status_panel_sum || return 1
    by_dialog=$STATUS_SUM
    e2e_expect "the dialog's own RAM disk changes the start status" \
        "$([ "$by_dialog" != "$nothing" ] && echo changed || echo unchanged)" changed

    hxcfg_run remove
    e2e_expect "hxcfg remove exits 0" "$HXCFG_STATUS" 0
    hxcfg_run ramdisk
    e2e_expect "hxcfg ramdisk exits 0" "$HXCFG_STATUS" 0
    e2e_expect "hxcfg ramdisk: no error" "$(cat "$HXCFG_ERR")" ""
    e2e_read_registry
    expect_prepared
    expect_service 0
    e2e_expect "DiskSize as the dialog wrote it" "$(e2e_value "$HX_KEY_PARAMETERS" DiskSize)" \
        "$dialog_size"
    e2e_expect_values <<EOF
HX_KEY_PARAMETERS DosDevice REG_SZ 3 $(hex_bytes 'S:\0')
HX_KEY_MEMORY NonPagedPoolSize REG_DWORD 4 00000000
EOF
    status_panel_sum || return 1
    by_hxcfg=$STATUS_SUM
    e2e_expect "start status after hxcfg ramdisk is the dialog's \"Running on drive S:\"" \
        "$by_hxcfg" "$by_dialog"
}

# OK in the dialog on the RAM disk, then status: the disk will be built.
case_hxcfg_status_after_ok() {
    hxcfg_install || return 1
    dialog_configures_ramdisk || return 1
    hxcfg_run status
    e2e_expect "status exits 0" "$HXCFG_STATUS" 0
    e2e_expect "verdict" "$(grep '^Verdict: ' "$HXCFG_OUT")" \
        "Verdict: the disk will be built at the next start"
    e2e_expect "status: no error" "$(cat "$HXCFG_ERR")" ""
}

# remove, then status lists why the disk will not be built; the system keys are as seeded.
case_hxcfg_remove_status() {
    hxcfg_install || return 1
    hxcfg_run ramdisk 1M
    e2e_expect "ramdisk 1M exits 0" "$HXCFG_STATUS" 0
    hxcfg_run remove
    e2e_expect "remove exits 0" "$HXCFG_STATUS" 0
    e2e_expect "remove: the pool size stays" "$(grep '^NonPagedPoolSize' "$HXCFG_OUT")" \
        "NonPagedPoolSize: 0, the system's default"
    hxcfg_run status
    e2e_expect "status exits 1" "$HXCFG_STATUS" 1
    e2e_expect "status: the reasons" "$(hxcfg_reasons)" "$(printf '%s\n' 'no service key' \
        'no Parameters key')"
    e2e_expect "status: the notes" "$(hxcfg_notes)" "$(printf '%s\n' \
        '"Halcyonix" is missing from the service group order' 'no event log source')"
    e2e_read_registry
    expect_untouched
    hxcfg_run remove --force
    e2e_expect "an unknown option exits 2" "$HXCFG_STATUS" 2
    e2e_expect "with one line" "$(cat "$HXCFG_ERR")" 'hxcfg: unknown option: "--force"'
}

# A value the driver reads as a number, stored as text by hand: status names the value and its
# type, and calls the disk not built.
case_hxcfg_status_broken_value() {
    hxcfg_install || return 1
    hxcfg_run ramdisk 1M
    e2e_expect "ramdisk 1M exits 0" "$HXCFG_STATUS" 0
    wine reg add "HKLM\\$HX_KEY_PARAMETERS" /v DiskSize /t REG_SZ /d 67108864 /f >/dev/null 2>&1
    hxcfg_run status
    e2e_expect "status exits 1" "$HXCFG_STATUS" 1
    e2e_expect "status: the one reason" "$(hxcfg_reasons)" \
        'DiskSize is stored as REG_SZ, not REG_DWORD'
    e2e_expect "status shows the value as stored" "$(grep '^  DiskSize: ' "$HXCFG_OUT")" \
        '  DiskSize: "67108864"'
}

# The removal recipe of docs/hxcfg.md's batch file, in either order, after the pool and a RAM
# disk were configured: nothing of the driver stays, and the pool is at its default.
case_hxcfg_removal_recipe() {
    local order
    hxcfg_install || return 1
    for order in "remove,pool default" "pool default,remove"; do
        hxcfg_run pool max
        e2e_expect "$order: pool max, the driver not installed, exits 0" "$HXCFG_STATUS" 0
        hxcfg_run ramdisk
        e2e_expect "$order: ramdisk exits 0" "$HXCFG_STATUS" 0
        # Word splitting makes the commands' arguments.
        # shellcheck disable=SC2086
        hxcfg_run ${order%%,*}
        e2e_expect "$order: the first exits 0" "$HXCFG_STATUS" 0
        # shellcheck disable=SC2086
        hxcfg_run ${order##*,}
        e2e_expect "$order: the second exits 0" "$HXCFG_STATUS" 0
        e2e_expect "$order: no error" "$(cat "$HXCFG_ERR")" ""
        e2e_read_registry
        expect_untouched
    done
}

# Values that the system reads all the same, only not as HxSetup writes them, are notes: the disk
# is built (exit 0). A start type that does not load the driver at the next start is a reason,
# and the notes are printed beside it.
case_hxcfg_notes_reasons() {
    hxcfg_install || return 1
    hxcfg_run ramdisk 1M
    e2e_expect "ramdisk 1M exits 0" "$HXCFG_STATUS" 0
    wine reg add "HKLM\\$HX_KEY_SERVICE" /v Start /t REG_DWORD /d 2 /f >/dev/null 2>&1
    wine reg add "HKLM\\$HX_KEY_SERVICE" /v ErrorControl /t REG_SZ /d 1 /f >/dev/null 2>&1
    hxcfg_run status
    e2e_expect "notes only: status exits 0" "$HXCFG_STATUS" 0
    e2e_expect "notes only: verdict" "$(grep '^Verdict: ' "$HXCFG_OUT")" \
        "Verdict: the disk will be built at the next start"
    e2e_expect "notes only: no reasons" "$(hxcfg_reasons)" ""
    e2e_expect "notes only: the notes" "$(hxcfg_notes)" "$(printf '%s\n' \
        'ErrorControl is stored as REG_SZ, not REG_DWORD' 'Start is 2, not 0')"
    wine reg add "HKLM\\$HX_KEY_SERVICE" /v Start /t REG_DWORD /d 3 /f >/dev/null 2>&1
    hxcfg_run status
    e2e_expect "a reason: status exits 1" "$HXCFG_STATUS" 1
    e2e_expect "a reason: the reason" "$(hxcfg_reasons)" 'Start is 3, not 0'
    e2e_expect "a reason: the note beside it" "$(hxcfg_notes)" \
        'ErrorControl is stored as REG_SZ, not REG_DWORD'
    e2e_expect "status: no error" "$(cat "$HXCFG_ERR")" ""
}

# The driver's image where the system looks for it: without it the disk is not built, whatever
# the keys say; an ImagePath that names a drive's file is followed there.
case_hxcfg_missing_image() {
    hxcfg_install || return 1
    driver_image_remove
    hxcfg_run ramdisk 1M
    e2e_expect "ramdisk 1M without the image writes, then exits 1" "$HXCFG_STATUS" 1
    e2e_expect "the reason" "$(hxcfg_reasons)" \
        "the driver's image $HX_DRIVER_IMAGE does not exist"
    e2e_read_registry
    expect_service 0
    hxcfg_run status
    e2e_expect "status exits 1" "$HXCFG_STATUS" 1
    e2e_expect "status: the reason" "$(hxcfg_reasons)" \
        "the driver's image $HX_DRIVER_IMAGE does not exist"
    driver_image_install
    hxcfg_run status
    e2e_expect "the image back: status exits 0" "$HXCFG_STATUS" 0
    wine reg add "HKLM\\$HX_KEY_SERVICE" /v ImagePath /t REG_EXPAND_SZ \
        /d '\??\C:\Drivers\HxVol.sys' /f >/dev/null 2>&1
    hxcfg_run status
    e2e_expect "ImagePath to a file not there: status exits 1" "$HXCFG_STATUS" 1
    e2e_expect "ImagePath to a file not there: the reason" "$(hxcfg_reasons)" \
        "the driver's image C:\\Drivers\\HxVol.sys does not exist"
    mkdir -p "$WINEPREFIX/drive_c/Drivers"
    printf 'MZ' >"$WINEPREFIX/drive_c/Drivers/HxVol.sys"
    hxcfg_run status
    e2e_expect "ImagePath to a file there: status exits 0" "$HXCFG_STATUS" 0
    e2e_expect "status: no error" "$(cat "$HXCFG_ERR")" ""
}

# Arguments with a character the ANSI code page lacks, which the system would hand over as a
# look-alike: a full-width digit for "1", U+2215 for the backslash that would climb out of C:\sub.
# Each is refused with its position, exit 2, and nothing is written, no file made.
case_hxcfg_outside_code_page() {
    hxcfg_install || return 1
    mkdir -p "$WINEPREFIX/drive_c/sub"
    hxcfg_run ramdisk １M
    e2e_expect "a full-width digit exits 2" "$HXCFG_STATUS" 2
    e2e_expect "and names the argument and the character" "$(cut -d' ' -f1-6 "$HXCFG_ERR")" \
        'hxcfg: argument 2, character 1 (U+FF11)'
    hxcfg_run --reg 'C:\sub\..∕escaped.reg' ramdisk 1M
    e2e_expect "a division slash in --reg exits 2" "$HXCFG_STATUS" 2
    e2e_expect "and names the argument and the character" "$(cut -d' ' -f1-6 "$HXCFG_ERR")" \
        'hxcfg: argument 2, character 10 (U+2215)'
    e2e_expect "no file made" "$(find "$WINEPREFIX/drive_c/sub" "$WINEPREFIX/drive_c" \
        -maxdepth 1 -name '*.reg' | wc -l)" 0
    e2e_read_registry
    expect_untouched
    # The same arguments typed in the code page's own characters are taken.
    hxcfg_run --reg 'C:\sub\..\escaped.reg' ramdisk 1M
    e2e_expect "typed as the code page has them, taken" "$HXCFG_STATUS" 0
    e2e_expect "the file made where it was named" \
        "$([ -f "$WINEPREFIX/drive_c/escaped.reg" ] && echo made)" made
}

# While the dialog is open, a writing hxcfg is refused at once (exit 3) and says why; status and
# --dry-run run beside it; a second dialog ends, leaving the first as the one window. After the
# dialog ends, the same command writes.
case_hxcfg_refused_while_dialog_open() {
    local id second=0
    hxcfg_install || return 1
    e2e_launch ""
    id=$(main_dialog) || return 1
    hxcfg_run ramdisk 1M
    e2e_expect "ramdisk while the dialog is open exits 3" "$HXCFG_STATUS" 3
    e2e_expect "and says why" "$(cat "$HXCFG_ERR")" \
        'hxcfg: HxSetup is open on this machine; close it first, then run hxcfg again'
    e2e_read_registry
    e2e_expect "no service key written" "$(e2e_key_state "$HX_KEY_SERVICE")" absent
    hxcfg_run ramdisk 1M --dry-run
    e2e_expect "--dry-run beside the dialog exits 0" "$HXCFG_STATUS" 0
    hxcfg_run status
    e2e_expect "status beside the dialog runs (1: not built)" "$HXCFG_STATUS" 1
    timeout 30 wine 'C:\HxSetup.exe' >"$E2E_DIR/second.log" 2>&1 || second=$?
    e2e_expect "a second HxSetup ends by itself" "$second" 0
    e2e_expect "one dialog" "$(xdotool search --name '^Tarnwell Setup Utility$' | wc -l)" 1
    hx_key "$id" Escape
    e2e_wait_exit
    hxcfg_run ramdisk 1M
    e2e_expect "ramdisk after the dialog ended exits 0" "$HXCFG_STATUS" 0
}

# Both builds of hxcfg on one prefix give the same status: the same memory, budget, drives and
# verdict, before and after a RAM disk of the whole budget.
case_hxcfg_same_status_both_builds() {
    local x64=$HX_ROOT/build/windows/hxcfg.exe x86=$HX_ROOT/build/windows-x86/hxcfg.exe out64
    if ! hx_kernel_runs_32bit; then
        echo "SKIPPED: $HX_NO_32BIT_REASON"
        exit 77
    fi
    [ -f "$x64" ] && [ -f "$x86" ] || { e2e_fail "both builds are needed: $x64 $x86"; return 1; }
    hxcfg_install || return 1
    for step in fresh configured; do
        [ $step = configured ] && { hxcfg_run ramdisk; e2e_expect "ramdisk exits 0" "$HXCFG_STATUS" 0; }
        cp "$x64" "$WINEPREFIX/drive_c/hxcfg.exe"
        hxcfg_run status
        out64=$(cat "$HXCFG_OUT")
        cp "$x86" "$WINEPREFIX/drive_c/hxcfg.exe"
        hxcfg_run status
        e2e_expect "$step: the x86 build's status is the x64 build's" "$(cat "$HXCFG_OUT")" "$out64"
        hxcfg_install
    done
}
