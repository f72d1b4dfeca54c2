#!/usr/bin/env bash
# The rotate dialog in the real programs: opened by its command, its angle
# typed and OK pressed, the turned picture saved (S) and held against
# ImageMagick's lossless quarter turn; Cancel changes nothing; the angle is
# remembered in the settings and shown again after a restart.
set -uo pipefail
. "$(dirname "$0")/common.bash" "$1"

if ! command -v convert >/dev/null || ! command -v compare >/dev/null; then
  echo "ImageMagick missing: skipped"
  exit 0
fi

apptitle=Quivelta
cmd_rotate=40605
id_angle=2031

# open_dialog DIR: the dialog by its command; 0 once it shows.
open_dialog() {
  probe "$1" command $cmd_rotate >/dev/null
  probe "$1" dialog 20000 "Rotate - $apptitle" >/dev/null || { fail "$program: no rotate dialog"; return 1; }
}

for program in Quivelta Quivelta98; do
  dir="$work/$program"
  install "$dir" "$program" "$build/$program/data/dibcore.dll"
  pics="$work/pics-$program"
  mkdir -p "$pics"
  convert -size 40x24 gradient:'#FF2000-#0020FF' -depth 8 -type TrueColor "$pics/wide.png"
  convert "$pics/wide.png" -rotate 90 "$pics/right.png"

  read -r pid xid < <(start_showing "$dir" "$program" "$pics/wide.png")
  if [ -n "$xid" ] && open_dialog "$dir"; then
    # Cancel with an angle typed changes nothing.
    probe "$dir" dlgset $id_angle 90 >/dev/null
    probe "$dir" dlgclick 2 >/dev/null
    if probe "$dir" dialog 300 "Rotate - $apptitle" >/dev/null; then fail "$program: Cancel left the dialog open"; fi
    if open_dialog "$dir"; then
      probe "$dir" dlgset $id_angle 450 >/dev/null
      probe "$dir" dlgclick 1 >/dev/null
      sleep 1
      if save_bmp "$xid" turned "$pics" "$apptitle" "$program turned"; then
        same_pixels "$pics/right.png" "$pics/turned.bmp" "$program: 450 degrees turns the picture a quarter turn clockwise"
      fi
    fi
  else
    fail "$program: no frame window or no dialog"
  fi
  finish "$dir" "$pid"

  # The angle is remembered (reduced to one turn) and shown again.
  cfg="$dir/user/u/Quivelta.cfg"
  if [ -s "$cfg" ] && iconv -f "$( [ "$(head -c2 "$cfg" | od -An -tx1 | tr -d ' ')" = fffe ] && echo UTF-16 || echo CP1252)" -t UTF-8 "$cfg" | tr -d '\r' | grep -qx 'RotateAng=90000'; then
    pass "$program: the angle is written to the settings as 90000"
  else
    fail "$program: RotateAng=90000 not in the settings"
  fi
  read -r pid xid < <(start_showing "$dir" "$program" "$pics/wide.png")
  if open_dialog "$dir"; then
    got=$(probe "$dir" dlgget $id_angle)
    if [ "$got" = 90 ]; then pass "$program: the dialog shows the remembered 90"; else fail "$program: the angle field reads '$got'"; fi
    probe "$dir" dlgclick 2 >/dev/null
  fi
  finish "$dir" "$pid"
done

[ "$failures" -eq 0 ]
