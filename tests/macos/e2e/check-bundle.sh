#!/usr/bin/env bash
# Checks a built Plumora.app on a Mac: a well-formed Info.plist, a valid signature over the whole
# bundle, and an executable for both Apple silicon and Intel.
#   tests/macos/e2e/check-bundle.sh path/to/Plumora.app
set -euo pipefail

app=${1:?usage: check-bundle.sh Plumora.app}
plutil -lint "$app/Contents/Info.plist"
codesign --verify --deep --strict --verbose=2 "$app"
codesign --display --verbose=2 "$app" 2>&1 | grep -E '^(Identifier|Format|Signature|Authority)='
info=$(lipo -info "$app/Contents/MacOS/Plumora")
echo "$info"
for arch in arm64 x86_64; do
  grep -qw "$arch" <<<"$info" || { echo "check-bundle.sh: no $arch slice" >&2; exit 1; }
done
