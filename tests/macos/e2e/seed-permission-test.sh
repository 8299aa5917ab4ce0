#!/usr/bin/env bash
# Runs seed-permission.sh against a permission database made here with the `access` table as
# macOS 14 and 15 define it, and checks the rows it leaves, its retry on a locked database and
# what it writes for the artifact. Needs sqlite3 (Debian's, installed by .ci/run).
#   tests/macos/e2e/seed-permission-test.sh
#
# codesign and csreq exist only on a Mac: stand-ins take their place through SEED_CODESIGN and
# SEED_CSREQ. The stand-in codesign prints a designated requirement naming the path it was asked
# about, and the stand-in csreq "compiles" it to the blob magic (fa de 0c 00) followed by the
# text, so the test sees which program's requirement each row carries. Whether the real tools
# give a requirement that the system accepts is for the first run on a Mac to show.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
seed=$here/seed-permission.sh
# shellcheck source-path=SCRIPTDIR source=script-checks.sh
. "$here/script-checks.sh"

# The access table of /Library/Application Support/com.apple.TCC/TCC.db as macOS 14 defines it:
# `sqlite3 TCC.db .schema access` on macOS 14.5 prints this, 17 columns (pid, pid_version,
# boot_uuid and last_reminded came with macOS 14). macOS 15 has the same 17 columns: the runner
# images' own provisioning (actions/runner-images, images/macos/scripts/build/
# configure-tccdb-macos.sh) inserts 17 values into it on every system after Ventura. The
# policies table is there for the foreign key.
schema="
CREATE TABLE policies ( id INTEGER NOT NULL PRIMARY KEY, bundle_id TEXT NOT NULL,
  uuid TEXT NOT NULL, display TEXT NOT NULL, UNIQUE (bundle_id, uuid));
CREATE TABLE access (
	service        TEXT        NOT NULL,
	client         TEXT        NOT NULL,
	client_type    INTEGER     NOT NULL,
	auth_value     INTEGER     NOT NULL,
	auth_reason    INTEGER     NOT NULL,
	auth_version   INTEGER     NOT NULL,
	csreq          BLOB,
	policy_id      INTEGER,
	indirect_object_identifier_type    INTEGER,
	indirect_object_identifier         TEXT NOT NULL DEFAULT 'UNUSED',
	indirect_object_code_identity      BLOB,
	flags          INTEGER,
	last_modified  INTEGER     NOT NULL DEFAULT (CAST(strftime('%s', 'now') AS INTEGER)),
	pid INTEGER,
	pid_version INTEGER,
	boot_uuid TEXT NOT NULL DEFAULT 'UNUSED',
	last_reminded INTEGER NOT NULL DEFAULT 0,
	PRIMARY KEY (service, client, client_type, indirect_object_identifier),
	FOREIGN KEY (policy_id) REFERENCES policies(id) ON DELETE CASCADE ON UPDATE CASCADE
);"

new_db() {
  rm -f "$work/TCC.db"
  sqlite3 "$work/TCC.db" "PRAGMA foreign_keys = ON; $schema"
}
q() { sqlite3 "$work/TCC.db" "$1"; }

# The stand-ins for Apple's code-signing tools.
cat >"$work/codesign" <<'EOF'
#!/usr/bin/env bash
# codesign -d -r- TARGET: a path containing "unsigned" has no signature.
target=${3:?}
echo "Executable=$target" >&2
case "$target" in *unsigned*) echo "$target: code object is not signed at all" >&2; exit 1 ;; esac
echo "# designated => identifier \"$target\" and anchor apple generic"
EOF
cat >"$work/csreq" <<'EOF'
#!/usr/bin/env bash
# csreq -r- -b OUTPUT: the blob magic, then the requirement text.
{ printf '\xfa\xde\x0c\x00'; tr -d '\n'; } >"${3:?}"
EOF
chmod +x "$work/codesign" "$work/csreq"
export SEED_CODESIGN=$work/codesign SEED_CSREQ=$work/csreq
blob_of() { # the hex the stand-ins give for a target
  printf 'FADE0C00%s' "$(printf '%s' "identifier \"$1\" and anchor apple generic" |
    od -An -v -tx1 | tr -d ' \n' | tr 'a-f' 'A-F')"
}

# A bundle whose identifier is not the project's default, an XML Info.plist as the build
# writes it, the string on the line after its key; a driver in a folder with a quote in its name;
# a program nobody signed.
app=$work/Other.app
mkdir -p "$app/Contents/MacOS" "$work/it's built" "$work/unsigned"
cat >"$app/Contents/Info.plist" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN"
  "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
  <key>CFBundleExecutable</key>
  <string>Plumora</string>
  <key>CFBundleIdentifier</key>
  <string>app.example.Other</string>
</dict>
</plist>
EOF
program=$app/Contents/MacOS/Plumora
driver="$work/it's built/plumora-e2e"
bare=$work/unsigned/tool
for p in "$program" "$driver" "$bare"; do printf '#!/bin/sh\n' >"$p" && chmod +x "$p"; done

echo "== seeding the app and the driver into a database with a denial and another app's row"
new_db
q "INSERT INTO access (service, client, client_type, auth_value, auth_reason, auth_version,
     csreq, flags, last_modified)
   VALUES ('kTCCServiceAccessibility', '$program', 1, 0, 2, 1, NULL, 0, 1000),
          ('kTCCServiceAccessibility', 'com.apple.Terminal', 0, 2, 0, 1, X'00', 0, 1000);"
