#!/usr/bin/env bash
# The command-line tool end to end: every output format from one picture,
# sizes and depths as expected, the resize command, and clean failures.
#   dibtool_test.sh DIBTOOL WORKDIR
set -u
tool=$1
work=$2
rm -rf "$work" && mkdir -p "$work"
failures=0
check() {  # description, expected, actual
  if [ "$2" = "$3" ]; then echo "ok   $1"; else echo "FAIL $1: expected '$2', got '$3'"; failures=$((failures + 1)); fi
}

# A 33 x 7 picture with a gradient, written by ImageMagick as a 24-bit BMP.
convert -size 33x7 gradient:red-blue -type TrueColor "BMP3:$work/in.bmp" || exit 1
check "info of a BMP" "33 7 24" "$("$tool" info "$work/in.bmp")"

for ext in bmp png gif jpg; do
  "$tool" convert "$work/in.bmp" "$work/out.$ext" --quality 90
  check "convert to .$ext" "0" "$?"
  size=$("$tool" info "$work/out.$ext" | cut -d' ' -f1,2)
  check "size after .$ext" "33 7" "$size"
  check "ImageMagick reads .$ext" "33x7" "$(identify -format '%wx%h' "$work/out.$ext" 2>/dev/null)"
done
depth=$("$tool" info "$work/out.gif" | cut -d' ' -f3)
check "GIF output is a palette picture" "yes" "$([ "$depth" -le 8 ] && echo yes || echo "no ($depth)")"
"$tool" convert "$work/out.gif" "$work/back.png" --to24 --interlace --level 9 --filters 1
check "palette to 24 bits" "33 7 24" "$("$tool" info "$work/back.png")"
"$tool" convert "$work/in.bmp" "$work/p.jpg" --progressive --quality 50
check "progressive JPEG has SOF2" "1" "$(od -An -tx1 -v "$work/p.jpg" | tr -d ' \n' | grep -c 'ffc2')"

"$tool" resize "$work/in.bmp" "$work/big.png" 99 21 110
check "resize" "99 21 24" "$("$tool" info "$work/big.png")"

printf 'not a picture' > "$work/text.bmp"
"$tool" info "$work/text.bmp" 2>/dev/null
check "garbage fails" "1" "$?"
"$tool" convert "$work/in.bmp" "$work/out.tiff" 2>/dev/null
check "unknown extension fails" "1" "$?"
"$tool" convert "$work/in.bmp" "$work/out.png" --quality 0 2>/dev/null
check "quality out of range fails" "1" "$?"
"$tool" info "$work/missing.bmp" 2>/dev/null
check "missing file fails" "1" "$?"

echo "dibtool: $failures failed"
[ $failures -eq 0 ]
