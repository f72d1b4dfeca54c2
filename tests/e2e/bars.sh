#!/usr/bin/env bash
# The frame's bars as a user sees them: a 64x48 24-bit PNG gives the status
# texts of its size and depth, its place in the folder and the zoom; the
# view takes exactly the client area between the tool bar and the status
# bar; at 96 and 144 DPI the buttons are 16 and 24 pixels, and a screenshot
# of each is kept for looking at.
set -uo pipefail
. "$(dirname "$0")/common.bash" "$1"

shots=${QV_BARS_SHOTS:-/tmp/qv-bars-shots}
mkdir -p "$shots"
pics="$work/pics"
mkdir -p "$pics"
convert -size 64x48 gradient:'#FF0000-#0000FF' -type TrueColor PNG24:"$pics/a.png"
winpic=$(winepath -w "$pics/a.png")

keep_dpi

for program in Quivelta Quivelta98; do
  dir="$work/$program"
  install "$dir" "$program" "$build/$program/data/dibcore.dll"
  for dpi in 96 144; do
    size=$((dpi == 96 ? 16 : 24))
    set_dpi "$dpi"
    wine "$dir/$program.exe" /user=u "$winpic" >/dev/null 2>&1 &
    pid=$!
    probe "$dir" frame 30000 >/dev/null
    if got=$(probe "$dir" status 20000 "64 x 48 x 24 BPP"); then
      pass "$program at $dpi DPI: size and depth ($got)"
    else
      fail "$program at $dpi DPI: status bar reads '$got'"
    fi
    case "$got" in
      *"64 x 48 x 24 BPP | 1/1 | 100 % | "*) pass "$program: position 1/1 and zoom 100 %" ;;
      *) fail "$program: position and zoom missing in '$got'" ;;
    esac

    # client w h | tool bar l t r b | status bar l t r b | view l t r b | button w h
    read -r cw ch tl tt tr tb sl st sr sb vl vt vr vb bw bh <<<"$(probe "$dir" bars)"
    if [ "$tt" = 0 ] && [ "$tr" = "$cw" ] && [ "$sb" = "$ch" ] && [ "$vl" = 0 ] && [ "$vr" = "$cw" ] &&
       [ "$vt" = "$tb" ] && [ "$vb" = "$st" ]; then
      pass "$program at $dpi DPI: the view is the client area between the bars ($vl $vt $vr $vb in ${cw}x$ch)"
    else
      fail "$program at $dpi DPI: client ${cw}x$ch, tool bar $tl $tt $tr $tb, status bar $sl $st $sr $sb, view $vl $vt $vr $vb"
    fi
    # A button is its image plus the control's fixed padding of 7 by 6.
    if [ "$bw" = $((size + 7)) ] && [ "$bh" = $((size + 6)) ]; then
      pass "$program at $dpi DPI: ${size}-pixel button images (button ${bw}x$bh)"
    else
      fail "$program at $dpi DPI: button ${bw}x$bh, want images of $size pixels"
    fi

    # The screenshot of the client area (the display has no window manager,
    # so the frame is not covered).
    read -r _ _ sx sy <<<"$(probe "$dir" view)"
    sleep 1
    import -window root "$work/screen.png" 2>/dev/null
    convert "$work/screen.png" -crop "${cw}x$ch+$((sx - vl))+$((sy - vt))" +repage "$shots/$program-$dpi.png"
    echo "screenshot: $shots/$program-$dpi.png"

    probe "$dir" exit 30000 >/dev/null
    wait_gone "$pid" 30 || { fail "$program: still running"; stop "$pid"; }
  done
done

[ "$failures" = 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "all passed"
