#!/usr/bin/env bash
# trelvane-cli against faults of real block devices in the ATA test machine (tools/qemu-ata): a
# device-mapper error segment mid-disk, a flakey disk, a SATA disk unplugged mid-run, a disk mounted
# in another mount namespace or held O_EXCL by another process (refused), a disk seen through two
# ports (one WWN: marked, and refused while mounted through the other), and a partition named in
# TRELVANE_DRIVES (left out); during the verification pass a SATA disk unplugged and a device-mapper
# disk shrunk (both end the pass at once; the time they take is printed), and a segment that acts as
# device-mapper's `zero` target (which the test machine lacks): dm-flakey dropping every write over
# never-written sectors, so it keeps no write and reads zeros (its stamps are lost writes). A sentinel
# disk of 0xFF bytes must come out byte-identical.
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
truncate -s 512M "$images/disk6-sata.img"       # unplugged during the verification
truncate -s 512M "$images/disk7-sata.img"       # shrunk during the verification (dm table swap)
truncate -s 32M "$images/disk8-sata.img"        # under a segment that drops writes and reads zeros
fill "$images/disk9-sata.img" $((32 * MiB))     # first port of a disk with two names (one WWN)
fill "$images/disk10-sata.img" $((32 * MiB))    # its second port: the same WWN, mounted
mkfs.ext4 -q -F "$images/disk10-sata.img"
for n in 3 4 5; do cp "$images/disk$n-sata.img" "$work/disk$n.orig"; done

cat > "$work/hold_excl.c" <<'C'
#include <fcntl.h>
#include <unistd.h>
int main(int argc, char** argv) { return argc < 2 || open(argv[1], O_RDONLY | O_EXCL) < 0 ? 1 : (pause(), 0); }
C
cc -O2 -o "$work/hold_excl" "$work/hold_excl.c" || skip "cannot build the O_EXCL holder"

