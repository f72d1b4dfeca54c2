# Helpers of the end-to-end scripts (sourced; not a test of its own).
# Each script gets the Windows build directory as $1; tools/test has set up
# WINEPREFIX and DISPLAY, and a script run by hand sets them up itself.
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
if [ -z "${WINEPREFIX:-}" ]; then
  # shellcheck source=tools/wine-env.sh
  . "$root/tools/wine-env.sh"
  qv_wine_start "$build"
  trap qv_wine_stop EXIT
fi
export WINEDEBUG=${WINEDEBUG:--all}
work=$(mktemp -d "${TMPDIR:-/tmp}/qv-e2e.XXXXXX")
cleanup_work() { rm -rf "$work"; }
trap 'cleanup_work; if declare -F qv_wine_stop >/dev/null; then qv_wine_stop; fi' EXIT

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

# probe DIR COMMAND [ARG]: looks only at programs started from DIR.
probe() {
  local dir=$1
  shift
  QV_PROBE_IN="$(winepath -w "$dir")" wine "$build/wintests/qv_probe.exe" "$@" 2>/dev/null | tr -d '\r'
}

# install DIR PROGRAM [DLL]: the program alone in DIR, with DLL as
# data\dibcore.dll when given.
install() {
  mkdir -p "$1"
  cp "$build/$2/$2.exe" "$1/"
  if [ -n "${3:-}" ]; then
    mkdir -p "$1/data"
    cp "$3" "$1/data/dibcore.dll"
  fi
}

# wait_gone PID SECONDS: 0 when the process ended in time.
wait_gone() {
  local i
  for i in $(seq 1 $(($2 * 10))); do
    kill -0 "$1" 2>/dev/null || { wait "$1" 2>/dev/null || true; return 0; }
    sleep 0.1
  done
  return 1
}

# Ends what a failed case left running.
stop() { kill "$1" 2>/dev/null || true; wait "$1" 2>/dev/null || true; }

# expect_title DIR TEXT WHAT: waits for the title to contain TEXT.
expect_title() {
  local got
  if got=$(probe "$1" title 20000 "$2"); then pass "$3 ($got)"; else fail "$3: title is '$got'"; fi
}

# press XID KEYS...: gives window XID the keyboard focus, then presses keys.
press() {
  local xid=$1
  shift
  xdotool windowfocus --sync "$xid" 2>/dev/null || true
  xdotool key --delay 50 "$@"
}

# wait_window NAME SECONDS: prints the X window of the first visible window
# whose name matches the pattern NAME, once there is one.
wait_window() {
  local id
  for _ in $(seq 0 $(($2 * 10))); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# wait_no_window NAME SECONDS: 0 once no visible window matches NAME.
wait_no_window() {
  for _ in $(seq 0 $(($2 * 10))); do
    [ -z "$(xdotool search --onlyvisible --name "$1" 2>/dev/null)" ] && return 0
    sleep 0.1
  done
  return 1
}

# wait_file PATH SECONDS / wait_no_file PATH SECONDS.
wait_file() {
  for _ in $(seq 0 $(($2 * 10))); do [ -e "$1" ] && return 0; sleep 0.1; done
  return 1
}
wait_no_file() {
  for _ in $(seq 0 $(($2 * 10))); do [ -e "$1" ] || return 0; sleep 0.1; done
  return 1
}

# type_into XID TEXT: types TEXT into window XID as a user would.
type_into() {
  xdotool windowfocus --sync "$1" 2>/dev/null || true
  xdotool type --delay 50 "$2"
}


# same_pixels A B WHAT: passes when the two pictures hold the same pixels.
same_pixels() {
  local diff
  diff=$(compare -metric AE "$1" "$2" null: 2>&1)
  if [ "$diff" = "0" ]; then pass "$3"; else fail "$3: $diff pixels differ"; fi
}

# start_showing DIR PROGRAM PICTURE: starts the program on the picture and
# prints its pid and the frame's X window once the picture is shown.
start_showing() {
  local pid xid name
  wine "$1/$2.exe" /user=u "$(winepath -w "$3")" >/dev/null 2>&1 &
  pid=$!
  probe "$1" frame 30000 >/dev/null
  probe "$1" title 20000 "$(basename "$3")" >/dev/null || fail "$2: $(basename "$3") not shown"
  name=$(echo "$2.exe" | tr '[:upper:]' '[:lower:]')
  xid=$(xdotool search --onlyvisible --classname "$name" 2>/dev/null | head -n1)
  echo "$pid $xid"
}

# finish DIR PID: the program's exit command, or the process ended.
finish() {
  probe "$1" exit 20000 >/dev/null || true
  wait_gone "$2" 20 || stop "$2"
}

# save_bmp XID NAME FOLDER TITLE WHAT: S, the name typed, Enter in the save
# dialog of the program titled TITLE; 0 once FOLDER/NAME.bmp reads whole.
save_bmp() {
  local save
  press "$1" s
  save=$(wait_window "^Save As - $4\$" 20) || { fail "$5: no save dialog"; return 1; }
  type_into "$save" "$2"
  xdotool key Return
  wait_file "$3/$2.bmp" 20 && wait_no_window "^Save As - $4\$" 20 || { fail "$5: $2.bmp not saved"; return 1; }
  for _ in $(seq 1 50); do
    identify "$3/$2.bmp" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  fail "$5: $2.bmp does not read as a picture"
  return 1
}

# The screen DPI of the test prefix, which other scripts share: set_dpi N
# changes it, and the EXIT trap of a script that calls keep_dpi puts back
# what it was.
desktop_key='HKCU\Control Panel\Desktop'
set_dpi() { wine reg add "$desktop_key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1; }
keep_dpi() {
  old_dpi=$(wine reg query "$desktop_key" /v LogPixels 2>/dev/null | tr -d '\r' | awk '/LogPixels/ {print $3}')
  trap 'restore_dpi; cleanup_work; if declare -F qv_wine_stop >/dev/null; then qv_wine_stop; fi' EXIT
}
restore_dpi() {
  if [ -n "${old_dpi:-}" ]; then wine reg add "$desktop_key" /v LogPixels /t REG_DWORD /d "$((old_dpi))" /f >/dev/null 2>&1
  else wine reg delete "$desktop_key" /v LogPixels /f >/dev/null 2>&1; fi
}
