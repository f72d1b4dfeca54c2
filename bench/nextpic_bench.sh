#!/usr/bin/env bash
# The next-picture command on a folder of large photos (Debian's wallpaper
# pictures copied into one folder), from the command to the painted view,
# next to the decode of the same file alone, under Wine on a virtual display.
#   bench/nextpic_bench.sh [ROUNDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-2}
build="$root/build/winbench"
jobs=${QV_JOBS:-3}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >"$build.configure.log" 2>&1 \
  || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" -j"$jobs" --target nextpic_bench_W nextpic_bench_A dibcore_W dibcore_A >/dev/null

work=$(mktemp -d /tmp/qv_nextpic_bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
photos="$work/photos"
mkdir "$photos"
# The largest picture of each wallpaper theme.
for theme in /usr/share/wallpapers/*/contents/images; do
  f=$(ls -S "$theme"/*.jpg "$theme"/*.png 2>/dev/null | head -n1 || true)
  [ -n "$f" ] || continue
  cp "$f" "$photos/$(echo "$theme" | cut -d/ -f5)-$(basename "$f")"
done
echo "folder: $(ls "$photos" | wc -l) photos, $(du -sh "$photos" | cut -f1)"

# shellcheck source=tools/wine-env.sh
. "$root/tools/wine-env.sh"
qv_wine_start "$build"
trap 'qv_wine_stop; rm -rf "$work"' EXIT
winphotos=$(winepath -w "$photos")
for flavour in W A; do
  program="$work/program$flavour"
  mkdir -p "$program/data"
  cp "$build/winbench/nextpic_bench_$flavour.exe" "$program/"
  if [ "$flavour" = W ]; then cp "$build/Quivelta/data/dibcore.dll" "$program/data/"
  else cp "$build/Quivelta98/data/dibcore.dll" "$program/data/"; fi
  echo "== next picture ($flavour)"
  wine "$program/nextpic_bench_$flavour.exe" "$winphotos" "$rounds"
done
