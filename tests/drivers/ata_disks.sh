#!/usr/bin/env bash
# trelvane-cli on real libata drivers: a small guest with an AHCI SATA disk and a PATA master and
# slave (tools/qemu-ata) runs list, details, smart and a full format of the PATA master, plus the
# backend's own ATA tests (AtaGuest in trelvane_linux_tests). TRELVANE_DRIVES stays unset, so the
# program enumerates the guest's disks itself.
#
#   ata_disks.sh TRELVANE-CLI SHARED-FOLDER      exit 0 passed, 1 failed, 77 skipped
set -u

source "$(dirname "$0")/common.bash" "$1" "$2" ata-disks
linux_tests=$(dirname "$cli")/../tests/trelvane_linux_tests
mkdir "$work/images"

# The master (64 MiB) is formatted; it and the slave (96 MiB) start as 0xFF bytes, so the zeros show
# and so does a write that went to the wrong disk.
fill "$work/images/disk1-pata.img" $((64 << 20))
fill "$work/images/disk2-pata.img" $((96 << 20))

cat > "$work/guest.sh" <<'GUEST'
echo "@@list"
trelvane-cli list --debug 2>/tmp/list.err
echo "@@rc $?"
echo "@@debug"
cat /tmp/list.err
for n in 0 1 2; do
  echo "@@details $n"; trelvane-cli details $n; echo "@@rc $?"
  echo "@@smart $n"; trelvane-cli smart $n; echo "@@rc $?"
done
echo "@@smartctl"
while read -r id name bus serial path; do
  smartctl -A /dev/$name >/dev/null 2>&1
  echo "$name $bus $?"
done < /run/qata-disks
if command -v trelvane_linux_tests >/dev/null; then
  echo "@@gtest"
  TRELVANE_ATA_GUEST=1 trelvane_linux_tests --gtest_filter='AtaGuest*' --gtest_brief=1 2>&1
  echo "@@rc $?"
fi
master=$(trelvane-cli list 2>/dev/null | awk -F'\t' '/PRIMARY MASTER-1/ {print $1}')
echo "@@format $master"
trelvane-cli format "$master" --yes </dev/null 2>&1
echo "@@rc $?"
GUEST

extra=()
[ -x "$linux_tests" ] && extra=(--bin "$(realpath "$linux_tests")")
"$rig" -q --images-dir "$work/images" --bin "$cli" "${extra[@]}" --script "$work/guest.sh" > "$work/out" 2> "$work/err"
rc=$?
if [ $rc -eq 124 ] || [ $rc -eq 125 ]; then
  cat "$work/err" >&2
  skip "the emulated machine could not run (rig status $rc)"
fi
[ $rc -eq 0 ] || fail "guest script ended with $rc"

# The lines of one section ("@@list" up to the next "@@" line).
section() { awk -v name="@@$1" '$0 == name {on = 1; next} /^@@/ {on = 0} on' "$work/out"; }
section_rc() { awk -v name="@@$1" '$0 == name {on = 1; next} on && /^@@rc / {print $2; exit}' "$work/out"; }

# --- list: bus names, identity strings (odd lengths), one line per disk -------------------------
[ "$(section_rc list)" = 0 ] || fail "list exited with $(section_rc list)"
drives=$(section list | awk -F'\t' '/^[0-9]+\t/')
[ "$(printf '%s\n' "$drives" | grep -c .)" = 3 ] || fail "list shows $(printf '%s\n' "$drives" | grep -c .) drives, not 3"
check_drive() {  # model bus firmware serial
  local line
  line=$(printf '%s\n' "$drives" | awk -F'\t' -v model="$1" '{m = $3; sub(/^ +/, "", m); sub(/ +$/, "", m)} m == model')
  if [ -z "$line" ]; then fail "no drive with model '$1' in: $drives"; return; fi
  IFS=$'\t' read -r number bus model firmware serial sectors size <<< "$line"
  [ "$bus" = "$2" ] && [ "$firmware" = "$3" ] && [ "$serial" = "$4" ] \
    && pass "list: $1 on $bus, $firmware, $serial" || fail "list line for '$1': $line"
  eval "number_of_${5}=$number"
}
check_drive "QEMU SATA AHCI TEST DISK-0" SATA QFW-S01 QSATA-00001 sata
check_drive "QEMU PATA PRIMARY MASTER-1" ATA QFW-PM1 QPATA-M0002 master
check_drive "QEMU PATA PRIMARY SLAVE-2" ATA QFW-PS1 QPATA-S0003 slave
grep -q "Найден раздел" <(section debug) && fail "the guest has no volumes, yet some were listed"

