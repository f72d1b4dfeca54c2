#!/usr/bin/env bash
# The format writers' files as outside tools see them: the save-writer Wine
# test leaves one file per format and option (both text builds), and
# ImageMagick's identify reads back the format, size, compression,
# interlacing, quality and transparency; the lossless files of one picture
# compare equal pixel for pixel.
set -uo pipefail
. "$(dirname "$0")/common.bash" "$1"

command -v identify >/dev/null && command -v compare >/dev/null || { echo "ImageMagick missing: skipped"; exit 0; }
out="$work/out"
mkdir -p "$out"

expect() {  # FILE FORMAT WANT WHAT
  local got
  got=$(identify -format "$2" "$1" 2>/dev/null | head -n1)
  if [ "$got" = "$3" ]; then pass "$4"; else fail "$4: '$got', want '$3'"; fi
}

same_pixels() {  # A B WHAT
  local diff
  diff=$(compare -metric AE "$1" "$2" null: 2>&1)
  if [ "$diff" = "0" ]; then pass "$3"; else fail "$3: $diff pixels differ"; fi
}

for flavour in W A; do
  if ! QV_SAVE_OUT="$(winepath -w "$out")" wine "$build/wintests/wt_save_writers_test_$flavour.exe" \
      --gtest_filter='*ExportForOutsideCheck' >/dev/null 2>&1; then
    fail "$flavour: the writers did not run"
    continue
  fi
  f="$out/${flavour}_"
  expect "${f}plain.bmp" '%m %wx%h %C' 'BMP3 40x24 None' "$flavour plain BMP"
  expect "${f}rle.bmp" '%m %wx%h %C' 'BMP3 40x24 RLE' "$flavour RLE BMP"
  expect "${f}top.bmp" '%m %wx%h %z' 'BMP3 40x24 8' "$flavour top-down BMP"
  height=$(od -An -t d4 -j22 -N4 "${f}top.bmp" | tr -d ' ')
  if [ "$height" = "-24" ]; then pass "$flavour BMP rows stored top-down"; else fail "$flavour BMP height field $height, want -24"; fi
  expect "${f}lace.gif" '%m %wx%h %[interlace] %A' 'GIF 40x24 GIF True' "$flavour interlaced transparent GIF"
  expect "${f}q90.jpg" '%m %wx%h %Q %[interlace]' 'JPEG 40x24 90 None' "$flavour JPEG quality 90"
  expect "${f}q30prog.jpg" '%m %wx%h %Q %[interlace]' 'JPEG 40x24 30 JPEG' "$flavour progressive JPEG quality 30"
  expect "${f}lace.png" '%m %wx%h %[interlace]' 'PNG 40x24 PNG' "$flavour interlaced PNG"
  expect "${f}trans8.png" '%m %A %[png:IHDR.color-type-orig]' 'PNG True 3' "$flavour palette PNG with a transparent index"
  expect "${f}trans24.png" '%m %A %[png:IHDR.color-type-orig]' 'PNG True 2' "$flavour RGB PNG with a transparent colour"
  expect "${f}nofilter.png" '%m %[png:IHDR.color-type-orig]' 'PNG 2' "$flavour 32-bit picture written as RGB PNG"
  same_pixels "${f}plain.bmp" "${f}rle.bmp" "$flavour RLE BMP equals plain BMP"
  same_pixels "${f}top.bmp" "${f}lace.png" "$flavour top-down BMP equals interlaced PNG"
  same_pixels "${f}top.bmp" "${f}nofilter.png" "$flavour 24-bit and 32-bit sources agree"
done

[ "$failures" -eq 0 ]
