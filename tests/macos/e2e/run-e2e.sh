#!/usr/bin/env bash
# The end-to-end test on a Mac with a desktop session:
#   tests/macos/e2e/run-e2e.sh path/to/Plumora.app path/to/plumora-e2e OUTPUT-DIR
# Turns on restore on second click and verbose logging, opens a text file in TextEdit, launches
# Plumora, waits until it watches clicks, then runs the driver, which clicks real green buttons
# and checks what happens. Plumora records the session from its launch (RecordAtLaunch); the
# termination signal at the end quits it, which finishes the recording. Screenshots, Plumora's
# log file, its unified-log lines and the recording (recordings/) end up in OUTPUT-DIR. Both programs need the Accessibility permission (seed-permission.sh gives it on a
# CI runner). The exit status is the driver's.
set -euo pipefail

app=$(cd "${1:?usage: run-e2e.sh Plumora.app plumora-e2e OUTPUT-DIR}" && pwd)
driver=$(cd "$(dirname "${2:?driver missing}")" && pwd)/$(basename "$2")
out=${3:?output folder missing}
mkdir -p "$out/screenshots"
out=$(cd "$out" && pwd)

domain=app.plumora.Plumora
log_file="$HOME/Library/Logs/Plumora/Plumora.log"
recordings="$HOME/Library/Logs/Plumora/recordings"
active_line="Osservazione dei clic attiva"

plumora_pid=""
# shellcheck disable=SC2317  # run by the trap below
collect() {
  if [ -n "$plumora_pid" ]; then
    kill "$plumora_pid" 2>/dev/null || true
    # The signal quits the application, which first writes the recording's last lines.
    for _ in $(seq 1 20); do
      kill -0 "$plumora_pid" 2>/dev/null || break
      sleep 0.5
    done
  fi
  defaults delete "$domain" RecordAtLaunch 2>/dev/null || true
  cp "$HOME"/Library/Logs/Plumora/*.log "$out/" 2>/dev/null || true
  mkdir -p "$out/recordings"
  cp "$recordings"/*.jsonl "$out/recordings/" 2>/dev/null || true
  /usr/bin/log show --last 15m --info --debug --style compact \
    --predicate "subsystem == \"$domain\"" >"$out/unified.log" 2>&1 || true
}
trap collect EXIT

defaults write "$domain" RestoreOnSecondClick -bool true
defaults write "$domain" DebugLog -bool true
defaults write "$domain" RecordAtLaunch -bool true
rm -f "$log_file"
rm -rf "$recordings"

document="$out/document.txt"
printf 'Plumora end-to-end test.\nA window to fill and restore.\n' >"$document"
# With a file TextEdit opens a document window at once (a bare launch may show an open panel).
open -a TextEdit "$document"

open "$app"
for _ in $(seq 1 60); do
  plumora_pid=$(pgrep -nf "$app/Contents/MacOS/Plumora" || true)
  grep -qF "$active_line" "$log_file" 2>/dev/null && break
  sleep 0.5
done
if ! grep -qF "$active_line" "$log_file" 2>/dev/null; then
  echo "Plumora is not watching clicks after 30 s (no \"$active_line\" line). Its log:" >&2
  cat "$log_file" >&2 2>/dev/null || echo "(no log file at $log_file)" >&2
  exit 1
fi
echo "Plumora (pid ${plumora_pid:-unknown}) is watching clicks."

status=0
"$driver" run --log "$log_file" --shots "$out/screenshots" | tee "$out/e2e-report.txt" ||
  status=$?
exit "$status"
