#!/usr/bin/env bash
# Times trelvane-cli's zero fill against dd and nwipe on one loop device over a file in /dev/shm, and
# its verification pass against dd reading the device back (iflag=direct).
#
#   sudo scripts/benchmark-zero-fill.sh [path/to/trelvane-cli]
#
# Environment: ROUNDS (default 3), SIZE_MIB (default 8192), TRELVANE_CLI (instead of the argument),
# NWIPE=0 to leave nwipe out.
#
# The verification pass is timed by the program itself (its debug line "Проверка записи: N байт за M мс",
# stamps included) in a full run with --verify; its throughput is compared with dd's read of the same
# device in the same round, and the whole run with --verify with the run without it in that round.
# Targets: verification >= 0.95 x dd's read throughput; a run with verification <= 2.1 x one without.
# Writes only to the loop device it creates itself; detaches and deletes it on every exit.
set -euo pipefail

rounds=${ROUNDS:-3}
want_mib=${SIZE_MIB:-8192}
min_mib=256
cli=${1:-${TRELVANE_CLI:-}}
here=$(cd "$(dirname "$0")/.." && pwd)

if [[ -z "$cli" ]]; then
  for candidate in "$here"/build/*/src/trelvane-cli; do
    [[ -x "$candidate" ]] && { cli=$candidate; break; }
  done
fi
[[ -n "$cli" && -x "$cli" ]] || { echo "trelvane-cli not found; pass its path" >&2; exit 2; }
[[ $(id -u) -eq 0 ]] || { echo "run as root: loop devices need it" >&2; exit 2; }

# --- size: what /dev/shm and the free memory allow, keeping a quarter of the free memory spare ------
shm_free_mib=$(( $(df --output=avail -B1 /dev/shm | tail -n 1) / 1048576 ))
mem_free_mib=$(( $(awk '/^MemAvailable:/ {print $2}' /proc/meminfo) / 1024 ))
limit_mib=$(( shm_free_mib < mem_free_mib * 3 / 4 ? shm_free_mib : mem_free_mib * 3 / 4 ))
size_mib=$want_mib
while (( size_mib > limit_mib && size_mib > min_mib )); do size_mib=$(( size_mib / 2 )); done
if (( size_mib > limit_mib )); then
  echo "only ${limit_mib} MiB free in /dev/shm and memory; need at least ${min_mib} MiB" >&2
  exit 2
fi
(( size_mib < want_mib )) &&
  echo "note: ${want_mib} MiB do not fit (free: /dev/shm ${shm_free_mib} MiB, memory ${mem_free_mib} MiB); using ${size_mib} MiB"

# --- the device -------------------------------------------------------------------------------------
work=$(mktemp -d /dev/shm/trelvane-bench.XXXXXX)
image=$work/disk.img
loop=""
cleanup() {
  [[ -n "$loop" ]] && losetup -d "$loop" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

fallocate -l "$((size_mib * 1048576))" "$image"
loop=$(losetup --find --show "$image")
[[ $(losetup -n -O BACK-FILE "$loop" | tr -d ' ') == "$image" ]] || { echo "loop device mix-up" >&2; exit 2; }
bytes=$(blockdev --getsize64 "$loop")
echo "device: $loop over $image, $bytes bytes; $rounds rounds"

# --- the contenders ---------------------------------------------------------------------------------
run_trelvane() { TRELVANE_DRIVES=$loop "$cli" format 0 --yes; }
run_verified() { TRELVANE_DRIVES=$loop "$cli" format 0 --yes --verify --debug; }
# The same run without verification, --debug included (it costs a longer start-up), for the pair.
run_unverified() { TRELVANE_DRIVES=$loop "$cli" format 0 --yes --debug; }
run_dd_read() { dd if="$loop" of=/dev/null bs=32M iflag=direct 2>&1; }
run_dd() {
  # dd ends with "No space left on device" at the end of the device: that is its normal end.
  local out
  if ! out=$(dd if=/dev/zero of="$loop" bs=32M oflag=direct 2>&1); then
    grep -q 'No space left' <<<"$out" || { echo "$out" >&2; return 1; }
  fi
}
run_nwipe() { nwipe --method=zero --verify=off --noblank --nogui --autonuke "$loop"; }

contenders=(trelvane unverified verified dd dd_read)
if [[ ${NWIPE:-1} == 0 ]]; then
  :
elif ! command -v nwipe >/dev/null; then
  echo "installing nwipe ..."
  apt-get install -y -qq nwipe >/dev/null 2>&1 || true
fi
if [[ ${NWIPE:-1} != 0 ]]; then
  command -v nwipe >/dev/null && contenders+=(nwipe) || echo "nwipe skipped: it is not installed and could not be"
fi

# One untimed warm-up pass each, which also shows that every contender can wipe this device.
for name in "${contenders[@]}"; do
  "run_$name" >"$work/$name.log" 2>&1 && continue
  if [[ $name == nwipe ]]; then
    echo "nwipe skipped: it cannot wipe $loop here:"
    tail -n 5 "$work/$name.log"
    contenders=(trelvane unverified verified dd dd_read)
  else
    echo "$name cannot wipe $loop:" >&2
    tail -n 5 "$work/$name.log" >&2
    exit 1
  fi
done

declare -A times
verify_times=""
for ((round = 1; round <= rounds; round++)); do
  # Alternate the order so no contender always runs first on a cold cache.
  order=("${contenders[@]}")
  (( round % 2 == 0 )) && order=($(printf '%s\n' "${contenders[@]}" | tac))
  for name in "${order[@]}"; do
    start=$(date +%s.%N)
    if ! "run_$name" >"$work/$name.log" 2>&1; then
      echo "$name failed in round $round:" >&2
      tail -n 5 "$work/$name.log" >&2
      exit 1
    fi
    end=$(date +%s.%N)
    seconds=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
    times[$name]+="$seconds "
    if [[ $name == verified ]]; then
      ms=$(sed -n 's/.*Проверка записи: [0-9]* байт за \([0-9]*\) мс.*/\1/p' "$work/$name.log" | tail -n 1)
      [[ -n "$ms" ]] || { echo "no verification time in the debug log" >&2; exit 1; }
      verify_times+="$(awk -v m="$ms" 'BEGIN { printf "%.3f", m / 1000 }') "
    fi
    printf 'round %d  %-8s %8.3f s  %7.1f MB/s\n' "$round" "$name" "$seconds" \
      "$(awk -v n="$bytes" -v s="$seconds" 'BEGIN { print n / s / 1e6 }')"
  done
