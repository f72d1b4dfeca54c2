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

