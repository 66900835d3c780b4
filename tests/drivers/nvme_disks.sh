#!/usr/bin/env bash
# trelvane-cli on the kernel's real nvme driver: a guest with two QEMU NVMe controllers (512-byte
# blocks with critical-warning byte 5, and 4096-byte blocks) runs list, details and smart of both,
# a full format of the first and a quick one of the second. The reports are checked against what
# the kernel itself says of the controllers and namespaces (sysfs), the erasure reports carry the
# serials as the controllers report them (file names included), and the images are read back.
#
#   nvme_disks.sh TRELVANE-CLI SHARED-FOLDER      exit 0 passed, 1 failed, 77 skipped
set -u

source "$(dirname "$0")/common.bash" "$1" "$2" nvme-disks
mkdir "$work/images"
fill "$work/images/disk0-nvme.img" $((64 << 20))
# The chooser takes only drives of 65535 sectors or more: 320 MiB of 4096-byte blocks, 0xFF in the
# first 2 MiB that the quick format overwrites, sparse zeros behind them.
fill "$work/images/disk1-nvme.img" $((2 << 20))
truncate -s 320M "$work/images/disk1-nvme.img"

cat > "$work/guest.sh" <<'GUEST'
echo "@@list"; trelvane-cli list 2>/dev/null; echo "@@rc $?"
for d in nvme0n1 nvme1n1; do
  [ -e /sys/block/$d ] || echo "PRECONDITION FAILED: the guest has no $d"
  c=/sys/block/$d/device
  echo "@@sysfs $d"
  echo "$(cat $c/model | sed 's/ *$//')|$(cat $c/serial | sed 's/ *$//')|$(cat $c/firmware_rev | sed 's/ *$//')|$(cat $c/cntlid)|$(cat /sys/block/$d/size)|$(cat /sys/block/$d/queue/logical_block_size)"
done
for n in 0 1; do
  echo "@@details $n"; trelvane-cli details $n; echo "@@rc $?"
  echo "@@smart $n"; trelvane-cli smart $n; echo "@@rc $?"
done
# The same reports as JSON, each disk named by its device node.
for d in nvme0n1 nvme1n1; do
  echo "@@json $d"; trelvane-cli details /dev/$d --json; echo "@@rc $?"
  echo "@@jsmart $d"; trelvane-cli -j smart /dev/$d; echo "@@rc $?"
