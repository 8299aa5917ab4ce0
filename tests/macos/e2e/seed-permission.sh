#!/usr/bin/env bash
# Grants the Accessibility permission, the permission to post events and the one to record the
# screen (for the driver's screenshots) to the programs named by their full paths, by writing the
# system's permission database directly, then restarts the permission daemons so they read it
# again. Only for a throw-away CI runner with System Integrity Protection off (GitHub's macOS
# runners); run as root:
#   sudo tests/macos/e2e/seed-permission.sh [--db TCC.db] [--out DIR] PROGRAM...
#
# Each program gets a row per service under its path; a bundled program (…/Contents/MacOS/X)
# also one under its bundle identifier, which is what the system looks up for an application
# launched with `open`. Every row carries the code requirement of what was signed (the bundle's
# for a bundled program), as `codesign -d -r-` prints it and `csreq -r- -b` compiles it: a row
# without one may not grant an ad-hoc-signed program that is its own responsible process. When
# no requirement can be read the row is written without one, with a warning.
#
# The database is written in one transaction with a busy timeout, and retried while another
# process holds it locked ("database is locked" happens on macos-15 runners). With --out, the
# rows left for the programs and the permission subsystem's recent log lines are written to
# DIR/tcc-rows.txt and DIR/tcc.log, after seeding and after any failure.
#
# --db names another database with the same `access` table (the system's by default); root is
# then not required and the daemons are left alone. For a test on a system without Apple's
# code-signing tools, the environment can stand in for them:
#   SEED_CODESIGN, SEED_CSREQ   commands used instead of codesign and csreq, with their arguments
#   SEED_BUSY_TIMEOUT_MS        how long one attempt waits for a lock (default 5000)
#   SEED_ATTEMPTS               attempts before giving up (default 10)
#   SEED_RETRY_PAUSE            seconds between attempts (default 2)
set -euo pipefail

system_db="/Library/Application Support/com.apple.TCC/TCC.db"
db=$system_db
out=""
while [ $# -gt 0 ]; do
  case "$1" in
  --db) db=${2:?--db needs a path}; shift 2 ;;
  --out) out=${2:?--out needs a folder}; shift 2 ;;
  --) shift; break ;;
  -*) echo "seed-permission.sh: unknown option $1" >&2; exit 2 ;;
  *) break ;;
  esac
