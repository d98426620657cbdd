#!/usr/bin/env bash
# scripts/run on a kernel that runs no 32-bit programs, with wine32 installed: the probe is told
# to answer "no", and inside a mount namespace of its own Wine's 32-bit loader is covered by an
# executable ELF header for an unknown machine, so that every exec of it fails with "Exec format
# error" as on such a kernel. A text file would not do: the shell would run it as a script.
# The walk must still end with exit 0, its screenshots and the driver's keys; --x86 is refused
# with its reason. Exit status: 0 passed, 1 failed, 77 skipped.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source scripts/host.sh
work=$root/build/e2e/no32bit
rm -rf "$work"
mkdir -p "$work"

ns=(unshare --mount)
[ "$(id -u)" -eq 0 ] || ns=(unshare --mount --map-root-user)
if ! "${ns[@]}" true 2>/dev/null; then
    echo "SKIPPED: no mount namespace of our own here (needs root or user namespaces)"
    exit 77
fi

# ELF, 64-bit, little-endian, executable, machine 0xbeef; the rest of the header zero.
printf '\177ELF\2\1\1\0\0\0\0\0\0\0\0\0\2\0\357\276\1\0\0\0' >"$work/foreign"
head -c 40 /dev/zero >>"$work/foreign"
chmod +x "$work/foreign"

# In the namespace: the loader's exec status, then scripts/run's and scripts/run --x86's.
"${ns[@]}" bash -c '
    work=$1 loader=$2
    if [ -e "$loader" ]; then mount --bind "$work/foreign" "$loader"; fi
    "$loader" --version >/dev/null 2>&1
    echo "loader $?" >"$work/status"
    export HX_NO_32BIT=1 HX_RUN_PREFIX=$work/prefix
    scripts/run --fresh >"$work/run.out" 2>"$work/run.err"
    echo "run $?" >>"$work/status"
    scripts/run --x86 >"$work/x86.out" 2>"$work/x86.err"
    echo "x86 $?" >>"$work/status"
' - "$work" "$HX_WINE32_LOADER" || true

failures=0
expect() { # WHAT ACTUAL EXPECTED
    if [ "$2" = "$3" ]; then echo "ok: $1"; else
        echo "FAILED: $1"$'\n'"    expected: $3"$'\n'"    actual:   $2"
        failures=$((failures + 1))
    fi
}
status() { sed -n "s/^$1 //p" "$work/status"; }
has() { grep -qF -- "$2" "$work/$1" && echo yes || echo no; }

# Without the switch, the probe agrees with the kernel's own configuration where it can be read:
# 32-bit emulation built in, and not turned off by default or on the command line.
if [ -r /proc/config.gz ]; then
    config=$(zcat /proc/config.gz)
    kernel=no
    if grep -qx CONFIG_IA32_EMULATION=y <<<"$config"; then
        case $(tr ' ' '\n' </proc/cmdline | sed -n 's/^ia32_emulation=//p' | tail -n 1) in
        1 | [yYtT]* | on) kernel=yes ;;
        0 | [nNfF]* | off) ;;
        *) grep -qx CONFIG_IA32_EMULATION_DEFAULT_DISABLED=y <<<"$config" || kernel=yes ;;
        esac
    fi
    probe=$(HX_NO_32BIT='' hx_kernel_runs_32bit && echo yes || echo no)
    expect "the probe agrees with the kernel" "$probe" "$kernel"
fi

# Without wine32 there is no loader to cover; the probe's answer alone then makes the host.
[ -e "$HX_WINE32_LOADER" ] && expect "the 32-bit loader cannot be executed" "$(status loader)" 126
expect "scripts/run exit status" "$(status run)" 0
for shot in 1-picked 2-configured 3-pool-dialog; do
    expect "screenshot $shot" "$(head -c 4 "build/screenshots/$shot.png" 2>&1 | tail -c 3)" PNG
done
expect "keys printed" "$(has run.out 'REGEDIT4')" yes
expect "service starts at boot" "$(has run.out '"Start"=dword:00000000')" yes
expect "the RAM disk as S:" "$(has run.out '"DosDevice"="S:"')" yes
expect "scripts/run --x86 refused" "$(status x86 | sed 's/^[1-9][0-9]*$/non-zero/')" non-zero
expect "scripts/run --x86 says why, in one line" "$(cat "$work/x86.err")" \
    "run: --x86: this kernel runs no 32-bit programs"
if ((failures)); then
    echo "--- scripts/run's stderr:"
    tail -n 30 "$work/run.err"
    exit 1
fi
rm -rf "$work/prefix"
