#!/usr/bin/env bash
# Runs the fuzz targets of build/asan one after another, each for SECONDS (default 60), at a
# low priority. New corpus entries go to build/fuzz/corpus/<target>/ (the committed seeds in
# tests/fuzz/corpus/ are read, never written), crashing inputs to build/fuzz/artifacts/, and
# each run's output to build/fuzz/<target>.log. Prints the executions per target; exits
# non-zero when any target found a fault.
#   tools/fuzz.sh [SECONDS] [TARGET...]
set -uo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(command_line_fuzz settings_load_fuzz glyph_sheet_fuzz rain_field_fuzz linux_options_fuzz
                                  xft_dpi_fuzz)

out=build/fuzz
mkdir -p "$out/artifacts"
failed=0
for target in "${targets[@]}"; do
  binary=build/asan/tests/fuzz/$target
  [ -x "$binary" ] || { echo "$target: not built (make asan)"; failed=1; continue; }
  mkdir -p "$out/corpus/$target"
  nice -n 10 "$binary" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$out/artifacts/$target-" \
    "$out/corpus/$target" "tests/fuzz/corpus/$target" > "$out/$target.log" 2>&1
  code=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/$target.log" | tail -1)
  if [ $code -eq 0 ]; then
    echo "$target: ${runs:-?} executions in ${seconds} s, no finding"
  else
    echo "$target: FAULT after ${runs:-?} executions (exit $code), see $out/$target.log"
    failed=1
  fi
done
exit $failed
