#!/usr/bin/env bash
# Wall time of the stand-in hdiutil's verify on a real UDIF image against
# `7zz t` alone on the same image: the best of RUNS runs each, and their
# ratio. The goal: the stand-in within 1.5 x of 7zz, its trailer and chunk
# table reading costing next to nothing beside 7zz's decompression.
# For hosts with the stand-in tools (not macOS).
#   bench/udif_verify_time.sh [build-dir] [image] [RUNS]
set -euo pipefail
build="${1:-build}"
image="${2:-$(dirname "$0")/../tests/real-artifacts/SparkleTestCodeSignApp.dmg}"
runs="${3:-20}"
hdiutil="$build/libexec/veristamp/release-tools/usr/bin/hdiutil"
[[ -x "$hdiutil" ]] || { echo "no $hdiutil: build first" >&2; exit 1; }
command -v 7zz >/dev/null || { echo "7zz is missing: apt-get install 7zip" >&2; exit 1; }

# Best wall time and best processor time (user + system, 7zz included) of
# "$@" over $runs runs, in milliseconds; on a shared machine the processor
# time is the steadier of the two.
best_ms() {
  local best_wall="" best_cpu=""
  for ((i = 0; i < runs; i++)); do
    local wall cpu
    read -r wall cpu < <(/usr/bin/time -f "%e %U %S" "$@" 2>&1 >/dev/null | tail -1 |
      awk '{ printf "%d %d\n", $1 * 1000, ($2 + $3) * 1000 }')
    [[ -z "$best_wall" || $wall -lt $best_wall ]] && best_wall=$wall
    [[ -z "$best_cpu" || $cpu -lt $best_cpu ]] && best_cpu=$cpu
  done
  echo "$best_wall $best_cpu"
}

read -r standin_wall standin_cpu < <(best_ms "$hdiutil" verify "$image")
read -r alone_wall alone_cpu < <(best_ms 7zz t -bd -bsp0 -- "$image")
echo "image: $image ($(stat -c %s "$image") bytes), best of $runs"
echo "stand-in verify: ${standin_wall} ms wall, ${standin_cpu} ms processor"
echo "7zz t alone:     ${alone_wall} ms wall, ${alone_cpu} ms processor"
awk -v a="$standin_wall" -v b="$alone_wall" -v c="$standin_cpu" -v d="$alone_cpu" 'BEGIN {
  w = (b > 0) ? a / b : 0; p = (d > 0) ? c / d : 0
  printf "ratio: %.2f wall, %.2f processor (goal: at most 1.50)\n", w, p
  exit !(w <= 1.5 || p <= 1.5)
}'
