#!/usr/bin/env bash
# Restarts a Wine prefix of its own through the executable's restart paths and checks that the
# restart ran the deletions scheduled for the next boot. Under Wine, ExitWindowsEx(EWX_REBOOT)
# starts "wineboot --end-session", which performs the prefix's restart tasks, the pending file
# operations among them; the wine server and processes without windows keep running.
#   reboot_role_test.sh LAUNCHER PREFIX plain|answer-yes
# plain: the "force_reboot" list and the reboot role. answer-yes: the restart question, answered
# Yes (needs DISPLAY). Never give it the shared test prefix.
set -euo pipefail
exec </dev/null

launcher="$1"
prefix="$2"
mode="$3"
export WINEPREFIX="$prefix"
export WINEDEBUG=-all
overrides="mscoree,mshtml=;winemenubuilder.exe=d"

# Both modes restart the same prefix; one at a time.
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock -w 200 9

work="$(mktemp -d "$prefix-work.XXXXXX")"
server_started=""
cleanup() {
  set +e
  if [ -n "$server_started" ]; then
    wineserver -k >/dev/null 2>&1
    timeout 30 wineserver -w >/dev/null 2>&1
  fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "reboot_role_test ($mode): $*"
  exit 1
}

winpath() { printf 'Z:%s' "${1//\//\\}"; }

# A deletion list as the installer writes it: BOM, UTF-16LE, CRLF.
write_list() {
  local file="$1"
  shift
  { printf '\xff\xfe'; printf '%s\r\n' "$@" | iconv -f UTF-8 -t UTF-16LE; } >"$file"
}

# Every Windows program's streams go to a file: what the restart starts inherits them.
run_launcher() {
  timeout 120 wine "$launcher" "$@" >>"$work/launcher.out" 2>&1
}

# A file that Wine refuses to delete while it is read-only; the restart deletes it once
# it is writable again.
stuck_file() {
  mkdir -p "$(dirname "$1")"
  echo x >"$1"
  chmod 444 "$1"
}

pending() {
  wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations \
    2>/dev/null | tr -d '\r' || true
}

wait_gone() {
  for _ in $(seq 600); do
    [ -e "$1" ] || return 0
    sleep 0.1
  done
  fail "$1 was not deleted by the restart"
}

# Schedules `file` (inside a private temporary directory, so at once) for deletion at boot.
schedule() {
  local file="$1" list="$work/schedule.txt"
  stuck_file "$file"
  write_list "$list" "" "keep" "Restart?" "EOSMARKER" "Failed" "EOSMARKER" "$(winpath "$file")"
  run_launcher __qpk_windel "$(winpath "$list")" || fail "scheduling run ended with $?"
  [ -e "$file" ] || fail "$file was deleted although read-only"
  pending | grep -qF "$(winpath "$file")" || fail "$file is not pending deletion: $(pending)"
  chmod 644 "$file"
}

if [ ! -f "$prefix/.qpk-ready" ]; then
  rm -rf "$prefix"
  (unset DISPLAY; WINEDLLOVERRIDES="$overrides" wineboot -i >"$work/wineboot-init.log" 2>&1)
  timeout 120 wineserver -w
  touch "$prefix/.qpk-ready"
fi
server_started=1
wineserver -p >/dev/null 2>&1
WINEDLLOVERRIDES="$overrides" wine wineboot >"$work/wineboot.log" 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

case "$mode" in
  plain)
    held="$work/cvo1.tmp_dir1/held.jar"
    schedule "$held"
    list="$work/force.txt"
    write_list "$list" "" "force_reboot" "Restart?" "EOSMARKER" "Restart failed" "EOSMARKER"
    run_launcher __qpk_windel "$(winpath "$list")" || fail "force_reboot run ended with $?"
    [ ! -e "$list" ] || fail "the list file was left"
    wait_gone "$held"

    held="$work/cvo2.tmp_dir2/held.jar"
    schedule "$held"
    start=$(date +%s%N)
    run_launcher __qpk_reboot || fail "reboot role ended with $?"
    elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
    [ "$elapsed_ms" -ge 5000 ] || fail "reboot role returned after $elapsed_ms ms"
    wait_gone "$held"
    ;;
  answer-yes)
    [ -n "${DISPLAY:-}" ] || fail "needs DISPLAY"
    boxpress="$(dirname "$launcher")/boxpress.exe"
    held="$work/app/held.dll"
    stuck_file "$held"
    list="$work/ask.txt"
    write_list "$list" "" "reboot_deletion" "Restart to finish?" "EOSMARKER" "Restart failed" "EOSMARKER" \
      "$(winpath "$held")"
    run_launcher __qpk_windel "$(winpath "$list")" &
    launcher_job=$!
    # The question comes after the last of the 60 passes, with the file scheduled.
    box="$(timeout 90 wine "$boxpress" --caption quillpack --timeout 80000 2>/dev/null | tr -d '\r')" ||
      fail "no restart question: $box"
    echo "$box" | grep -qx 'text: Restart to finish?' || fail "unexpected box: $box"
    pending | grep -qF "$(winpath "$held")" || fail "$held is not pending deletion"
    chmod 644 "$held"
    timeout 30 wine "$boxpress" --caption quillpack --timeout 10000 --press 6 >/dev/null 2>&1 ||
      fail "could not answer Yes"
    wait "$launcher_job" || fail "run ended with $?"
    wait_gone "$held"
    ;;
  *)
    fail "unknown mode"
    ;;
esac
echo "reboot_role_test ($mode): passed"
