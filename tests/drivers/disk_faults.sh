#!/usr/bin/env bash
# trelvane-cli against faults of real block devices in the ATA test machine (tools/qemu-ata): a
# device-mapper error segment mid-disk, a flakey disk, a SATA disk unplugged mid-run, a disk mounted
# in another mount namespace or held O_EXCL by another process (refused), a disk seen through two
# ports (one WWN: marked, and refused while mounted through the other), and a partition named in
# TRELVANE_DRIVES (left out). A case whose device-mapper target, namespace or holder could not be
# made fails naming it. A sentinel disk of 0xFF bytes must come out byte-identical.
#
#   disk_faults.sh TRELVANE-CLI SHARED-FOLDER      exit 0 passed, 1 failed, 77 skipped
set -u

source "$(dirname "$0")/common.bash" "$1" "$2" disk-faults
command -v cc >/dev/null && command -v mkfs.ext4 >/dev/null && command -v sfdisk >/dev/null ||
  skip "needs cc, mkfs.ext4 and sfdisk"
images=$work/images
mkdir "$images"
MiB=$((1 << 20))

fill "$images/disk0-sata.img" $((64 * MiB))     # dm-error target
fill "$images/disk1-sata.img" $((32 * MiB))     # dm-flakey target
truncate -s 1G "$images/disk2-sata.img"         # unplugged mid-run: big enough to be still running
fill "$images/disk3-sata.img" $((32 * MiB))     # held elsewhere
mkfs.ext4 -q -F "$images/disk3-sata.img"
fill "$images/disk4-sata.img" $((32 * MiB))     # partitioned
echo 'start=2048, size=16384, type=83' | sfdisk -q "$images/disk4-sata.img" >/dev/null
fill "$images/disk5-sata.img" $((16 * MiB))     # sentinel
fill "$images/disk6-sata.img" $((32 * MiB))     # first port of a disk with two names (one WWN)
fill "$images/disk7-sata.img" $((32 * MiB))     # its second port: the same WWN, mounted
mkfs.ext4 -q -F "$images/disk7-sata.img"
for n in 3 4 5; do cp "$images/disk$n-sata.img" "$work/disk$n.orig"; done

cat > "$work/hold_excl.c" <<'C'
#include <fcntl.h>
#include <unistd.h>
int main(int argc, char** argv) { return argc < 2 || open(argv[1], O_RDONLY | O_EXCL) < 0 ? 1 : (pause(), 0); }
C
cc -O2 -o "$work/hold_excl" "$work/hold_excl.c" || skip "cannot build the O_EXCL holder"

cat > "$work/guest.sh" <<'GUEST'
modprobe dm-mod; modprobe dm-flakey; modprobe ext4
for n in 0 1 2 3 4 5 6 7; do eval "d$n=\$(readlink -f \$QATA_DISK$n)"; done
format() { TRELVANE_DRIVES=$1 trelvane-cli format 0 --yes </dev/null 2>&1; echo "@@rc $?"; }
# A case whose set-up failed says so on a "@@missing" line instead of running: the host fails it by name.
missing() { echo "@@missing $*"; }
# dm_target NAME TABLE: the node of a new device-mapper device, or nothing when it could not be made.
dm_target() {
  command -v dmsetup >/dev/null || { missing "dmsetup is not in the guest (install the host's dmsetup package)"; return 1; }
  printf "$2" | dmsetup create --noudevsync "$1" || { missing "dmsetup create $1 failed"; return 1; }
  local node=/dev/dm-$(dmsetup info -c --noheadings -o minor "$1" | tr -d ' ')
  [ -b "$node" ] || { missing "device-mapper target $1: no block device $node"; return 1; }
  echo "$node"
}

echo "@@error"
S=$(blockdev --getsz $d0)
if node=$(dm_target errdisk "0 1024 linear $d0 0\n1024 64 error\n1088 $((S - 1088)) linear $d0 1088\n"); then
  format $node
  dmsetup remove --noudevsync errdisk
else echo "$node"; fi

echo "@@flakey"
if node=$(dm_target flakey "0 $(blockdev --getsz $d1) flakey $d1 0 0 1\n"); then
  format $node
  dmsetup remove --noudevsync flakey
else echo "$node"; fi

echo "@@namespace"
mkdir -p /mnt/elsewhere
unshare -m sh -c "mount -o ro -t ext4 $d3 /mnt/elsewhere && sleep 60" &
sleep 1
if grep -q " /mnt/elsewhere " /proc/$!/mountinfo 2>/dev/null; then format $d3
else missing "mount of $d3 in another mount namespace (unshare -m)"; fi
kill $! 2>/dev/null; sleep 1

echo "@@excl"
hold_excl $d3 &
sleep 1
if kill -0 $! 2>/dev/null; then format $d3
else missing "a process holding $d3 with O_EXCL"; fi
kill $! 2>/dev/null; wait $! 2>/dev/null

echo "@@wwn"
# disk6 and disk7 report one WWN: a disk seen through two ports. (Serial numbers never count; the
# rig cannot repeat one, so the unit tests of the WWID designators cover that.)
if mkdir -p /mnt/port2 && mount -t ext4 $d7 /mnt/port2; then
  before=$(md5sum < $d6)
  TRELVANE_DRIVES=$d5,$d6,$d7 trelvane-cli list </dev/null 2>/dev/null | grep "^[0-9]	"
  format $d6
  [ "$(md5sum < $d6)" = "$before" ] && echo "first port untouched"
  umount /mnt/port2
