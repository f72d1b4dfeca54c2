#!/usr/bin/env bash
# The main road as a user walks it: the program started with a picture of a
# folder shows that picture fitted and centred on its background, names it
# and its position in the title, and the next and previous commands walk
# the folder's pictures in natural name order, skipping what is not a
# picture, and stop or wrap at the end as the end-of-list option says.
set -uo pipefail
. "$(dirname "$0")/common.bash" "$1"

# Pictures of one colour each, so a pixel tells which one is shown. b.png
# is wider than the default window, so it is fitted.
pics="$work/pics"
mkdir -p "$pics/sub"
convert -size 64x48 xc:'#FF0000' "$pics/a.png"
convert -size 1600x400 xc:'#00FF00' "$pics/b.png"
convert -size 64x48 xc:'#0000FF' "$pics/file2.png"
convert -size 64x48 xc:'#FFFF00' "$pics/file10.png"
convert -size 64x48 xc:'#FF00FF' "$pics/.hidden.png"   # hidden under Wine
convert -size 64x48 xc:'#00FFFF' "$pics/sub/inner.png"
echo "not a picture" >"$pics/notes.txt"
winpics=$(winepath -w "$pics")

# set_option CFG KEY VALUE for either encoding of the settings file.
set_option() {
  local cfg=$1 key=$2 value=$3
  if [ "$(head -c2 "$cfg" | od -An -tx1 | tr -d ' ')" = fffe ]; then
    iconv -f UTF-16 -t UTF-8 "$cfg" | sed "s/^$key=.*/$key=$value/" | { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE; } >"$cfg.new"
  else
    sed "s/^$key=.*/$key=$value/" "$cfg" >"$cfg.new"
  fi
  mv "$cfg.new" "$cfg"
}

# expect_pixel DIR X Y RRGGBB WHAT: the screen's colour at the view's
# client point (X, Y), waited for up to ten seconds (the paint follows the
# title). Other processes' window surfaces cannot be read from inside Wine,
# so the display itself is captured; this script runs alone on it.
expect_pixel() {
  local got vw vh sx sy i
  for i in $(seq 1 20); do
    read -r vw vh sx sy <<<"$(probe "$1" view)"
    import -window root "$work/screen.png" 2>/dev/null
    got=$(convert "$work/screen.png" -format "%[hex:u.p{$((sx + $2)),$((sy + $3))}]" info: 2>/dev/null)
    [ "$got" = "$4" ] && break
    sleep 0.5
  done
  if [ "$got" = "$4" ]; then pass "$5"; else fail "$5: pixel ($2, $3) of a ${vw}x$vh view is '$got', want $4"; fi
}

for program in Quivelta Quivelta98; do
  dir="$work/$program"
  install "$dir" "$program" "$build/$program/data/dibcore.dll"
  # A first run writes the settings file the cases below edit.
  wine "$dir/$program.exe" /user=u >/dev/null 2>&1 &
  pid=$!
  probe "$dir" frame 30000 >/dev/null
  probe "$dir" exit 30000 >/dev/null
  wait_gone "$pid" 30 || stop "$pid"
  cfg="$dir/user/u/Quivelta.cfg"
  [ -s "$cfg" ] || { fail "$program: no settings file"; continue; }

  # Hidden files are left out of the list. Without the status bar the title
  # carries the position.
  set_option "$cfg" LoadFAHid 0
  set_option "$cfg" Sttb '0|1'
  for ending in 0 2; do
    set_option "$cfg" NxtLstAsk "$ending"
    wine "$dir/$program.exe" /user=u "$winpics\\b.png" >/dev/null 2>&1 &
    pid=$!
    probe "$dir" frame 30000 >/dev/null
    expect_title "$dir" "b.png" "$program shows b.png named in the title"
    expect_title "$dir" "(2/4)" "$program: b.png is picture 2 of 4"
    read -r vw vh _ _ <<<"$(probe "$dir" view)"
    expect_pixel "$dir" $((vw / 2)) $((vh / 2)) 00FF00 "$program: the fitted picture fills the middle"
    # The default background: 32-pixel cells of 202020 and 303030 from the
    # view's corner, above and below the picture fitted to the width.
    expect_pixel "$dir" 2 2 202020 "$program: background above the centred picture"
    expect_pixel "$dir" 34 2 303030 "$program: checker cells alternate"
    cell=202020; [ $(((vh - 2) / 32 % 2)) = 1 ] && cell=303030
    expect_pixel "$dir" 2 $((vh - 2)) $cell "$program: background below the centred picture"

    probe "$dir" command 40062 >/dev/null
    expect_title "$dir" "file2.png" "$program: next is file2.png"
    probe "$dir" command 40062 >/dev/null
    expect_title "$dir" "file10.png" "$program: file2.png is followed by file10.png"
    expect_title "$dir" "(4/4)" "$program: file10.png is the last picture"
    expect_pixel "$dir" $((vw / 2)) $((vh / 2)) FFFF00 "$program: file10.png is painted"
    probe "$dir" command 40062 >/dev/null
    if [ "$ending" = 0 ]; then
      sleep 1
      expect_title "$dir" "file10.png" "$program: end option 0 stays at the last picture"
    else
      expect_title "$dir" "a.png" "$program: end option 2 wraps to the first picture"
      probe "$dir" command 40061 >/dev/null
      expect_title "$dir" "file10.png" "$program: previous from the first wraps to the last"
    fi
    probe "$dir" command 40061 >/dev/null
    expect_title "$dir" "file2.png" "$program: previous goes back to file2.png"
    probe "$dir" exit 30000 >/dev/null
    wait_gone "$pid" 30 || { fail "$program: still running"; stop "$pid"; }
  done
done

[ "$failures" = 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "all passed"
