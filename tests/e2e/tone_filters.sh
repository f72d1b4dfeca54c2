#!/usr/bin/env bash
# Auto level and the sharpen preset in the real programs, as a user runs
# them: the command from the menu, the result saved through the save dialog
# (S) and read back by ImageMagick; then undo, saved again, gives the
# original pixels exactly. Auto level stretches a low-contrast picture to
# 0..255 in every channel and leaves one that spans it already; sharpen changes the pixels beside a hard edge and
# leaves the flat areas alone.
set -uo pipefail
. "$(dirname "$0")/common.bash" "$1"

if ! command -v convert >/dev/null || ! command -v compare >/dev/null; then
  echo "ImageMagick missing: skipped"
  exit 0
fi

apptitle=Quivelta
cmd_undo=40021
cmd_auto_level=40052
cmd_sharpen=40681

# range FILE CHANNEL: "low high" of one channel, 0..255.
range() {
  convert "$1" -channel "$2" -separate +channel -format '%[fx:round(255*minima)] %[fx:round(255*maxima)]' info: 2>/dev/null
}

pixel() { convert "$1" -format "%[pixel:p{$2}]" info: 2>/dev/null; }

# run_command DIR XID ID NAME WHAT: the command, then S-save as NAME.bmp.
run_command() {
  probe "$1" command "$3" >/dev/null
  sleep 0.5
  save_bmp "$2" "$4" "$pics" "$apptitle" "$5"
}

# undo_restores DIR XID ORIGINAL NAME WHAT: undo, saved as NAME.bmp, gives
# the original's pixels.
undo_restores() {
  run_command "$1" "$2" $cmd_undo "$4" "$5" && same_pixels "$3" "$pics/$4.bmp" "$5 restores the picture"
}

check_auto_level() {  # DIR XID
  if run_command "$1" "$2" $cmd_auto_level level "$program auto level"; then
    for ch in R G B; do
      got=$(range "$pics/level.bmp" $ch)
      if [ "$got" = "0 255" ]; then pass "$program: auto level stretches $ch to 0..255"; else fail "$program: auto level leaves $ch at $got (was $(range "$pics/low.png" $ch))"; fi
    done
  fi
  undo_restores "$1" "$2" "$pics/low.png" unlevel "$program: undo of auto level"
}

check_full_range() {  # DIR XID: nothing to stretch
  run_command "$1" "$2" $cmd_auto_level fullevel "$program auto level of a full range" &&
    same_pixels "$pics/full.png" "$pics/fullevel.bmp" "$program: auto level leaves a full-range picture alone"
}

check_sharpen() {  # DIR XID
  local want got at
  if run_command "$1" "$2" $cmd_sharpen sharp "$program sharpen"; then
    for at in 5,10 58,40; do
      want=$(pixel "$pics/edge.png" $at) got=$(pixel "$pics/sharp.bmp" $at)
      if [ "$got" = "$want" ]; then pass "$program: sharpen leaves the flat area at $at"; else fail "$program: sharpen changed $at from $want to $got"; fi
    done
    for at in 31,10 32,40; do
      want=$(pixel "$pics/edge.png" $at) got=$(pixel "$pics/sharp.bmp" $at)
      if [ "$got" != "$want" ]; then pass "$program: sharpen changes the edge at $at ($want to $got)"; else fail "$program: sharpen left the edge at $at as $got"; fi
    done
  fi
  undo_restores "$1" "$2" "$pics/edge.png" unsharp "$program: undo of sharpen"
}

# session DIR PICTURE CHECK: the program on the picture, the check, closed.
session() {
  local pid xid
  read -r pid xid < <(start_showing "$1" "$program" "$2")
  if [ -n "$xid" ]; then "$3" "$1" "$xid"; else fail "$program: no X window for the frame"; fi
  finish "$1" "$pid"
}

for program in Quivelta Quivelta98; do
  dir="$work/$program"
  install "$dir" "$program" "$build/$program/data/dibcore.dll"
  pics="$work/pics-$program"
  mkdir -p "$pics"
  convert -size 64x48 gradient:'#505A64'-'#8C96A0' -depth 8 "$pics/low.png"
  convert -size 64x48 gradient:black-white -depth 8 -type TrueColor "$pics/full.png"
  convert -size 64x48 xc:'#284050' \( -size 32x48 xc:'#C8B4A0' \) -geometry +32+0 -composite -depth 8 "$pics/edge.png"
  session "$dir" "$pics/low.png" check_auto_level
  session "$dir" "$pics/full.png" check_full_range
  session "$dir" "$pics/edge.png" check_sharpen
done

[ "$failures" -eq 0 ]
