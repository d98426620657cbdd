# hxcfg's figures for scripts/bench, which sources this file and provides row, median and ratio:
# the start-up of "hxcfg status" under Wine beside the least console program of the same
# architecture (bench/floor/console.c), and hxcfg.exe's stripped size.

# bench_hxcfg BUILD_DIR RUNS ARCH: the Wine prefix ($WINEPREFIX) and its wineserver are up.
bench_hxcfg() {
    local dir=$1 runs=$2 arch=$3 i hx=() floor=()
    mkdir -p "$WINEPREFIX/drive_c/bench/$arch"
    cp "$dir/hxcfg.exe" "$dir/hx_console_floor.exe" "$WINEPREFIX/drive_c/bench/$arch/"
    # Launch to exit, in ms; the output is thrown away, the status must be 0 or 1. Under the
    # 64-bit Wine a launch right after another process has ended waits for that one's teardown
    # (about 25 ms here): the pause lets every launch start from the same quiet state, instead of
    # charging the wait to whichever program happens to go second.
    run_ms() {
        local t0 t1 rc=0
        sleep 0.2
        t0=$(date +%s%N)
        "${prio[@]}" wine "C:\\bench\\$arch\\$1" "${@:2}" >/dev/null 2>&1 || rc=$?
        t1=$(date +%s%N)
        ((rc <= 1)) || echo "bench: $1 $* exited $rc" >&2
        awk -v us=$(((t1 - t0) / 1000)) 'BEGIN { printf "%.1f\n", us / 1000 }'
    }
    run_ms hxcfg.exe status >/dev/null # unmeasured: loads the caches
    run_ms hx_console_floor.exe >/dev/null
    for ((i = 0; i < runs; i++)); do
        if ((i % 2)); then
            hx+=("$(run_ms hxcfg.exe status)")
            floor+=("$(run_ms hx_console_floor.exe)")
        else
            floor+=("$(run_ms hx_console_floor.exe)")
            hx+=("$(run_ms hxcfg.exe status)")
        fi
    done
    echo "bench: hxcfg status ${hx[*]}; console floor ${floor[*]} (ms, $arch)" >&2
    local hx_ms floor_ms
    hx_ms=$(printf '%s\n' "${hx[@]}" | median)
    floor_ms=$(printf '%s\n' "${floor[@]}" | median)
    row "hxcfg status under Wine $arch, ms" "$hx_ms" "$floor_ms" "$(ratio "$hx_ms" "$floor_ms")"
    # Each run paired with the floor's next to it, as for the dialog's start-up.
    row "hxcfg status under Wine $arch, run pairs" "" "" \
        "$(paste <(printf '%s\n' "${hx[@]}") <(printf '%s\n' "${floor[@]}") |
            while read -r a b; do ratio "$a" "$b" && echo; done | median)"
}

# bench_hxcfg_size BUILD_DIR ARCH
bench_hxcfg_size() {
    local size floor
    size=$(stat -c %s "$1/hxcfg.exe")
    floor=$(stat -c %s "$1/hx_console_floor.exe")
    row "hxcfg stripped size $2, bytes" "$size" "$floor" "$(ratio "$size" "$floor")"
}