else missing "ext4 mounted through the second port $d7"; fi

echo "@@partition"
TRELVANE_DRIVES=${d4}1,$d5 trelvane-cli list </dev/null 2>&1
echo "@@rc $?"

echo "@@unplug"
format $d2 > /tmp/unplug.out &
# Unplugged once the run has written 64 MiB (field 7 of the stat file: sectors written).
while [ "$(awk '{print $7}' /sys/block/${d2#/dev/}/stat)" -lt 131072 ]; do sleep 0.05; done
echo 1 > /sys/block/${d2#/dev/}/device/delete
wait $!
cat /tmp/unplug.out
GUEST

"$rig" -q --timeout 150 --images-dir "$images" --bin "$cli" --bin "$work/hold_excl" \
  --disk sata,size=64M --disk sata,size=32M --disk sata,size=1G --disk sata,size=32M \
  --disk sata,size=32M --disk sata,size=16M \
  --disk sata,size=32M,serial=DUALPORT-A,wwn=0x5000c500a1b2c3d4 \
  --disk sata,size=32M,serial=DUALPORT-B,wwn=0x5000c500a1b2c3d4 --script "$work/guest.sh" > "$work/out" 2> "$work/err"
rc=$?
if [ $rc -eq 124 ] || [ $rc -eq 125 ]; then
  cat "$work/err" >&2
  skip "the emulated machine could not run (rig status $rc)"
fi

section() { awk -v name="@@$1" '$0 == name {on = 1; next} /^@@[a-z]+$/ {on = 0} on' "$work/out"; }
section_rc() { section "$1" | awk '/^@@rc / {print $2}' | tail -1; }
# The precondition a section could not build, when it could not (its checks then fail naming it).
precondition() { section "$1" | sed -n 's/^@@missing //p' | head -1; }
expect_line() {  # section text what
  [ -z "$(precondition "$1")" ] || { fail "$3: precondition missing: $(precondition "$1")"; return; }
  if section "$1" | grep -qF -- "$2"; then pass "$3"; else fail "$3: no '$2' in: $(section "$1")"; fi
}
expect_rc() {  # section code what
  [ -z "$(precondition "$1")" ] || { fail "$3: precondition missing: $(precondition "$1")"; return; }
  if [ "$(section_rc "$1")" = "$2" ]; then pass "$3"; else fail "$3: exit $(section_rc "$1"), not $2"; fi
}
zeros() { cmp -s -n "$3" <(tail -c +$(($2 + 1)) "$1") /dev/zero; }

expect_rc error 1 "an error segment mid-disk: the run goes on and exits 1"
expect_line error "Ошибка форматирования произошла по смещению 524,288:   1117" "the error is logged at its offset"
expect_line error "Не записано байт: 65,536" "the unwritten count is reported"
[ -z "$(precondition error)" ] && zeros "$images/disk0-sata.img" 0 524288 && zeros "$images/disk0-sata.img" 589824 $((64 * MiB - 589824)) &&
  pass "every block around the error segment reads back zero" || fail "unwritten bytes around the error segment"

expect_rc flakey 1 "a flakey disk: failed blocks, exit 1"
expect_line flakey "Ошибка форматирования произошла по смещению 0:" "its failed blocks are logged"

for held in namespace excl; do
  expect_rc $held 2 "disk held ($held): refused"
  expect_line $held "Устройство используется другой программой или системой." "disk held ($held): the in-use line"
done
cmp -s "$images/disk3-sata.img" "$work/disk3.orig" && pass "the held disk is untouched" || fail "the held disk was written"

expect_rc wwn 2 "a disk mounted through its second port: the first is refused"
expect_line wwn "first port untouched" "a disk mounted through its second port: nothing written"
if section wwn | grep -q "^2	.*(второе имя диска sd[a-z]*)	" && ! section wwn | grep "^[01]	" | grep -q "второе имя"; then
  pass "the second port alone is marked in the list"
else fail "the list does not mark the second port alone: $(section wwn | grep '^[0-9]	')"; fi

expect_rc partition 0 "a partition entry: list still runs"
expect_line partition "пропущен: это раздел, а не весь диск" "a partition entry is left out with a warning"
cmp -s "$images/disk4-sata.img" "$work/disk4.orig" && pass "the partitioned disk is untouched" || fail "the partitioned disk was written"

expect_rc unplug 1 "an unplugged disk ends the run with exit 1"
expect_line unplug "Устройство было отключено, прерывание..." "the unplug is recognised"
expect_line unplug "Операция прекращена по смещению" "the abort line follows"

cmp -s "$images/disk5-sata.img" "$work/disk5.orig" && pass "the sentinel disk is byte-identical" || fail "the sentinel disk changed"

if [ $failures -ne 0 ]; then
  echo "--- guest output"; grep -v "  \(\* \*\|ВО ВРЕМЯ\|ВСЕ ДАННЫЕ\) " "$work/out"; echo "--- rig errors"; cat "$work/err"
  exit 1
fi
echo "all passed"
