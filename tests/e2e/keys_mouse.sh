#!/usr/bin/env bash
# The program used by hand: keys from the default key map page through a
# folder, the wheel pages too, a right click opens the popup menu and a
# middle click ends the program, which then writes its settings; a key map
# saved in Custom.dat takes the place of the default one. Input goes
# through the X display (xdotool), as a user's would.
set -uo pipefail
. "$(dirname "$0")/common.bash" "$1"

pics="$work/pics"
mkdir -p "$pics"
convert -size 64x48 xc:'#FF0000' "$pics/a.png"
convert -size 64x48 xc:'#00FF00' "$pics/b.png"
convert -size 64x48 xc:'#0000FF' "$pics/c.png"
convert -size 64x48 xc:'#FFFF00' "$pics/d.png"
winpics=$(winepath -w "$pics")

# The X window of the visible frame of PROGRAM.
frame_xid() {
  local name i id
  name=$(echo "$1.exe" | tr 'A-Z' 'a-z')
  for i in $(seq 1 50); do
    id=$(xdotool search --onlyvisible --classname "$name" 2>/dev/null | head -n1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.2
  done
  return 1
}

# click DIR BUTTON: moves the pointer to the middle of the view and clicks
# BUTTON (2 middle, 3 right, 4 wheel up, 5 wheel down).
click() {
  local vw vh sx sy
  read -r vw vh sx sy <<<"$(probe "$1" view)"
  # No --sync: it waits for the pointer to move, which it does not when it
  # is already there.
  xdotool mousemove $((sx + vw / 2)) $((sy + vh / 2)) sleep 0.2 click "$2"
}

# start DIR PROGRAM WHAT: starts PROGRAM on a.png and waits for its frame;
# sets pid and xid. 1 when the frame has no X window (the program is ended).
start() {
  wine "$1/$2.exe" /user=u "$winpics\\a.png" >/dev/null 2>&1 &
  pid=$!
  probe "$1" frame 30000 >/dev/null
  expect_title "$1" "a.png" "$3"
  xid=$(frame_xid "$2") || { fail "$2: no X window for the frame"; stop "$pid"; return 1; }
}

for program in Quivelta Quivelta98; do
  dir="$work/$program"
  install "$dir" "$program" "$build/$program/data/dibcore.dll"
  cfg="$dir/user/u/Quivelta.cfg"

  start "$dir" "$program" "$program opens a.png" || continue

  press "$xid" space
  expect_title "$dir" "b.png" "$program: Space shows the next picture"
  press "$xid" ctrl+End
  expect_title "$dir" "d.png" "$program: Ctrl+End goes to the last picture"
  press "$xid" BackSpace
  expect_title "$dir" "c.png" "$program: BackSpace goes back one"
  click "$dir" 5
  expect_title "$dir" "d.png" "$program: the wheel turned down pages forward"
  click "$dir" 4
  expect_title "$dir" "c.png" "$program: the wheel turned up pages back"

  click "$dir" 3
  if probe "$dir" popup 10000 >/dev/null; then pass "$program: a right click opens the popup menu"; else fail "$program: no popup menu after a right click"; fi
  # One Escape closes the menu (a second would reach the frame: Esc exits).
  xdotool key Escape
  for i in $(seq 1 50); do probe "$dir" popup 0 >/dev/null || break; sleep 0.1; done

  # The settings file is written at the end; remove it to see that it is.
  rm -f "$cfg"
  click "$dir" 2
  if wait_gone "$pid" 30; then pass "$program: a middle click ends the program"; else fail "$program: still running after a middle click"; probe "$dir" exit 30000 >/dev/null; stop "$pid"; fi
  if [ -s "$cfg" ]; then pass "$program: the settings were written at the end"; else fail "$program: no settings file after the middle-click exit"; fi

  # A key map saved in Custom.dat replaces the default one at start-up: the
  # default image with next-file's Space (0x20) turned into F12 (0x7B).
  image=$build/res-gen/keymap82.bin
  [ "$program" = Quivelta98 ] && image=$build/res-gen/keymap83.bin
  perl -0777 -pe 's/\x7e\x9c\x02\x00\x01\x01\x20\x00\x60\x00/\x7e\x9c\x02\x00\x01\x01\x7b\x00\x60\x00/' "$image" \
    >"$dir/user/u/Custom.dat"
  start "$dir" "$program" "$program opens a.png with a saved key map" || continue
  press "$xid" space
  sleep 1
  expect_title "$dir" "a.png" "$program: Space no longer pages once the saved map unbinds it"
  press "$xid" F12
  expect_title "$dir" "b.png" "$program: F12, bound in Custom.dat, shows the next picture"
  probe "$dir" exit 30000 >/dev/null
  wait_gone "$pid" 30 || { fail "$program: still running"; stop "$pid"; }
done

[ "$failures" = 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "all passed"
