#!/usr/bin/env bash
# Grants the Accessibility permission, the permission to post events and the one to record the
# screen (for the driver's screenshots) to the programs named by their full paths, by writing the system's permission database directly, then restarts the
# permission daemons so they read it again. Only for a throw-away CI runner with System
# Integrity Protection off (GitHub's macOS runners); run as root:
#   sudo tests/macos/e2e/seed-permission.sh /path/to/Plumora.app/Contents/MacOS/Plumora ...
# A bundled program is also entered under its bundle identifier, which is what the system looks
# up for an application launched with `open`.
set -euo pipefail

db="/Library/Application Support/com.apple.TCC/TCC.db"
[ "$(id -u)" -eq 0 ] || { echo "seed-permission.sh: run as root" >&2; exit 1; }
[ $# -gt 0 ] || { echo "usage: seed-permission.sh PROGRAM..." >&2; exit 1; }

now=$(date +%s)
grant() { # service, client, client type (0 bundle identifier, 1 path)
  # auth_value 2 = allowed, auth_reason 4 = set by the system, auth_version 1.
  sqlite3 "$db" "INSERT OR REPLACE INTO access
    (service, client, client_type, auth_value, auth_reason, auth_version, flags, last_modified)
    VALUES ('$1', '$2', $3, 2, 4, 1, 0, $now);"
  echo "granted $1 to $2"
}

services=(kTCCServiceAccessibility kTCCServicePostEvent kTCCServiceScreenCapture)
for program in "$@"; do
  [ -x "$program" ] || { echo "seed-permission.sh: $program is not a program" >&2; exit 1; }
  for service in "${services[@]}"; do
    grant "$service" "$program" 1
  done
  plist="$(dirname "$program")/../Info.plist"
  if [ -f "$plist" ]; then
    identifier=$(/usr/libexec/PlistBuddy -c "Print :CFBundleIdentifier" "$plist")
    for service in "${services[@]}"; do
      grant "$service" "$identifier" 0
    done
  fi
done

# The daemons cache the database: restart the system one and the logged-in user's.
launchctl kickstart -k system/com.apple.tccd.system ||
  echo "seed-permission.sh: warning: could not restart the system tccd" >&2
console_user=$(stat -f %u /dev/console)
launchctl kickstart -k "gui/$console_user/com.apple.tccd" ||
  echo "seed-permission.sh: warning: could not restart the user's tccd" >&2
sqlite3 "$db" "SELECT service, client, client_type, auth_value FROM access
  WHERE service IN ('kTCCServiceAccessibility', 'kTCCServicePostEvent',
                    'kTCCServiceScreenCapture');"
