# Sourced by the driver suites, after `set -u`: the QEMU rig, the verdict helpers, a temporary folder
# ($work, removed on exit) and fill FILE BYTES, which writes 0xFF bytes so that zeros show, and so
# does a write that went to the wrong disk.
#
#   source common.bash TRELVANE-CLI SHARED-FOLDER SUITE-NAME
cli=$(realpath "$1")
shared=$2
rig=$shared/tools/qemu-ata/run-in-vm.sh

# Under CI=true a suite that cannot run fails: a build machine that quietly skips proves nothing.
skip() { echo "SKIP: $*"; [ "${CI:-}" = true ] && exit 1; exit 77; }
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

[ -x "$cli" ] || skip "no trelvane-cli at $1"
[ -x "$rig" ] || skip "no qemu-ata rig at $rig"

work=$(mktemp -d "/tmp/trelvane-$3.XXXXXX")
trap 'rm -rf "$work"' EXIT
fill() { head -c "$2" /dev/zero | tr '\0' '\377' > "$1"; }

# A guest script that builds a precondition (a holder process, a partition, a run still going when the
# disk is pulled) checks it and prints "PRECONDITION FAILED: what" when it does not hold. unmet
# SECTION-TEXT says whether such a line is in it; preconditions fails once for every one in the output,
# so that an unmet one is named instead of showing as a wrong result.
unmet() { grep -q '^PRECONDITION FAILED: ' <<< "$1"; }
preconditions() {
  local line
  while IFS= read -r line; do fail "precondition not met: ${line#PRECONDITION FAILED: }"; done \
    < <(grep '^PRECONDITION FAILED: ' "$1")
}
