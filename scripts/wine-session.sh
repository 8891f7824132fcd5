# Sourced by scripts/test and scripts/demo: a Wine prefix of this tree with a persistent
# server. Needs $root and $logs; wine_session_start begins the session (call it after
# taking the tree's lock), wine_session_end ends what it started.

# The prefix and its server belong to this tree; two runs at once would end each other's.
exec 9>"$root/build/.test.lock"
flock 9

# Wine keeps user folders under HOME; CI may hand us none, or one we cannot write.
if [ -z "${HOME:-}" ] || [ ! -d "$HOME" ] || [ ! -w "$HOME" ]; then
  export HOME="$root/build/test-home"
  mkdir -p "$HOME"
fi
export WINEPREFIX="$root/build/wineprefix"
export WINEDEBUG=-all

wine_server_started=""

# Without the Mono and Gecko installers (no network, and a prompt would wait for ever) and
# without desktop menu entries.
wine_quiet_boot_overrides="mscoree,mshtml=;winemenubuilder.exe=d"

wine_session_start() {
  # Whatever still runs on this prefix comes from an aborted run: we hold the lock.
  wineserver -k >/dev/null 2>&1 || true
  wine_server_started=1
  if [ ! -f "$WINEPREFIX/.qpk-ready" ]; then
    echo "creating Wine prefix $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    WINEDLLOVERRIDES="$wine_quiet_boot_overrides" wineboot -i >"$logs/wineboot-init.log" 2>&1
    timeout 120 wineserver -w
    touch "$WINEPREFIX/.qpk-ready"
  fi
  # A server that stays makes each later Wine start cost milliseconds instead of seconds. The
  # services wineboot starts must not hold the caller's output pipe open, hence /dev/null.
  wineserver -p >/dev/null 2>&1
  WINEDLLOVERRIDES="$wine_quiet_boot_overrides" wine wineboot >"$logs/wineboot.log" 2>&1
  # Unmanaged windows: without a window manager, closing a managed window waits two seconds
  # for a state change that never comes.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  # Wine's shell starts winemenubuilder for every shortcut a program saves; it inherits the
  # program's current directory (a setup's private temporary directory) and can outlive the
  # program, so that the directory cannot be deleted after it. No menu entries, no such process.
  wine reg add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /d '' /f >/dev/null 2>&1
  # The first program that touches user32 starts the desktop process, which keeps the
  # standard streams it inherited; Wine ends it a second after its last user exits, and the
  # next one starts it anew. Were that a test, ctest would wait on its output pipe for ever.
  # So one program, on /dev/null, stays on the desktop until the server ends.
  local ready="$logs/desktop.ready" _
  rm -f "$ready"
  wine "$root/build/windows/bin/desktopkeeper.exe" "Z:${ready//\//\\}" >/dev/null 2>&1 </dev/null &
  for _ in $(seq 300); do
    [ -e "$ready" ] && break
    sleep 0.1
  done
  [ -e "$ready" ] || echo "wine session: the desktop did not start" >&2
}

wine_session_end() {
  if [ -n "$wine_server_started" ]; then
    wineserver -k >/dev/null 2>&1
    timeout 30 wineserver -w >/dev/null 2>&1
  fi
}