done
if [ $# -eq 0 ]; then
  echo "usage: seed-permission.sh [--db TCC.db] [--out DIR] PROGRAM..." >&2
  exit 2
fi
if [ "$db" = "$system_db" ] && [ "$(id -u)" -ne 0 ]; then
  echo "seed-permission.sh: run as root to write the system's database" >&2
  exit 1
fi
[ -f "$db" ] || { echo "seed-permission.sh: no database at $db" >&2; exit 1; }

codesign_tool=${SEED_CODESIGN:-codesign}
csreq_tool=${SEED_CSREQ:-csreq}
busy_ms=${SEED_BUSY_TIMEOUT_MS:-5000}
attempts=${SEED_ATTEMPTS:-10}
pause=${SEED_RETRY_PAUSE:-2}
services=(kTCCServiceAccessibility kTCCServicePostEvent kTCCServiceScreenCapture)
scratch=$(mktemp -d)
clients=()

sql_text() { # a single-quoted SQL literal
  local quote="'"
  printf "'%s'" "${1//$quote/$quote$quote}"
}

sql() { # runs SQL on the database with the busy timeout
  sqlite3 -bail -cmd ".timeout $busy_ms" "$db" "$@"
}

# shellcheck disable=SC2317  # run by the trap below
report() {
  local status=$?
  if [ -n "$out" ]; then
    mkdir -p "$out"
    local list=""
    # (The guard keeps an empty list legal under set -u in macOS's bash 3.2, which sudo runs.)
    for client in ${clients[@]+"${clients[@]}"}; do list+="${list:+, }$(sql_text "$client")"; done
    {
      echo "# access rows of $db for the seeded programs (exit status $status)"
      sql -header "SELECT service, client, client_type, auth_value, auth_reason, auth_version,
        length(csreq) AS csreq_bytes, hex(csreq) AS csreq, flags, last_modified
        FROM access WHERE client IN (${list:-''}) ORDER BY client, service;" 2>&1 ||
        echo "(could not read the rows)"
    } >"$out/tcc-rows.txt"
    if [ -x /usr/bin/log ]; then
      /usr/bin/log show --last 10m --info --debug --style compact \
        --predicate 'subsystem == "com.apple.TCC"' >"$out/tcc.log" 2>&1 || true
    else
      echo "(no unified log on this system)" >"$out/tcc.log"
    fi
  fi
  rm -rf "$scratch"
  return "$status"
}
trap report EXIT

# The bundle that holds a program, when it is a bundle's executable.
bundle_of() {
  local dir
  dir=$(cd "$(dirname "$1")/../.." && pwd)
  [ -f "$dir/Contents/Info.plist" ] && [ "$(basename "$(dirname "$1")")" = MacOS ] &&
    echo "$dir"
}

bundle_identifier() {
  "$(dirname "$0")/../../../scripts/plist-value" "$1/Contents/Info.plist" CFBundleIdentifier
}

# The compiled designated requirement of what was signed, as an SQL blob; NULL when unreadable.
requirement() {
  local text
  text=$("$codesign_tool" -d -r- "$1" 2>&1 | sed -n 's/^.*designated => //p' | head -n 1) || true
  if [ -z "$text" ] || ! printf '%s\n' "$text" | "$csreq_tool" -r- -b "$scratch/req.bin" ||
    [ ! -s "$scratch/req.bin" ]; then
    echo "seed-permission.sh: warning: no code requirement for $1: its rows carry none" >&2
    echo NULL
    return
  fi
  echo "seed-permission.sh: $1 is required to be: $text" >&2
  printf "X'%s'" "$(od -An -v -tx1 "$scratch/req.bin" | tr -d ' \n')"
  rm -f "$scratch/req.bin"
}

now=$(date +%s)
statements="BEGIN IMMEDIATE;"
row() { # service, client, client type (0 bundle identifier, 1 path), requirement
  # auth_value 2 = allowed, auth_reason 4 = set by the system, auth_version 1; the columns
  # macOS 14 added (pid, pid_version, boot_uuid, last_reminded) as the system leaves them.
  statements+="
INSERT OR REPLACE INTO access (service, client, client_type, auth_value, auth_reason,
  auth_version, csreq, policy_id, indirect_object_identifier_type, indirect_object_identifier,
  indirect_object_code_identity, flags, last_modified, pid, pid_version, boot_uuid, last_reminded)
VALUES ($(sql_text "$1"), $(sql_text "$2"), $3, 2, 4, 1, $4, NULL, 0, 'UNUSED', NULL, 0, $now,
  NULL, NULL, 'UNUSED', $now);"
}

for program in "$@"; do
  if [ ! -f "$program" ] || [ ! -x "$program" ]; then
    echo "seed-permission.sh: $program is not a program" >&2
    exit 1
  fi
  case "$program" in
  /*) ;;
  *) echo "seed-permission.sh: $program: give a full path" >&2; exit 1 ;;
  esac
  bundle=$(bundle_of "$program" || true)
  required=$(requirement "${bundle:-$program}")
  clients+=("$program")
  for service in "${services[@]}"; do row "$service" "$program" 1 "$required"; done
  if [ -n "$bundle" ]; then
    identifier=$(bundle_identifier "$bundle")
    clients+=("$identifier")
    for service in "${services[@]}"; do row "$service" "$identifier" 0 "$required"; done
  fi
done
statements+="
COMMIT;"

for ((attempt = 1; ; attempt++)); do
  if errors=$(sql "$statements" 2>&1 >/dev/null) && [ -z "$errors" ]; then break; fi
  echo "seed-permission.sh: attempt $attempt: ${errors:-sqlite3 failed}" >&2
  if ! grep -qiE 'locked|busy' <<<"$errors" || [ "$attempt" -ge "$attempts" ]; then
    echo "seed-permission.sh: could not write $db" >&2
    exit 1
  fi
  echo "seed-permission.sh: the database is busy: retrying in $pause s" >&2
  sleep "$pause"
done
echo "seed-permission.sh: granted ${services[*]} to ${clients[*]}"

if [ "$db" = "$system_db" ]; then
  # The daemons cache the database: restart the system one and the logged-in user's.
  launchctl kickstart -k system/com.apple.tccd.system ||
    echo "seed-permission.sh: warning: could not restart the system tccd" >&2
  console_user=$(stat -f %u /dev/console)
  launchctl kickstart -k "gui/$console_user/com.apple.tccd" ||
    echo "seed-permission.sh: warning: could not restart the user's tccd" >&2
fi
