#!/usr/bin/env bash
# The current file saved under a new name, renamed and deleted as a user does
# it, with the keys of the default key map: S opens the save dialog, where
# the typed name replaces the offered one and the remembered type (BMP at
# first) gives the extension; F2 opens the rename dialog, where the typed
# name replaces the name part; Delete asks the shell's question and, with
# Yes, sends the file to the recycle bin. Each step is checked on disk
# (ImageMagick reads the saved copy, the original and the renamed file keep
# their bytes) and in the frame (title, status bar, the next key).
set -uo pipefail
. "$(dirname "$0")/common.bash" "$1"

if ! command -v convert >/dev/null || ! command -v identify >/dev/null || ! command -v compare >/dev/null; then
  echo "ImageMagick missing: skipped"
  exit 0
fi

# The files of a folder, one line, sorted.
listing() { (cd "$1" && ls -1 | sort | tr '\n' ' '); }

# The program title as the dialogs carry it after "$aptt" is replaced.
apptitle=Quivelta

for program in Quivelta Quivelta98; do
  dir="$work/$program"
  install "$dir" "$program" "$build/$program/data/dibcore.dll"
  pics="$work/pics-$program"
  mkdir -p "$pics"
  # a.png has many colours, so the saved copy's pixels say something.
  convert -size 64x48 gradient:'#FF0000'-'#0000FF' -depth 8 "$pics/a.png"
  convert -size 40x30 xc:'#00FF00' "$pics/b.png"
  convert -size 40x30 xc:'#FFFF00' "$pics/c.png"
  convert -size 40x30 xc:'#00FFFF' "$pics/d.png"
  cp "$pics/a.png" "$work/a-$program.orig"
  orig="$work/a-$program.orig"
  winpics=$(winepath -w "$pics")
  # The recycle bin of the Linux side is $XDG_DATA_HOME/Trash: a folder of
  # our own for each program (the host's trash is never touched), set before
  # the program starts.
  export XDG_DATA_HOME="$work/xdg-$program"
  mkdir -p "$XDG_DATA_HOME"
  trash="$XDG_DATA_HOME/Trash/files"

  wine "$dir/$program.exe" /user=u "$winpics\\a.png" >/dev/null 2>&1 &
  pid=$!
  probe "$dir" frame 30000 >/dev/null
  expect_title "$dir" "a.png" "$program opens a.png"
  name=$(echo "$program.exe" | tr '[:upper:]' '[:lower:]')
  xid=$(xdotool search --onlyvisible --classname "$name" 2>/dev/null | head -n1)
  [ -n "$xid" ] || { fail "$program: no X window for the frame"; stop "$pid"; continue; }

  # 1. Save As: the name typed at once replaces the offered "a"; the first
  # remembered type is BMP, so "copy1" becomes copy1.bmp in the picture's
  # folder.
  press "$xid" s
  if save=$(wait_window "^Save As - $apptitle\$" 20); then
    pass "$program: S opens the save dialog"
    type_into "$save" copy1
    xdotool key Return
    if wait_file "$pics/copy1.bmp" 20 && wait_no_window "^Save As - $apptitle\$" 20; then
      pass "$program: the name typed into the save dialog gives copy1.bmp"
      got=
      for _ in $(seq 1 50); do
        got=$(identify -format '%m %wx%h' "$pics/copy1.bmp" 2>/dev/null)
        [ "$got" = "BMP3 64x48" ] && break
        sleep 0.1
      done
      if [ "$got" = "BMP3 64x48" ]; then pass "$program: copy1.bmp is a 64x48 BMP"; else fail "$program: copy1.bmp reads as '$got'"; fi
      diff=$(compare -metric AE "$orig" "$pics/copy1.bmp" null: 2>&1)
      if [ "$diff" = "0" ]; then pass "$program: copy1.bmp has the picture's pixels"; else fail "$program: copy1.bmp: $diff pixels differ"; fi
    else
      fail "$program: no copy1.bmp after typing the name and Enter; the folder holds: $(listing "$pics")"
      # The offered name saved instead: the typing went to another control.
      [ -e "$pics/a.bmp" ] && fail "$program: a.bmp was saved: the file name box did not have the keyboard focus when the dialog opened"
      # A dialog left open would take the keys of the next steps.
      if left=$(wait_window "^Save As - $apptitle\$" 0); then press "$left" Escape; wait_no_window "^Save As - $apptitle\$" 10; fi
    fi
  else
    fail "$program: no save dialog after S"
  fi
  if cmp -s "$orig" "$pics/a.png"; then pass "$program: Save As left a.png byte-identical"; else fail "$program: a.png changed by Save As"; fi
  expect_title "$dir" "a.png" "$program: the frame still shows a.png after Save As"

  # 2. Rename: the name part is selected, so typing replaces it and the
  # extension stays.
  press "$xid" F2
  if ren=$(wait_window "^Rename - $apptitle\$" 20); then
    pass "$program: F2 opens the rename dialog"
    type_into "$ren" renamed
    xdotool key Return
    wait_no_window "^Rename - $apptitle\$" 20 || fail "$program: the rename dialog is still open"
    expect_title "$dir" "renamed.png" "$program: the title names the renamed file"
    if [ -e "$pics/renamed.png" ] && [ ! -e "$pics/a.png" ]; then
      pass "$program: a.png is renamed.png on disk"
    else
      fail "$program: after the rename the folder holds: $(listing "$pics")"
    fi
    if cmp -s "$orig" "$pics/renamed.png"; then pass "$program: renamed.png keeps the bytes of a.png"; else fail "$program: renamed.png differs from a.png"; fi
  else
    fail "$program: no rename dialog after F2"
  fi

  # 3. Delete: the shell asks first (FDelAsk on), then moves the file into
  # the recycle bin (FDelUndo on); with FMoveNext off the frame stays on the
  # deleted file and says so.
  press "$xid" Delete
  if ask=$(wait_window "^Confirm file deletion\$" 20); then
    pass "$program: Delete asks before deleting"
    if [ -e "$pics/renamed.png" ]; then pass "$program: nothing is deleted while the question is open"; else fail "$program: renamed.png went before the question was answered"; fi
    press "$ask" y
    if wait_no_file "$pics/renamed.png" 20; then pass "$program: Yes removes renamed.png from the folder"; else fail "$program: renamed.png still in the folder after Yes"; fi
    if wait_file "$trash/renamed.png" 10 && cmp -s "$orig" "$trash/renamed.png"; then
      pass "$program: renamed.png is in the recycle bin, whole"
    else
      fail "$program: the recycle bin holds: $(listing "$trash" 2>/dev/null)"
    fi
    # The bin remembers where the file came from, so it can be restored.
    if grep -q '^Path=.*/renamed\.png$' "$XDG_DATA_HOME/Trash/info/renamed.png.trashinfo" 2>/dev/null; then
      pass "$program: the recycle bin knows the file's old place"
    else
      fail "$program: no restore record for renamed.png in the recycle bin"
    fi
    if got=$(probe "$dir" status 20000 Deleted); then pass "$program: the status bar says Deleted ($got)"; else fail "$program: status bar '$got' after the delete"; fi
    # The deleted entry left the list, which re-sorted the renamed file to
    # its end, and the frame takes keys again: one back is d.png.
    press "$xid" BackSpace
    expect_title "$dir" "d.png" "$program: BackSpace after the delete shows d.png"
  else
    fail "$program: no confirmation after Delete"
  fi
  if [ "$(listing "$pics")" = "b.png c.png copy1.bmp d.png " ]; then
    pass "$program: the folder ends with b, c, copy1.bmp and d"
  else
    fail "$program: the folder ends with: $(listing "$pics")"
  fi

  probe "$dir" exit 30000 >/dev/null
  wait_gone "$pid" 30 || { fail "$program: still running"; stop "$pid"; }
done

[ "$failures" = 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "all passed"
