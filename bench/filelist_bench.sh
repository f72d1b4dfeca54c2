#!/usr/bin/env bash
# Lists and sorts a folder of 100,000 generated files with camera and scan
# names in natural name order: GNU `ls -1v` next to the file list under Wine
# (list and sort timed inside the program, without Wine's start-up).
#   bench/filelist_bench.sh [COUNT]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
count=${1:-100000}
build="$root/build/winbench"
jobs=${QV_JOBS:-3}
mkdir -p "$root/build"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >"$build.configure.log" 2>&1 \
  || { cat "$build.configure.log"; exit 1; }
cmake --build "$build" -j"$jobs" --target filelist_bench_W filelist_bench_A >/dev/null

work=$(mktemp -d /tmp/qv_filelist_bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
folder="$work/files"
mkdir "$folder"
python3 - "$folder" "$count" <<'PY'
import os, sys
folder, count = sys.argv[1], int(sys.argv[2])
patterns = [
    lambda i: "IMG_%04d.JPG" % (i % 10000),
    lambda i: "DSC%05d.jpg" % i,
    lambda i: "scan %d page %d.png" % (i // 40, i % 40 + 1),
    lambda i: "P%07d.JPG" % (i * 7),
    lambda i: "2023-%02d-%02d %02d.%02d.%02d.jpg" % (i % 12 + 1, i % 28 + 1, i % 24, i % 60, i // 60 % 60),
    lambda i: "Screenshot (%d).png" % i,
    lambda i: "notes %d.txt" % i,
]
made = set()
i = 0
while len(made) < count:
    name = patterns[i % len(patterns)](i // len(patterns) + (i % 97) * 1000)
    if name not in made:
        made.add(name)
        open(os.path.join(folder, name), "wb").close()
    i += 1
PY
echo "folder: $(ls -1 "$folder" | wc -l) files"

# ls: best of five, its output thrown away.
python3 - "$folder" <<'PY'
import subprocess, sys, time
best = min(
    (lambda t0: (subprocess.run(["ls", "-1v", sys.argv[1]], stdout=subprocess.DEVNULL, check=True),
                 time.perf_counter() - t0)[1])(time.perf_counter())
    for _ in range(5))
print("ls -1v: %.1f ms (best of 5, whole process)" % (best * 1000))
PY

# shellcheck source=tools/wine-env.sh
. "$root/tools/wine-env.sh"
qv_wine_start "$build"
trap 'qv_wine_stop; rm -rf "$work"' EXIT
winfolder="Z:$(echo "$folder" | tr / '\\')"
for flavour in W A; do
  echo "== Quivelta file list ($flavour)"
  wine "$build/winbench/filelist_bench_$flavour.exe" "$winfolder" 5
done