cat > "$work/guest.sh" <<'GUEST'
modprobe dm-mod; modprobe dm-flakey; modprobe ext4
for n in 0 1 2 3 4 5 6 7 8 9 10; do eval "d$n=\$(readlink -f \$QATA_DISK$n)"; done
format() { TRELVANE_DRIVES=$1 trelvane-cli format 0 --yes </dev/null 2>&1; echo "@@rc $?"; }
# dm_target NAME TABLE: the node of a new device-mapper device; a precondition line instead when it
# could not be made (the host then fails the case naming it).
dm_target() {
  command -v dmsetup >/dev/null || { echo "PRECONDITION FAILED: dmsetup is not in the guest (install the host's dmsetup package)"; return 1; }
  printf "$2" | dmsetup create --noudevsync "$1" || { echo "PRECONDITION FAILED: dmsetup create $1 failed"; return 1; }
  local node=/dev/dm-$(dmsetup info -c --noheadings -o minor "$1" | tr -d ' ')
  [ -b "$node" ] || { echo "PRECONDITION FAILED: device-mapper target $1: no block device $node"; return 1; }
  echo "$node"
}
# verify_until_read DEVICE SECTORS EVENT: a verified run on DEVICE; once it has read SECTORS (field 3
# of the stat file: the fill reads nothing) EVENT runs, and the seconds from EVENT to the run's end
# are printed.
verify_until_read() {
  TRELVANE_DRIVES=$1 trelvane-cli format 0 --yes --verify </dev/null > /tmp/verify.out 2>&1 &
  pid=$!
  stat=/sys/block/${1#/dev/}/stat
  while kill -0 $pid 2>/dev/null && [ "$(awk '{print $3}' $stat)" -lt $2 ]; do sleep 0.02; done
  t0=$(cut -d' ' -f1 /proc/uptime)
  eval "$3"
  wait $pid
  rc=$?
  t1=$(cut -d' ' -f1 /proc/uptime)
  cat /tmp/verify.out
  echo "@@rc $rc"
  echo "@@seconds $(awk "BEGIN { print $t1 - $t0 }")"
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
grep -q " /mnt/elsewhere " /proc/$!/mountinfo 2>/dev/null ||
  echo "PRECONDITION FAILED: no mount of $d3 in another mount namespace (unshare -m)"
format $d3
kill $! 2>/dev/null; sleep 1

echo "@@excl"
hold_excl $d3 &
sleep 1
kill -0 $! 2>/dev/null || echo "PRECONDITION FAILED: hold_excl could not open $d3 with O_EXCL"
format $d3
kill $!; wait $! 2>/dev/null

echo "@@wwn"
# d9 and d10 report one WWN: a disk seen through two ports. (Serial numbers never count; the rig
# cannot repeat one, so the unit tests of the WWID designators cover that.)
if mkdir -p /mnt/port2 && mount -t ext4 ${d10} /mnt/port2; then
  before=$(md5sum < $d9)
  TRELVANE_DRIVES=$d5,$d9,$d10 trelvane-cli list </dev/null 2>/dev/null | grep "^[0-9]	"
  format $d9
  [ "$(md5sum < $d9)" = "$before" ] && echo "first port untouched"
  umount /mnt/port2
else echo "PRECONDITION FAILED: ext4 mounted through the second port ${d10}"; fi

echo "@@partition"
[ -b ${d4}1 ] || echo "PRECONDITION FAILED: the guest has no partition node ${d4}1"
TRELVANE_DRIVES=${d4}1,$d5 trelvane-cli list </dev/null 2>&1
echo "@@rc $?"

echo "@@zero"
S=$(blockdev --getsz $d8)
if node=$(dm_target zeropart "0 8192 linear $d8 0\n8192 4096 flakey $d8 8192 0 1 1 drop_writes\n12288 $((S - 12288)) linear $d8 12288\n"); then
  TRELVANE_DRIVES=$node trelvane-cli format 0 --yes --verify </dev/null 2>&1
  echo "@@rc $?"
  dmsetup remove --noudevsync zeropart
else echo "$node"; fi

echo "@@vanish"
verify_until_read $d6 131072 "echo 1 > /sys/block/${d6#/dev/}/device/delete"

echo "@@shrink"
if node=$(dm_target shrinking "0 $(blockdev --getsz $d7) linear $d7 0\n"); then
  verify_until_read $node 131072 \
    "echo '0 2048 linear $d7 0' | dmsetup load shrinking && dmsetup resume --noudevsync shrinking"
  dmsetup remove --noudevsync shrinking
else echo "$node"; fi

echo "@@unplug"
format $d2 > /tmp/unplug.out &
run=$!
# Unplugged once the run has written 64 MiB (field 7 of the stat file: sectors written).
while kill -0 $run 2>/dev/null && [ "$(awk '{print $7}' /sys/block/${d2#/dev/}/stat)" -lt 131072 ]; do sleep 0.05; done
if kill -0 $run 2>/dev/null; then
  echo 1 > /sys/block/${d2#/dev/}/device/delete
else
  echo "PRECONDITION FAILED: the run on $d2 ended before the disk could be unplugged"
fi
wait $run
cat /tmp/unplug.out
GUEST

"$rig" -q --timeout 150 --images-dir "$images" --bin "$cli" --bin "$work/hold_excl" \
  --disk sata,size=64M --disk sata,size=32M --disk sata,size=1G --disk sata,size=32M \
  --disk sata,size=32M --disk sata,size=16M --disk sata,size=512M --disk sata,size=512M \
  --disk sata,size=32M \
  --disk sata,size=32M,serial=DUALPORT-A,wwn=0x5000c500a1b2c3d4 \
  --disk sata,size=32M,serial=DUALPORT-B,wwn=0x5000c500a1b2c3d4 --script "$work/guest.sh" > "$work/out" 2> "$work/err"
rc=$?
if [ $rc -eq 124 ] || [ $rc -eq 125 ]; then
  cat "$work/err" >&2
  skip "the emulated machine could not run (rig status $rc)"
fi

section() { awk -v name="@@$1" '$0 == name {on = 1; next} /^@@[a-z]+$/ {on = 0} on' "$work/out"; }
section_rc() { section "$1" | awk '/^@@rc / {print $2}' | tail -1; }
# A section whose precondition failed is failed once, by name, by `preconditions`; its own checks
# would only add misleading verdicts.
expect_line() {  # section text what
  unmet "$(section "$1")" && return
  if section "$1" | grep -qF -- "$2"; then pass "$3"; else fail "$3: no '$2' in: $(section "$1")"; fi
}
expect_rc() {  # section code what
  unmet "$(section "$1")" && return
  if [ "$(section_rc "$1")" = "$2" ]; then pass "$3"; else fail "$3: exit $(section_rc "$1"), not $2"; fi
}
zeros() { cmp -s -n "$3" <(tail -c +$(($2 + 1)) "$1") /dev/zero; }
preconditions "$work/out"

expect_rc error 1 "an error segment mid-disk: the run goes on and exits 1"
expect_line error "Ошибка форматирования произошла по смещению 524,288, длина 32,768 байт:   1117" \
  "the error segment is logged with its exact offset and length"
expect_line error "Не записано байт: 32,768" "only the error segment is counted unwritten"
if ! unmet "$(section error)"; then
  zeros "$images/disk0-sata.img" 0 524288 && zeros "$images/disk0-sata.img" 557056 $((64 * MiB - 557056)) &&
    pass "every sector around the error segment reads back zero" || fail "unwritten bytes around the error segment"
fi

expect_rc flakey 1 "a flakey disk: failed blocks, exit 1"
expect_line flakey "Ошибка форматирования произошла по смещению 0, длина " "its failed blocks are logged"

for held in namespace excl; do
  unmet "$(section $held)" && continue
  expect_rc $held 2 "disk held ($held): refused"
  expect_line $held "Устройство используется другой программой или системой." "disk held ($held): the in-use line"
done
cmp -s "$images/disk3-sata.img" "$work/disk3.orig" && pass "the held disk is untouched" || fail "the held disk was written"

if ! unmet "$(section wwn)"; then
  expect_rc wwn 2 "a disk mounted through its second port: the first is refused"
  expect_line wwn "first port untouched" "a disk mounted through its second port: nothing written"
  if section wwn | grep -q "^2	.*(второе имя диска sd[a-z]*)	" && ! section wwn | grep "^[01]	" | grep -q "второе имя"; then
    pass "the second port alone is marked in the list"
  else fail "the list does not mark the second port alone: $(section wwn | grep '^[0-9]	')"; fi
fi

if ! unmet "$(section partition)"; then
  expect_rc partition 0 "a partition entry: list still runs"
  expect_line partition "пропущен: это раздел, а не весь диск" "a partition entry is left out with a warning"
fi
cmp -s "$images/disk4-sata.img" "$work/disk4.orig" && pass "the partitioned disk is untouched" || fail "the partitioned disk was written"

if ! unmet "$(section unplug)"; then
  expect_rc unplug 1 "an unplugged disk ends the run with exit 1"
  expect_line unplug "Устройство было отключено, прерывание..." "the unplug is recognised"
  expect_line unplug "Операция прекращена по смещению" "the abort line follows"
fi

expect_rc zero 1 "a segment that keeps no write and reads zeros: the verification fails"
expect_line zero "Устройство не сохранило записанные данные: смещение 4,194,304, длина 512 байт" \
  "a stamp that reads back as zeros is a lost write"
for gone in vanish:отключено shrink:изменился; do
  name=${gone%%:*}
  expect_rc $name 1 "$name during the verification: exit 1"
  expect_line $name "${gone#*:}" "$name during the verification: the fill's reason line"
  expect_line $name "Проверка прекращена по смещению" "$name during the verification: the pass is aborted"
  if section $name | grep -qF "Ошибка чтения"; then fail "$name: blocks were split after the device went"; fi
  echo "measured: $name during the verification: the run ended $(section $name | awk '/^@@seconds / {print $2}') s later"
done

cmp -s "$images/disk5-sata.img" "$work/disk5.orig" && pass "the sentinel disk is byte-identical" || fail "the sentinel disk changed"

if [ $failures -ne 0 ]; then
  echo "--- guest output"; grep -v "  \(\* \*\|ВО ВРЕМЯ\|ВСЕ ДАННЫЕ\) " "$work/out"; echo "--- rig errors"; cat "$work/err"
  exit 1
fi
echo "all passed"
