#!/usr/bin/env bash
# Runs scripts/sign-app and scripts/package-release on Linux with stand-ins for Apple's tools
# (codesign, security, ditto, xcrun) first on the PATH, and checks what they ask of them: the
# signing identifier comes from the bundle unless given, and the keychain search list is the same
# after a release as before it, whether the release succeeded or failed on the way.
#   tests/macos/e2e/signing-scripts-test.sh
# What the real tools do with those requests is for a Mac to show.
set -euo pipefail

root=$(cd "$(dirname "$0")/../../.." && pwd)
# shellcheck source-path=SCRIPTDIR source=script-checks.sh
. "$root/tests/macos/e2e/script-checks.sh"

# Stand-ins: each writes its arguments to calls.log; security keeps the user's search list in a
# file, as "security list-keychains -d user" prints it.
mkdir -p "$work/bin"
export CALLS=$work/calls.log LIST=$work/search-list
cat >"$work/bin/codesign" <<'EOF'
#!/usr/bin/env bash
echo "codesign $*" >>"$CALLS"
EOF
cat >"$work/bin/security" <<'EOF'
#!/usr/bin/env bash
echo "security $*" >>"$CALLS"
case "$1" in
list-keychains)
  if [ "${3:-}" = user ] && [ "${4:-}" = -s ]; then
    shift 4
    : >"$LIST"
    for k in "$@"; do printf '    "%s"\n' "$k" >>"$LIST"; done
  else
    cat "$LIST"
  fi ;;
find-identity)
  [ -n "${NO_IDENTITY:-}" ] ||
    echo '  1) 0123456789ABCDEF0123456789ABCDEF01234567 "Developer ID Application: Me (TEAM)"' ;;
esac
EOF
cat >"$work/bin/ditto" <<'EOF'
#!/usr/bin/env bash
echo "ditto $*" >>"$CALLS"
: >"${!#}"
EOF
cat >"$work/bin/xcrun" <<'EOF'
#!/usr/bin/env bash
echo "xcrun $*" >>"$CALLS"
[ -z "${NOTARY_FAILS:-}" ] || [ "$1" != notarytool ]
EOF
cat >"$work/bin/openssl" <<'EOF'
#!/usr/bin/env bash
echo 00112233445566778899aabbccddeeff
EOF
chmod +x "$work/bin/"*
export PATH=$work/bin:$PATH

app=$work/Other.app
mkdir -p "$app/Contents/MacOS"
cat >"$app/Contents/Info.plist" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
<dict>
  <key>CFBundleIdentifier</key>
  <string>app.example.Other</string>
  <key>CFBundleShortVersionString</key>
  <string>1.2.3</string>
</dict>
</plist>
EOF

echo "== sign-app: the identifier"
# arguments | the identifier codesign must be given
while IFS='|' read -r arguments expected; do
  : >"$CALLS"
  # shellcheck disable=SC2086  # the arguments are words
  PLUMORA_SIGN_IDENTITY=Example "$root/scripts/sign-app" "$app" $arguments >/dev/null 2>&1
  check "sign-app ${arguments:-(no identifier)} signs as $expected" \
    grep -q -- "--sign Example --identifier $expected " "$CALLS"
done <<'EOF'
|app.example.Other
app.plumora.Given|app.plumora.Given
EOF
mkdir -p "$work/Bare.app/Contents/MacOS"
printf '<plist><dict></dict></plist>\n' >"$work/Bare.app/Contents/Info.plist"
: >"$CALLS"
status=0
PLUMORA_SIGN_IDENTITY=Example "$root/scripts/sign-app" "$work/Bare.app" >/dev/null 2>&1 || status=$?
check "a bundle without an identifier is refused" [ "$status" -ne 0 ]
check "and nothing is signed" [ ! -s "$CALLS" ]

echo "== package-release: the keychain search list"
user_list='    "/Users/me/Library/Keychains/login.keychain-db"
    "/Users/me/Library/Keychains/my work.keychain-db"
    "/Library/Keychains/System.keychain"'
# environment for the run | expected status | description
while IFS='|' read -r environment expected description; do
  printf '%s\n' "$user_list" >"$LIST"
  : >"$CALLS"
  rm -rf "$work/release"
  status=0
  # shellcheck disable=SC2086  # the environment is words
  env $environment DEVELOPER_ID_P12=AAAA NOTARY_APPLE_ID=me@example.com NOTARY_TEAM_ID=TEAM \
    NOTARY_PASSWORD=secret RUNNER_TEMP="$work" \
    "$root/scripts/package-release" "$app" "$work/release" >/dev/null 2>&1 || status=$?
  check "$description: status $expected" [ "$status" = "$expected" ]
  check "$description: the release keychain was put first" \
    grep -q "security list-keychains -d user -s $work/release.keychain-db /Users/me" "$CALLS"
  check "$description: the search list is as it was" [ "$(cat "$LIST")" = "$user_list" ]
  check "$description: the release keychain is deleted" \
    grep -q "security delete-keychain $work/release.keychain-db" "$CALLS"
  if [ "$expected" = 0 ]; then
    check "$description: the release text says so" \
      grep -q "notarised by Apple" "$work/release/release-notes.md"
  fi
done <<'EOF'
NOTHING=|0|notarised
NO_IDENTITY=1|1|no identity in the keychain
NOTARY_FAILS=1|1|notarisation refused
EOF

printf '%s\n' "$user_list" >"$LIST"
: >"$CALLS"
"$root/scripts/package-release" "$app" "$work/release" >/dev/null 2>&1
lacks() { ! grep -q -- "$1" "$2"; }
check "without the secrets the search list is not touched" \
  lacks "list-keychains -d user -s" "$CALLS"
check "and the release text names the version" \
  grep -q "^Plumora 1.2.3 for macOS" "$work/release/release-notes.md"
check "and says it is signed ad hoc" grep -q "signed ad hoc" "$work/release/release-notes.md"

verdict signing-scripts-test