before=$(date +%s)
status=0
"$seed" --db "$work/TCC.db" --out "$work/out" "$program" "$driver" >"$work/stdout" \
  2>"$work/stderr" || status=$?
after=$(date +%s)
check "exits 0" [ "$status" -eq 0 ]
services="kTCCServiceAccessibility kTCCServicePostEvent kTCCServiceScreenCapture"
# client | client type | the target whose requirement its rows carry
while IFS='|' read -r client type target; do
  for service in $services; do
    row=$(q "SELECT client_type, auth_value, auth_reason, auth_version, hex(csreq),
               indirect_object_identifier, boot_uuid, flags, pid IS NULL, pid_version IS NULL
             FROM access WHERE service = '$service' AND client = '${client//\'/\'\'}';")
    check "$service granted to $client (type $type), with ${target##*/}'s requirement" \
      [ "$row" = "$type|2|4|1|$(blob_of "$target")|UNUSED|UNUSED|0|1|1" ]
  done
  times=$(q "SELECT min(last_modified) >= $before AND max(last_modified) <= $after AND
               min(last_reminded = last_modified)
             FROM access WHERE client = '${client//\'/\'\'}';")
  check "$client: modified and reminded now" [ "$times" = 1 ]
done <<EOF
$program|1|$app
app.example.Other|0|$app
$driver|1|$driver
EOF
check "nine rows of ours and the other app's" [ "$(q "SELECT count(*) FROM access")" = 10 ]
check "the other app's row untouched" [ "$(q "SELECT auth_value || hex(csreq) || last_modified
  FROM access WHERE client = 'com.apple.Terminal'")" = 2001000 ]
check "says what it granted" grep -q "granted kTCCServiceAccessibility" "$work/stdout"
check "the artifact lists nine rows" [ "$(grep -c "^kTCCService" "$work/out/tcc-rows.txt")" = 9 ]
check "the artifact says it succeeded" grep -q "exit status 0" "$work/out/tcc-rows.txt"
check "the artifact has a log file" [ -s "$work/out/tcc.log" ]

echo "== a program with no signature"
status=0
"$seed" --db "$work/TCC.db" "$bare" >/dev/null 2>"$work/stderr" || status=$?
check "still exits 0" [ "$status" -eq 0 ]
check "its three rows carry no requirement" \
  [ "$(q "SELECT count(*) FROM access WHERE client = '$bare' AND csreq IS NULL")" = 3 ]
check "and it warns" grep -q "warning: no code requirement for $bare" "$work/stderr"

echo "== a database another process keeps locked"
coproc holder { sqlite3 "$work/TCC.db"; }
echo "BEGIN EXCLUSIVE; SELECT 'held';" >&"${holder[1]}"
read -r held <&"${holder[0]}"
check "the lock is held" [ "$held" = held ]
rm -rf "$work/out"
status=0
SEED_BUSY_TIMEOUT_MS=20 SEED_ATTEMPTS=3 SEED_RETRY_PAUSE=0 \
  "$seed" --db "$work/TCC.db" --out "$work/out" "$driver" >/dev/null 2>"$work/stderr" || status=$?
check "gives up with status 1" [ "$status" -eq 1 ]
check "after three attempts" [ "$(grep -c "database is locked" "$work/stderr")" = 3 ]
check "and says so" grep -q "could not write" "$work/stderr"
check "the artifact is written on failure" grep -q "exit status 1" "$work/out/tcc-rows.txt"

# Released while the script waits between attempts: the next attempt succeeds.
new_driver=$work/unsigned/../later
printf '#!/bin/sh\n' >"$new_driver" && chmod +x "$new_driver"
mkfifo "$work/retry.fifo"
SEED_BUSY_TIMEOUT_MS=20 SEED_ATTEMPTS=200 SEED_RETRY_PAUSE=0.05 \
  "$seed" --db "$work/TCC.db" "$new_driver" >/dev/null 2>"$work/retry.fifo" &
seeding=$!
# Reads its complaints as they come, and lets go of the lock at the first refusal.
exec {complaints}<"$work/retry.fifo"
refused=0
while read -r line <&"$complaints"; do
  if [[ $line == *retrying* ]]; then refused=1 && break; fi
done
holder_input=${holder[1]}
echo "COMMIT;" >&"$holder_input"
exec {holder_input}>&-
cat <&"$complaints" >/dev/null
exec {complaints}<&-
status=0
wait "$seeding" || status=$?
check "refused while the lock was held" [ "$refused" = 1 ]
check "retries until the lock is gone, then exits 0" [ "$status" -eq 0 ]
check "and writes its rows" \
  [ "$(q "SELECT count(*) FROM access WHERE client = '$new_driver'")" = 3 ]

echo "== refused invocations write nothing"
rows=$(q "SELECT count(*) FROM access")
while IFS='|' read -r expected description arguments; do
  status=0
  eval "\"\$seed\" $arguments" >/dev/null 2>&1 || status=$?
  check "$description: status $expected" [ "$status" = "$expected" ]
done <<'EOF'
2|no program|--db "$work/TCC.db"
2|an unknown option|--db "$work/TCC.db" --force "$driver"
1|a relative path|--db "$work/TCC.db" seed-permission.sh
1|a folder|--db "$work/TCC.db" "$work/unsigned"
1|no database there|--db "$work/none.db" "$driver"
EOF
check "the table is unchanged" [ "$(q "SELECT count(*) FROM access")" = "$rows" ]

verdict seed-permission-test
