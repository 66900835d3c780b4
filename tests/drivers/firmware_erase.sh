#!/usr/bin/env bash
# The drive's own erase commands through trelvane-cli on real nvme and libata drivers (what the guest
# answers: docs/firmware-erase.md). Format NVM runs end to end; what a drive cannot do is refused
# before anything is sent; the automatic choice says what it picked and why.
#   firmware_erase.sh TRELVANE-CLI SHARED-FOLDER      exit 0 passed, 1 failed, 77 skipped
set -u

source "$(dirname "$0")/common.bash" "$1" "$2" firmware-erase
mkdir "$work/images"
# 0xFF over every disk, so zeros show, and so does a disk that was written although it was refused.
fill "$work/images/disk0-sata.img" $((40 << 20))
fill "$work/images/disk1-sata.img" $((40 << 20))
fill "$work/images/disk2-nvme.img" $((64 << 20))
fill "$work/images/disk3-nvme.img" $((320 << 20))

cat > "$work/guest.sh" <<'GUEST'
num() { trelvane-cli list 2>/dev/null | awk -F'\t' -v s="$1" '$5 == s {print $1}'; }
run() {  # section, drive serial, arguments... (--yes added unless the answer comes on standard input)
  local name=$1 serial=$2 n yes=--yes; shift 2
  n=$(num "$serial")
  [ -n "$n" ] || echo "PRECONDITION FAILED: trelvane-cli lists no drive with serial $serial"
  [ -n "${ANSWER:-}" ] && yes=
  echo "@@$name"; echo "${ANSWER:-}" | trelvane-cli format "$n" "$@" $yes 2>&1; echo "@@rc $?"
}
mkdir /tmp/reports
for s in QSATA-SSD01 QSATA-HDD02; do echo "@@details $s"; trelvane-cli details "$(num $s)" 2>&1; done
run nvme-crypto QNVME-512F --method format-crypto --report /tmp/reports
run nvme-sanitize QNVME-512F --method sanitize-block --report /tmp/reports
run sata-secure QSATA-SSD01 --method secure-erase --report /tmp/reports
run sata-sanitize QSATA-SSD01 --method sanitize-crypto --report /tmp/reports
# The refused drives, read in the guest before anything else runs on them: still 0xFF throughout.
for s in QNVME-512F QSATA-SSD01; do
  dev=$(awk -v s="$s" '$4 == s {print $2}' /run/qata-disks)
  [ -n "$dev" ] || echo "PRECONDITION FAILED: /run/qata-disks has no disk with serial $s"
  echo "@@untouched $s"; LC_ALL=C tr -d '\377' < /dev/$dev | wc -c
done
run sata-ssd-auto QSATA-SSD01 --method auto
run sata-hdd-auto QSATA-HDD02 --method auto --report /tmp/reports
ANSWER=да run nvme512 QNVME-512F --method format-user --report /tmp/reports
# Interrupts once the drive has the erase (here: while the whole disk is read back) do not end the run.
n=$(num QNVME-4KF)
echo "@@nvme4096"; echo да | trelvane-cli format "$n" --method auto --verify=full --report /tmp/reports >/tmp/o 2>&1 &
pid=$!
for i in $(seq 200); do grep -q "Накопитель сообщил о завершении стирания" /tmp/o && break; sleep 0.05; done
grep -q "Накопитель сообщил о завершении стирания" /tmp/o || echo "PRECONDITION FAILED: the erase did not get under way"
kill -TERM $pid; sleep 0.2; kill -INT $pid; wait $pid; rc=$?; cat /tmp/o; echo "@@rc $rc"
for d in /sys/block/nvme*n1; do echo "@@lbs $(cat $d/device/serial | sed 's/ *$//')"; cat $d/queue/logical_block_size; done
for s in QNVME-512F QNVME-4KF QSATA-HDD02; do echo "@@report $s"; cat /tmp/reports/${s}_*.json; done
GUEST

"$rig" -q --images-dir "$work/images" --bin "$cli" --script "$work/guest.sh" \
  --disk sata,size=40M,serial=QSATA-SSD01,rpm=1 --disk sata,size=40M,serial=QSATA-HDD02,rpm=7200 \
  --disk nvme,size=64M,serial=QNVME-512F,lbs=512 --disk nvme,size=320M,serial=QNVME-4KF,lbs=4096 \
  > "$work/out" 2> "$work/err"
rc=$?
if [ $rc -eq 124 ] || [ $rc -eq 125 ]; then cat "$work/err" >&2; skip "the emulated machine could not run (rig status $rc)"; fi
[ $rc -eq 0 ] || fail "guest script ended with $rc"

