#!/usr/bin/env bash
# Every operation dialog in the real programs at 96 and 144 DPI: opened by
# its command on a picture, found by its caption, its screenshot kept for
# looking at, and cancelled; the picture must come through unchanged.
set -uo pipefail
. "$(dirname "$0")/common.bash" "$1"

if ! command -v convert >/dev/null || ! command -v compare >/dev/null; then
  echo "ImageMagick missing: skipped"
  exit 0
fi

shots=${QV_DIALOG_SHOTS:-/tmp/qv-dialog-shots}
mkdir -p "$shots"
apptitle=Quivelta
keep_dpi

# command | caption | shot name
dialogs=(
  "40605|Rotate|rotate"
  "40042|Resize|resize"
  "40043|Canvas size|canvas"
  "40028|New picture|newimage"
  "40048|Colour depth|coldepth"
  "40084|Zoom|zoom"
)

for program in Quivelta Quivelta98; do
  dir="$work/$program"
  install "$dir" "$program" "$build/$program/data/dibcore.dll"
  pics="$work/pics-$program"
  mkdir -p "$pics"
  convert -size 40x24 gradient:'#FF2000-#0020FF' -depth 8 -type TrueColor "$pics/wide.png"
  for dpi in 96 144; do
    set_dpi "$dpi"
    read -r pid xid < <(start_showing "$dir" "$program" "$pics/wide.png")
    for row in "${dialogs[@]}"; do
      IFS='|' read -r command caption name <<<"$row"
      probe "$dir" command "$command" >/dev/null
      if ! probe "$dir" dialog 20000 "$caption - $apptitle" >/dev/null; then
        fail "$program at $dpi DPI: no $caption dialog"
        continue
      fi
      dialog_xid=$(wait_window "^$caption - $apptitle\$" 10)
      sleep 0.5
      if [ -n "$dialog_xid" ] && import -window "$dialog_xid" "$shots/$name-$program-$dpi.png" 2>/dev/null; then
        pass "$program at $dpi DPI: $caption dialog shown ($shots/$name-$program-$dpi.png)"
      else
        fail "$program at $dpi DPI: no screenshot of the $caption dialog"
      fi
      probe "$dir" dlgclick 2 >/dev/null
      for _ in $(seq 1 50); do
        probe "$dir" dialog 0 "$caption - $apptitle" >/dev/null || break
        sleep 0.1
      done
    done
    if [ -n "$xid" ] && save_bmp "$xid" "kept-$dpi" "$pics" "$apptitle" "$program at $dpi DPI"; then
      same_pixels "$pics/wide.png" "$pics/kept-$dpi.bmp" "$program at $dpi DPI: cancelled dialogs leave the picture"
    fi
    finish "$dir" "$pid"
  done
done

[ "$failures" -eq 0 ]
