#!/usr/bin/env bash
# The recent folders as a user meets them: folder A is opened and paged to
# its second picture, a second start hands folder B over, B is paged too and
# the program ends; the settings file then lists B with the picture shown at
# the exit first and A with the picture last shown there second, and after
# a restart the recent-folder command of A's entry shows that picture
# again. A folder that is gone is reported by one box.
set -uo pipefail
. "$(dirname "$0")/common.bash" "$1"

# cfg_value CFG SECTION KEY: the value, or nothing; either encoding.
cfg_value() {
  local text
  if [ "$(head -c2 "$1" | od -An -tx1 | tr -d ' ')" = fffe ]; then
    text=$(iconv -f UTF-16 -t UTF-8 "$1")
  else
    text=$(cat "$1")
  fi
  tr -d '\r' <<<"$text" | awk -v s="[$2]" -v k="$3" '
    /^\[/ { in_section = ($0 == s); next }
    in_section && index($0, k "=") == 1 { print substr($0, length(k) + 2); exit }'
}

expect_value() {
  local got
  got=$(cfg_value "$1" MRUD "$2")
  if [ "$got" = "$3" ]; then pass "$4"; else fail "$4: $2 is '$got', want '$3'"; fi
}

for program in Quivelta Quivelta98; do
  dir="$work/$program"
  install "$dir" "$program" "$build/$program/data/dibcore.dll"
  pics="$work/$program-pics"
  mkdir -p "$pics/A" "$pics/B" "$pics/gone"
  for name in A/a1 A/a2 B/b1 B/b2 gone/g1; do convert -size 16x12 xc:'#808080' "$pics/$name.png"; done
  winA=$(winepath -w "$pics/A")
  winB=$(winepath -w "$pics/B")
  cfg="$dir/user/u/Quivelta.cfg"

  wine "$dir/$program.exe" /user=u "$winA\\a1.png" >/dev/null 2>&1 &
  pid=$!
  probe "$dir" frame 30000 >/dev/null
  expect_title "$dir" "a1.png" "$program shows a1.png"
  probe "$dir" command 40062 >/dev/null
  expect_title "$dir" "a2.png" "$program pages to a2.png"
  wine "$dir/$program.exe" /user=u "$winB" >/dev/null 2>&1 &
  second=$!
  wait_gone "$second" 30 || { fail "$program: second start still running"; stop "$second"; }
  expect_title "$dir" "b1.png" "$program: the handed-over folder B shows b1.png"
  probe "$dir" command 40062 >/dev/null
  expect_title "$dir" "b2.png" "$program pages to b2.png"
  probe "$dir" exit 30000 >/dev/null
  wait_gone "$pid" 30 || { fail "$program: still running"; stop "$pid"; }

  [ -s "$cfg" ] || { fail "$program: no settings file"; continue; }
  expect_value "$cfg" D00 "$winB" "$program: B is the newest recent folder"
  expect_value "$cfg" F00 "b2.png" "$program: with the picture shown at exit"
  expect_value "$cfg" D01 "$winA" "$program: A comes second"
  expect_value "$cfg" F01 "a2.png" "$program: with the picture last shown there"
  expect_value "$cfg" D02 "" "$program: nothing else is listed"

  # A restart opens A's entry (the second) at a2.png.
  wine "$dir/$program.exe" /user=u >/dev/null 2>&1 &
  pid=$!
  probe "$dir" frame 30000 >/dev/null
  probe "$dir" command 40202 >/dev/null
  expect_title "$dir" "a2.png" "$program: the recent-folder command shows a2.png again"

  # A listed folder that is gone: one box, nothing else changes.
  wine "$dir/$program.exe" /user=u "$(winepath -w "$pics/gone")" >/dev/null 2>&1 &
  second=$!
  wait_gone "$second" 30 || { fail "$program: second start still running"; stop "$second"; }
  expect_title "$dir" "g1.png" "$program: the folder to be removed is shown"
  probe "$dir" command 40202 >/dev/null   # back to A: "gone" becomes the second entry
  expect_title "$dir" "a2.png" "$program: back in A"
  rm -rf "$pics/gone"
  probe "$dir" command 40202 >/dev/null
  out=$(probe "$dir" boxes 10000)
  if [ "$(head -n1 <<<"$out")" = 1 ] && grep -q "The folder cannot be opened." <<<"$out"; then
    pass "$program: one box for the removed folder"
  else
    fail "$program: boxes for the removed folder: $out"
  fi
  expect_title "$dir" "a2.png" "$program: A is still shown"
  probe "$dir" exit 30000 >/dev/null
  wait_gone "$pid" 30 || { fail "$program: still running"; stop "$pid"; }
done

[ "$failures" = 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "all passed"