section() { awk -v name="@@$1" '$0 == name {on = 1; next} /^@@/ {on = 0} on' "$work/out"; }
section_rc() { awk -v name="@@$1" '$0 == name {on = 1; next} on && /^@@rc / {print $2; exit}' "$work/out"; }
preconditions "$work/out"
zeros() { cmp -s -n "$2" "$1" /dev/zero; }

says() {  # section, lines it holds
  local name=$1 line; shift
  for line; do grep -qF -- "$line" <<< "$(section "$name")" || fail "$name lacks «$line»: $(section "$name")"; done
}
# --- details: the ATA erase capabilities (IDENTIFY words 59, 82, 85, 89, 90, 128, 217) -----------------
says "details QSATA-SSD01" "СТИРАНИЕ:" "SANITIZE: нет" "ATA Security: нет" "ATA Security, заморожен до перезапуска (frozen): нет" \
  "Время обычного стирания (ATA Security): не сообщается" "Скорость вращения: твердотельный накопитель"
says "details QSATA-HDD02" "Скорость вращения: 7200 об/мин"

# --- refused before anything is sent (FNA bit 2, SANICAP, words 82 and 59 clear): exit 2, untouched ----
for name in nvme-crypto nvme-sanitize sata-secure sata-sanitize; do
  [ "$(section_rc $name)" = 2 ] || fail "$name exit $(section_rc $name)"
  says $name "Встроенное стирание невозможно: накопитель не поддерживает этот способ стирания. На диск ничего не записано."
done
for s in QNVME-512F QSATA-SSD01; do
  [ "$(section "untouched $s")" = 0 ] || fail "$s changed by a refused run: $(section "untouched $s") bytes not 0xFF"
done

# --- the automatic choice and the confirmation, before anything is written -------------------------------
says sata-ssd-auto "Выбран способ стирания: полное заполнение нулями (накопитель не поддерживает стирание встроенными командами)"
says sata-hdd-auto "Выбран способ стирания: полное заполнение нулями (накопитель с вращающимися дисками: стирание записью нулей)"
says nvme4096 "Выбран способ стирания: NVMe Format NVM, стирание данных пользователя (накопитель поддерживает стирание данных при форматировании (Format NVM))"
[ "$(section_rc sata-hdd-auto)" = 0 ] && zeros "$work/images/disk1-sata.img" $((40 << 20)) \
  && grep -qF '"method": "full_zero_fill"' <<< "$(section "report QSATA-HDD02")" || fail "auto on a rotating disk"
# The log's line, and the answer to the interrupts.
[ "$(grep -c "Остановить встроенное стирание нельзя" <<< "$(section nvme4096)")" -ge 2 ] || fail "no answer to the interrupts"
says nvme512 "Способ стирания: NVMe Format NVM, стирание данных пользователя" "Категория NIST SP 800-88: Clear" \
  "Встроенное стирание нельзя остановить после начала: накопитель выполняет его сам до конца"

# --- Format NVM, user data erase: data gone, read back, block size kept, the report says so ----------
formatted() {  # section, serial, image, bytes, block size, verification method
  local out report; out=$(section "$1"); report=$(section "report $2")
  [ "$(section_rc "$1")" = 0 ] || fail "$1 exit $(section_rc "$1"): $out"
  zeros "$work/images/$3" "$4" || fail "$1: data left in $3"
  [ "$(section "lbs $2")" = "$5" ] || fail "$1: block size now $(section "lbs $2")"
  grep -q "  Format NVM (80h, 0[24]0[0-9A-F]h): выполнена за " <<< "$out" \
    && grep -q "  Проверка чтением ($7): проверено байт: .*, ошибочных секторов: 0; " <<< "$out" || fail "$1: log: $out"
  for field in '"method": "format_user"' '"nist_category": "clear"' \
      '"technique": "NVMe Format NVM, стирание данных пользователя"' '"outcome": "erased"' '"verified": true' \
      "\"method\": \"$6\"" '"rule": "uniform"' '"uniform_byte": 0' '"name": "Format NVM"' '"ending": "completed"'; do
    grep -qF "$field" <<< "$report" || fail "$1: report lacks $field"
  done
}
formatted nvme512 QNVME-512F disk2-nvme.img $((64 << 20)) 512 sample "выборка"
formatted nvme4096 QNVME-4KF disk3-nvme.img $((320 << 20)) 4096 whole_disk "весь диск"

[ $failures -eq 0 ] && pass "firmware erase: refusals, choices, confirmation, Format NVM on 512 and 4096"
if [ $failures -ne 0 ]; then
  echo "---- guest output ----"; cat "$work/out"; echo "---- rig ----"; cat "$work/err"
  exit 1
fi
exit 0