done
mkdir /tmp/reports
echo "@@format"; trelvane-cli format 0 --yes --report /tmp/reports </dev/null >/dev/null 2>&1; echo "@@rc $?"
echo "@@quick"; trelvane-cli format 1 --quick --yes --report /tmp/reports </dev/null >/dev/null 2>&1; echo "@@rc $?"
echo "@@reports"; ls /tmp/reports; grep -h '"serial"' /tmp/reports/*.json
GUEST

"$rig" -q --images-dir "$work/images" --bin "$cli" --script "$work/guest.sh" \
  --disk nvme,size=64M,serial=QNVME-512A,lbs=512,warn=5 --disk nvme,size=320M,serial=QNVME-4KB,lbs=4096 \
  > "$work/out" 2> "$work/err"
rc=$?
if [ $rc -eq 124 ] || [ $rc -eq 125 ]; then cat "$work/err" >&2; skip "the emulated machine could not run (rig status $rc)"; fi
[ $rc -eq 0 ] || fail "guest script ended with $rc"

section() { awk -v name="@@$1" '$0 == name {on = 1; next} /^@@/ {on = 0} on' "$work/out"; }
preconditions "$work/out"
section_rc() { awk -v name="@@$1" '$0 == name {on = 1; next} on && /^@@rc / {print $2; exit}' "$work/out"; }
has() { grep -qxF -- "$2" <<< "$1"; }

# --- list: the NVMe bus is named "NVMe" in the chooser's columns ------------------------------------
list=$(section list)
for serial in QNVME-512A QNVME-4KB; do
  awk -F'\t' -v s="$serial" '$2 == "NVMe" && $3 ~ /QEMU NVMe Ctrl/ && $5 == s' <<< "$list" | grep -q . \
    && pass "list: $serial" || fail "list has no NVMe line for $serial: $list"
done

# --- details and smart against the kernel's view --------------------------------------------------
check() {  # drive number, sysfs name, expected warning byte
  local details smart model serial fw cntlid sectors lbs blocks
  details=$(section "details $1"); smart=$(section "smart $1")
  IFS='|' read -r model serial fw cntlid sectors lbs <<< "$(section "sysfs $2")"
  blocks=$((sectors * 512 / lbs))
  has "$details" "Модель: $model" && has "$details" "Серийный номер: $serial" && has "$details" "Ревизия прошивки: $fw" \
    && has "$details" "Идентификатор контроллера: $((cntlid))" && has "$details" "Размер блока: $lbs байт" \
    && has "$details" "Размер, блоков: $blocks ($((blocks * lbs)) байт)" && grep -q "(используется)" <<< "$details" \
    && has "$details" "Число пространств имён: 1" \
    && pass "details $1: $model $serial, $blocks blocks of $lbs" || fail "details $1 (kernel: $model|$serial|$fw|$cntlid|$blocks|$lbs): $details"
  grep -qE "^ Критическое предупреждение +$3\$" <<< "$smart" && grep -qE "^ Температура \(общая\) +50 °C  323 K\$" <<< "$smart" \
    && pass "smart $1: warning $3, 323 K" || fail "smart $1: $smart"
  grep -q "^SMART не поддерживается" <<< "$smart" && fail "smart $1 fell back to ATA"
  # The JSON documents give the same facts as numbers, for the drive their node names.
  [ "$(section_rc "json $2")" = 0 ] && section "json $2" | python3 -c '
import json, sys
d = json.load(sys.stdin); n = d["details"]["namespace"]; serial, blocks, lbs = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
sys.exit(0 if d["drive"]["node"] == "/dev/" + sys.argv[4] and d["drive"]["sector_size"] == lbs
         and d["details"]["controller"]["serial"] == serial and n["size_blocks"] == blocks
         and n["formats"][n["format_in_use"]]["data_bytes"] == lbs else 1)' "$serial" "$blocks" "$lbs" "$2" \
    && pass "details /dev/$2 --json: $blocks blocks of $lbs" || fail "details /dev/$2 --json: $(section "json $2" | head -c 800)"
  [ "$(section_rc "jsmart $2")" = 0 ] && section "jsmart $2" | python3 -c '
import json, sys
h = json.load(sys.stdin)["health"]
sys.exit(0 if h["critical_warning"] == int(sys.argv[1]) and h["temperature_kelvin"] == 323 and h["temperature_celsius"] == 50 else 1)' "$((16#${3#0x}))" \
    && pass "smart /dev/$2 --json: warning $3, 323 K" || fail "smart /dev/$2 --json: $(section "jsmart $2" | head -c 800)"
}
check 0 nvme0n1 0x05
check 1 nvme1n1 0x00
grep -qxF "   запас ниже порога                                               да" <<< "$(section "smart 0")" \
  && pass "warning bit 0 decoded" || fail "warning bit 0 not decoded"

# --- an NVMe serial is the controller's text, also in the reports and their file names ---------------
reports=$(section reports)
for serial in QNVME-512A QNVME-4KB; do
  grep -q "^${serial}_[0-9]\{8\}-[0-9]\{6\}\.json\$" <<< "$reports" && grep -qF "\"serial\": \"$serial\"" <<< "$reports" \
    && pass "report of $serial: file name and serial" || fail "reports for $serial: $reports"
done

# --- wipes read back -------------------------------------------------------------------------------
[ "$(section_rc format)" = 0 ] && cmp -s -n $((64 << 20)) "$work/images/disk0-nvme.img" /dev/zero \
  && pass "full format: all zeros" || fail "full format (rc $(section_rc format))"
[ "$(section_rc quick)" = 0 ] && cmp -s -n $((1 << 20)) "$work/images/disk1-nvme.img" /dev/zero \
  && pass "quick format: zeros at the start" || fail "quick format (rc $(section_rc quick))"

if [ $failures -ne 0 ]; then
  echo "---- guest output ----"; cat "$work/out"; echo "---- rig ----"; cat "$work/err"
  exit 1
fi
exit 0
