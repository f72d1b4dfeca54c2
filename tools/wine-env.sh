# Sourced by the scripts that run Windows programs. Sets up a Wine prefix of
# our own inside the build tree (never the user's), a display, and stops what
# it started when the calling script ends.
#   qv_wine_start BUILD_DIR   -> exports WINEPREFIX, DISPLAY, WINEDEBUG, ...
#   qv_wine_stop              -> ends the Xvfb and wineserver started here

qv_wine_start() {
  local build_dir
  build_dir=$(cd "$1" && pwd)
  export WINEPREFIX="$build_dir/wineprefix"
  export WINEARCH=win64
  export WINEDEBUG=${WINEDEBUG:--all}
  # No Mono or Gecko install prompts; they are not needed and need a network.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  QV_XVFB_PID=
  QV_WINESERVER_PID=
  if [ -z "${DISPLAY:-}" ]; then
    local fdfile
    fdfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
    QV_XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
      [ -s "$fdfile" ] && break
      sleep 0.1
    done
    export DISPLAY=":$(head -n1 "$fdfile")"
    rm -f "$fdfile"
  fi
  mkdir -p "$WINEPREFIX"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    # A crashing test must fail, not wait for someone to close a dialog.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
    # There is no window manager on the virtual display: Wine draws the
    # captions, frames and menu bars itself, so screenshots show them.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1 || true
    wineserver -w
  fi
  # One persistent wineserver for the whole run instead of one per process.
  wineserver -f -p >/dev/null 2>&1 &
  QV_WINESERVER_PID=$!
  # Start Wine's background services now, with their output going nowhere:
  # started by the first test instead, they would inherit ctest's output pipe
  # and keep that test "running" until the time limit.
  wine cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
}

qv_wine_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  if [ -n "${QV_WINESERVER_PID:-}" ]; then kill "$QV_WINESERVER_PID" 2>/dev/null || true; wait "$QV_WINESERVER_PID" 2>/dev/null || true; fi
  if [ -n "${QV_XVFB_PID:-}" ]; then kill "$QV_XVFB_PID" 2>/dev/null || true; wait "$QV_XVFB_PID" 2>/dev/null || true; fi
  QV_WINESERVER_PID=
  QV_XVFB_PID=
}
