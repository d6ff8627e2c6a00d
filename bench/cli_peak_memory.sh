#!/usr/bin/env bash
# Peak resident memory of veristamp-check against one tool output of SIZE MiB
# (default 15: the stand-ins refuse a record file over 16 MiB), for each place
# such an output can come from and each output
# format (default all three), measured with /usr/bin/time (GNU -v on Linux, -l
# on macOS). The goal: under 4 x SIZE plus a fixed base, in every format.
# Uses the stand-in tools (replaying the packages' records), so it is for hosts
# that have them (not macOS).
#   bench/cli_peak_memory.sh [build-dir] [SIZE] [FORMATS]   e.g. ... build 15 "json junit"
set -euo pipefail
build="${1:-build}"
size="${2:-15}"
formats="${3:-text json junit}"
export VERISTAMP_REPLAY_RECORDS=1
check="$build/bin/veristamp-check"
[[ -x "$check" ]] || { echo "no $check: build first" >&2; exit 1; }
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

# SIZE MiB of failure lines, as a tool that lists every damaged file prints them.
big_output() {
  yes '/Applications/Big.app/Contents/Resources/file.dat: a sealed resource is missing or invalid' |
    head -c "$((size * 1024 * 1024))" || true # yes ends by SIGPIPE
}

# About SIZE MiB of signed entitlements: a dictionary of 52-byte lines.
big_entitlements() {
  echo '<?xml version="1.0" encoding="UTF-8"?>'
  echo '<plist version="1.0"><dict>'
  awk -v n="$((size * 1024 * 1024 / 52))" 'BEGIN { for (i = 0; i < n; i++) printf "<key>com.example.entitlement.%09d</key><true/>\n", i }'
  echo '</dict></plist>'
}

# An app whose record $2 (e.g. C1.stderr) is the big output, with status $3.
make_app() {
  local records="$scratch/$1.app/Contents/_ReleaseToolRecords"
  mkdir -p "$records"
  big_output > "$records/$2"
  [[ -z "${3:-}" ]] || echo "$3" > "$records/${2%%.*}.status"
}

# A stand-in disk image (a pax archive) whose record $2 is the big output.
make_image() {
  local folder="$scratch/$1-image"
  mkdir -p "$folder/volume" "$folder/_ReleaseToolRecords"
  big_output > "$folder/_ReleaseToolRecords/$2"
  [[ -z "${3:-}" ]] || echo "$3" > "$folder/_ReleaseToolRecords/${2%%.*}.status"
  tar --format=pax -cf "$scratch/$1.dmg" -C "$folder" volume _ReleaseToolRecords
}

make_app CodeSignature C1.stderr 1
mkdir -p "$scratch/Entitlements.app/Contents/_ReleaseToolRecords"
big_entitlements > "$scratch/Entitlements.app/Contents/_ReleaseToolRecords/C3.stdout"
make_app SignatureDisplay C2.stderr
make_app Gatekeeper S1.stderr 3
make_image Integrity H1.stdout 1
make_image Ticket X1.stderr 65

if [[ "$(uname -s)" == "Darwin" ]]; then timer=(/usr/bin/time -l); else timer=(/usr/bin/time -v); fi
printf '%-26s %-6s %12s\n' "package (${size} MiB output)" format "peak MiB"
for package in "$scratch"/*.app "$scratch"/*.dmg; do
  for format in $formats; do
    # The check's own exit status (a verdict) is not the benchmark's.
    peak="$({ "${timer[@]}" "$check" --format "$format" "$package" 2>&1 >/dev/null || true; } |
      awk '/Maximum resident set size/ {print int($NF / 1024)} / maximum resident set size/ {print int($1 / 1048576)}')"
    printf '%-26s %-6s %12s\n' "$(basename "$package")" "$format" "$peak"
  done
done