# --- details and smart: the reports come from the disk they name -----------------------------------
check_reports() {  # number model serial
  local details smart
  details=$(section "details $1")
  smart=$(section "smart $1")
  [ "$(section_rc "details $1")" = 0 ] && grep -qx "Модель: $2" <<< "$details" && grep -qx "Серийный номер: $3" <<< "$details" \
    && pass "details $1: $2, $3" || fail "details $1: $details"
  [ "$(section_rc "smart $1")" = 0 ] && grep -qE '^ *1 +01 ' <<< "$smart" && grep -qE '^ *190 +BE ' <<< "$smart" \
    && pass "smart $1: attribute table" || fail "smart $1: $smart"
}
check_reports "${number_of_sata:-x}" "QEMU SATA AHCI TEST DISK-0" QSATA-00001
check_reports "${number_of_master:-x}" "QEMU PATA PRIMARY MASTER-1" QPATA-M0002
check_reports "${number_of_slave:-x}" "QEMU PATA PRIMARY SLAVE-2" QPATA-S0003

# A SMART report on an ATA (PATA) bus leaves SMART disabled, so the disable reached the right device;
# on SATA only the data is read. smartctl -A fails (bit 2 of its status) on a disk with SMART off.
# (The emulated disks keep their first IDENTIFY answer, so smartctl -i cannot tell.)
while read -r name bus status; do
  if [ "$bus" = pata ]; then
    [ $((status & 4)) -ne 0 ] && pass "SMART disabled on $name after the report" || fail "SMART still on at $name"
  else
    [ "$status" = 0 ] && pass "SMART still enabled on $name" || fail "smartctl -A $name: status $status"
  fi
done < <(section smartctl)

# --- the backend's own tests on these disks ------------------------------------------------------
if grep -qx "@@gtest" "$work/out"; then
  [ "$(section_rc gtest)" = 0 ] && pass "AtaGuest tests" || { fail "AtaGuest tests"; section gtest; }
elif [ "${CI:-}" = true ]; then
  fail "$linux_tests not built: the AtaGuest tests did not run"
else
  echo "note: $linux_tests not built, AtaGuest tests not run"
fi

# --- format: zeros on the master, the slave untouched ---------------------------------------------
format=$(awk '/^@@format / {print $2}' "$work/out")
[ "$format" = "${number_of_master:-}" ] || fail "the format ran on drive '$format'"
[ "$(awk '/^@@format / {on = 1; next} on && /^@@rc / {print $2; exit}' "$work/out")" = 0 ] || fail "format exit status"
grep -q "Низкоуровневое форматирование завершено." "$work/out" || fail "no completion line in the format log"
cmp -s -n $((64 << 20)) "$work/images/disk1-pata.img" /dev/zero && pass "master is all zeros" || fail "master image is not all zeros"
fill "$work/ff" $((96 << 20))
cmp -s "$work/images/disk2-pata.img" "$work/ff" && pass "slave untouched" || fail "slave image changed"

if [ $failures -ne 0 ]; then
  echo "---- guest output ----"; cat "$work/out"; echo "---- rig ----"; cat "$work/err"
  exit 1
fi
exit 0
