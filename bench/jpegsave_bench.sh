#!/usr/bin/env bash
# JPEG save of a 24-megapixel picture at quality 90: the program's whole save
# path under Wine (bench/win/jpegsave_bench.cpp) next to `cjpeg -quality 90`
# on the same picture, timed in the same run. The reference is timed as a
# user runs it: the process started, its PPM read, its file written. Our
# encoder fits its Huffman tables to the picture, so `cjpeg -optimize`, which
# does the same, is shown beside it for comparison.
#   bench/jpegsave_bench.sh [ROUNDS]      (QV_WINBENCH_BUILD: build folder)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-7}
build=${QV_WINBENCH_BUILD:-$root/build/winbench}
jobs=${QV_JOBS:-3}
command -v cjpeg >/dev/null || { echo "cjpeg not found (libjpeg-turbo-progs)"; exit 1; }

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >"$build.configure.log" 2>&1 \
  || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" -j"$jobs" --target jpegsave_bench_W jpegsave_bench_A dibcore_W dibcore_A >/dev/null

work=$(mktemp -d /tmp/qv_jpegsave_bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
# shellcheck source=tools/wine-env.sh
. "$root/tools/wine-env.sh"
qv_wine_start "$build"
trap 'qv_wine_stop; rm -rf "$work"' EXIT
winwork=$(winepath -w "$work")

# Median and best of the millisecond figures on stdin.
stats() { sort -n | awk '{ v[NR] = $1 } END { printf "%.1f %.1f\n", v[int((NR + 1) / 2)], v[1] }'; }

# ROUNDS timed runs of cjpeg with OPTIONS (after one untimed), in ms.
time_cjpeg() {
  local i t0 t1
  cjpeg "$@" -outfile "$work/cjpeg.jpg" "$work/photo.ppm"
  for ((i = 0; i < rounds; ++i)); do
    t0=$EPOCHREALTIME
    cjpeg "$@" -outfile "$work/cjpeg.jpg" "$work/photo.ppm"
    t1=$EPOCHREALTIME
    awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f\n", (b - a) * 1000 }'
  done
}

declare -A ours ours_best
for flavour in W A; do
  program="$work/program$flavour"
  mkdir -p "$program/data"
  cp "$build/winbench/jpegsave_bench_$flavour.exe" "$program/"
  if [ "$flavour" = W ]; then cp "$build/Quivelta/data/dibcore.dll" "$program/data/"
  else cp "$build/Quivelta98/data/dibcore.dll" "$program/data/"; fi
  echo "== ours ($flavour)"
  wine "$program/jpegsave_bench_$flavour.exe" "$winwork" "$rounds" | tr -d '\r' | tee "$work/ours$flavour.txt"
  ours[$flavour]=$(sed -n 's/^result whole_median_ms=\([0-9.]*\).*/\1/p' "$work/ours$flavour.txt")
  [ -n "${ours[$flavour]}" ] || { echo "no result from the $flavour program"; exit 1; }
  # A fast save of a broken file would prove nothing: the reference reads it.
  djpeg -outfile /dev/null "$work/ours.jpg" || { echo "the $flavour program wrote a bad file"; exit 1; }
  ours_best[$flavour]=$(sed -n 's/^result .*whole_best_ms=\([0-9.]*\).*/\1/p' "$work/ours$flavour.txt")
  # The reference after each program, so a change of the machine's load
  # during the run touches both sides alike.
  time_cjpeg -quality 90 >>"$work/ref.txt"
  refSize=$(stat -c %s "$work/cjpeg.jpg")
done
read -r ref refBest < <(stats <"$work/ref.txt")
read -r opt optBest < <(time_cjpeg -quality 90 -optimize | stats)
optSize=$(stat -c %s "$work/cjpeg.jpg")
echo "== cjpeg $(cjpeg -version 2>&1 | head -n1)"
printf '  cjpeg -quality 90            %8.1f / %8.1f ms  %9d bytes\n' "$ref" "$refBest" "$refSize"
printf '  cjpeg -quality 90 -optimize  %8.1f / %8.1f ms  %9d bytes (for comparison)\n' "$opt" "$optBest" "$optSize"
echo "== whole save path / cjpeg -quality 90 (the goal is at most 1.5)"
for flavour in W A; do
  awk -v a="${ours[$flavour]}" -v b="$ref" -v c="${ours_best[$flavour]}" -v d="$refBest" -v f="$flavour" \
    'BEGIN { printf "  %s: %.2f of the medians, %.2f of the best\n", f, a / b, c / d }'
done
