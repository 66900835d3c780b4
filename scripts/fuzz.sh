#!/usr/bin/env bash
# Builds the fuzz harnesses (clang, AddressSanitizer and UBSan) in build/fuzz and runs each for SECONDS
# (default 5) on a copy of its seed corpus, then prints per harness the executions, the executions per
# second and the findings. Exits non-zero when any harness found a crash, a leak, a hang or an
# out-of-memory. Usage: scripts/fuzz.sh [SECONDS] [HARNESS...] (all harnesses when none is named).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/install-packages.sh
install_packages cmake ninja-build clang-14 libclang-rt-14-dev nlohmann-json3-dev libmount-dev pkgconf

seconds=${1:-5}
shift || true
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=(identify smart nvme hex_serial sense machine_file)

build=build/fuzz
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
      -DTRELVANE_FUZZ=ON -DTRELVANE_BUILD_GUI=OFF -DTRELVANE_BUILD_TESTS=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" --target "${harnesses[@]/#/fuzz_}" >/dev/null

# One fresh folder per harness and run: the corpus grows in the copy, findings land beside it.
run_harness() {
  local name=$1 work=$build/runs/$1
  rm -rf "$work" && mkdir -p "$work/findings" "$work/tmp"
  cp -r "fuzz/corpus/$name" "$work/corpus"
  local options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -artifact_prefix="$work/findings/")
  [ -f "fuzz/$name.dict" ] && options+=(-dict="fuzz/$name.dict")
  TMPDIR=$PWD/$work/tmp "$build/fuzz/fuzz_$name" "${options[@]}" "$work/corpus" >"$work/log" 2>&1 || true
}

status=0
printf '%-14s %12s %10s  %s\n' harness executions exec/s findings
for name in "${harnesses[@]}"; do
  run_harness "$name"
  work=$build/runs/$name
  runs=$(grep -oE '^Done [0-9]+ runs in [0-9]+' "$work/log" | awk '{print $2 " " $5}' || true)
  read -r executions elapsed <<<"${runs:-0 0}"
  findings=$(ls "$work/findings")
  if [ -z "$runs" ] && [ -z "$findings" ]; then findings="(no summary; see $work/log)"; fi
  printf '%-14s %12s %10s  %s\n' "$name" "$executions" "$((executions / (elapsed > 0 ? elapsed : 1)))" \
         "${findings:-none}"
  if [ -n "$findings" ] || [ -z "$runs" ]; then
    status=1
    # The error and the frames of the program's own code, without libFuzzer's and the library's.
    grep -E 'ERROR:|runtime error|terminate called|what\(\)|ALARM|SUMMARY|trelvane::|LLVMFuzzerTestOneInput' \
         "$work/log" | head -20 | cut -c1-220 | sed 's/^/    /' || true
  fi
done
exit $status
