#!/usr/bin/env bash
# The real programs started as a user starts them, each from its own folder:
# the frame shows, the exit command ends the program and writes its
# settings, a missing or wrong image library is reported once and nothing is
# written, and a second start hands its file to the first.
set -uo pipefail
. "$(dirname "$0")/common.bash" "$1"

# A complete stand-in library per build (every entry point, the build's
# version word): the program's own library may still lack entry points
# while codecs are being added.
declare -A complete=([Quivelta]="$build/fakedll/v65537/data/dibcore.dll"
                     [Quivelta98]="$build/fakedll/v1/data/dibcore.dll")
wrong="$build/fakedll/v65538/data/dibcore.dll"

for program in Quivelta Quivelta98; do
  # Starts, shows its frame, ends on the exit command and writes the file.
  dir="$work/$program-run"
  install "$dir" "$program" "${complete[$program]}"
  wine "$dir/$program.exe" /user=first >/dev/null 2>&1 &
  pid=$!
  if [ "$(probe "$dir" frame 30000)" = frame ]; then pass "$program shows its frame"; else fail "$program: no frame"; fi
  [ "$(probe "$dir" exit 30000)" = ended ] || fail "$program: the exit command did not end it"
  wait_gone "$pid" 30 || { fail "$program: process still running"; stop "$pid"; }
  cfg="$dir/user/first/Quivelta.cfg"
  if [ -s "$cfg" ]; then pass "$program wrote $cfg"; else fail "$program: no Quivelta.cfg after exit"; fi

  # The menu bar follows option Menub of the file just written.
  if [ -s "$cfg" ]; then
    if [ "$program" = Quivelta ]; then
      iconv -f UTF-16 -t UTF-8 "$cfg" | sed 's/^Menub=[0-9]*/Menub=1/' | { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE; } >"$cfg.new"
    else
      sed 's/^Menub=[0-9]*/Menub=1/' "$cfg" >"$cfg.new"
    fi
    mv "$cfg.new" "$cfg"
    wine "$dir/$program.exe" /user=first >/dev/null 2>&1 &
    pid=$!
    probe "$dir" frame 30000 >/dev/null
    if [ "$(probe "$dir" menubar)" = "menu bar" ]; then pass "$program: Menub=1 attaches the menu bar"; else fail "$program: no menu bar with Menub=1"; fi

    # A second start with a file hands it over and ends without a window.
    printf 'BM' >"$work/picture.bmp"
    wine "$dir/$program.exe" /user=first "$(winepath -w "$work/picture.bmp")" >/dev/null 2>&1 &
    second=$!
    if wait_gone "$second" 30; then pass "$program: second start ended"; else fail "$program: second start still running"; stop "$second"; fi
    [ "$(probe "$dir" frames)" = 1 ] || fail "$program: the second start left a window"
    probe "$dir" exit 30000 >/dev/null
    wait_gone "$pid" 30 || { fail "$program: first instance still running"; stop "$pid"; }
  fi

  # Without data\dibcore.dll: one box, string 352, nothing written.
  dir="$work/$program-nolib"
  install "$dir" "$program"
  wine "$dir/$program.exe" /user=nolib >/dev/null 2>&1 &
  pid=$!
  out=$(probe "$dir" boxes 30000)
  count=$(head -n1 <<<"$out")
  if [ "$count" = 1 ] && grep -q "not laid out correctly" <<<"$out"; then
    pass "$program: one box for the missing library"
  else
    fail "$program: missing library gave: $out"
  fi
  wait_gone "$pid" 30 || { fail "$program: still running after the box"; stop "$pid"; }
  [ -z "$(find "$dir" -name Quivelta.cfg)" ] || fail "$program: settings written after a failed start"

  # A library with the wrong version word.
  dir="$work/$program-wrong"
  install "$dir" "$program" "$wrong"
  wine "$dir/$program.exe" /user=wrong >/dev/null 2>&1 &
  pid=$!
  out=$(probe "$dir" boxes 30000)
  if [ "$(head -n1 <<<"$out")" = 1 ] && grep -q "dibcore.dll version error" <<<"$out"; then
    pass "$program: version error reported"
  else
    fail "$program: wrong version gave: $out"
  fi
  wait_gone "$pid" 30 || { fail "$program: still running after the box"; stop "$pid"; }
  [ -z "$(find "$dir" -name Quivelta.cfg)" ] || fail "$program: settings written after a version error"
done

exit $((failures > 0))
