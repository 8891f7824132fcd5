#!/usr/bin/env bash
# Misc.reboot0 from Java in a Wine prefix of its own: the driver schedules a file's deletion
# and calls reboot0; under Wine ExitWindowsEx(EWX_REBOOT) runs the prefix's restart tasks, so
# the file must go. Never give it the shared test prefix.
#   reboot_native_test.sh JAVA_EXE CLASS_PATH NATIVES_DLL PREFIX   (Unix paths; ':' separates the jars)
set -euo pipefail
exec </dev/null
java_exe="$1" class_path="$2" dll="$3" prefix="$4"
export WINEPREFIX="$prefix" WINEDEBUG=-all
overrides="mscoree,mshtml=;winemenubuilder.exe=d"
winpath() { printf 'Z:%s' "${1//\//\\}"; }

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock -w 200 9
work="$(mktemp -d "$prefix-work.XXXXXX")"
cleanup() {
  set +e
  wineserver -k >/dev/null 2>&1
  timeout 30 wineserver -w >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "reboot_native_test: $*"
  exit 1
}

if [ ! -f "$prefix/.qpk-ready" ]; then
  rm -rf "$prefix"
  (unset DISPLAY; WINEDLLOVERRIDES="$overrides" wineboot -i >"$work/wineboot-init.log" 2>&1)
  timeout 120 wineserver -w
  touch "$prefix/.qpk-ready"
fi
wineserver -p >/dev/null 2>&1
WINEDLLOVERRIDES="$overrides" wine wineboot >"$work/wineboot.log" 2>&1

jars=""
IFS=: read -ra parts <<<"$class_path"
for jar in "${parts[@]}"; do jars+="${jars:+;}$(winpath "$jar")"; done
doomed="$work/deleted at restart.txt"
timeout 120 wine "$java_exe" -cp "$jars" com.quillpack.runtime.installer.platform.win32.MiscDriver \
  "$(winpath "$dll")" reboot "$(winpath "$doomed")" >"$work/driver.out" 2>&1 || fail "driver: $(cat "$work/driver.out")"
grep -q '^DONE passed=1 failed=0' "$work/driver.out" || fail "driver: $(cat "$work/driver.out")"
for _ in $(seq 600); do
  [ -e "$doomed" ] || { echo "reboot_native_test: passed"; exit 0; }
  sleep 0.1
done
fail "the restart did not delete $doomed"