done

median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{ v[NR] = $1 } END {
  if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo
echo "medians over $rounds rounds ($bytes bytes):"
dd_median=$(median <<<"${times[dd]}")
for name in "${contenders[@]}"; do
  m=$(median <<<"${times[$name]}")
  printf '  %-8s %8.3f s  %7.1f MB/s  %5.2f x dd time\n' "$name" "$m" \
    "$(awk -v n="$bytes" -v s="$m" 'BEGIN { print n / s / 1e6 }')" \
    "$(awk -v a="$m" -v b="$dd_median" 'BEGIN { print a / b }')"
done

# --- verification against dd's read, and the run with it against the run without, round by round ---
read -r -a plain <<<"${times[unverified]}"
read -r -a verified <<<"${times[verified]}"
read -r -a reads <<<"${times[dd_read]}"
read -r -a checks <<<"$verify_times"
ratios=""
run_ratios=""
for ((i = 0; i < rounds; i++)); do
  v=${checks[i]}
  ratios+="$(awk -v v="$v" -v r="${reads[i]}" 'BEGIN { printf "%.3f", (v > 0 ? r / v : 0) }') "
  run_ratios+="$(awk -v a="${verified[i]}" -v b="${plain[i]}" 'BEGIN { printf "%.3f", a / b }') "
done
verify_median=$(median <<<"$verify_times")
read_median=$(median <<<"${times[dd_read]}")
echo
echo "verification (the pass's own time, from its debug line):"
printf '  verification %8.3f s  %7.1f MB/s\n' "$verify_median" \
  "$(awk -v n="$bytes" -v s="$verify_median" 'BEGIN { print (s > 0 ? n / s / 1e6 : 0) }')"
printf '  dd read      %8.3f s  %7.1f MB/s\n' "$read_median" \
  "$(awk -v n="$bytes" -v s="$read_median" 'BEGIN { print n / s / 1e6 }')"
printf '  verification throughput / dd read throughput: median %s (target >= 0.95)\n' "$(median <<<"$ratios")"
printf '  run with verification / run without:          median %s (target <= 2.1)\n' "$(median <<<"$run_ratios")"
