#!/usr/bin/env bash
# scripts/run takes paths as its caller gives them: called from a folder outside the repository,
# a relative scenario is read there and a relative --html is written there; without --html the
# page goes to the repository's build/pages; without an argument it runs the demo, as the
# README's first command does. Builds the release preset once (as scripts/run does).
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work" "$repo/build/pages/mine.html"' EXIT
fail() {
  echo "run-from-another-folder: $*" >&2
  [ -f "$work/err" ] && sed 's/^/  | /' "$work/err" >&2
  exit 1
}
mkdir "$work/here"
cp "$repo/scenarios/fill_and_restore.scn" "$work/mine.scn"
cd "$work/here"

# A relative scenario and a relative page, both from here.
"$repo/scripts/run" --quiet --html page.html ../mine.scn >"$work/out" 2>"$work/err" ||
  fail "a relative scenario and page: exit status $?"
[ -s page.html ] || fail "no page where --html said, $work/here/page.html"
grep -qF "file://$work/here/page.html" "$work/err" || fail "the page's address is not the one written"

# Without --html: the page of the scenario's name, in the repository.
rm -f "$repo/build/pages/mine.html"
"$repo/scripts/run" ../mine.scn >"$work/out" 2>"$work/err" || fail "a relative scenario: exit status $?"
[ -s "$repo/build/pages/mine.html" ] || fail "no page at build/pages/mine.html"

# A scenario that is not there is named as given.
status=0
"$repo/scripts/run" nowhere.scn >"$work/out" 2>"$work/err" || status=$?
[ "$status" -eq 2 ] || fail "a missing scenario: exit status $status, not 2"
grep -qxF "plumora-sim: cannot read the scenario 'nowhere.scn'" "$work/err" ||
  fail "a missing scenario is not named as given"

# No argument: the demo.
"$repo/scripts/run" >"$work/out" 2>"$work/err" || fail "the demo: exit status $?"
grep -q "9 of 9 expectations met" "$work/out" || fail "the demo did not run to its end"
[ -s "$repo/build/pages/demo.html" ] || fail "no page at build/pages/demo.html"
written=(*)
[ "${written[*]}" = page.html ] || fail "written here besides page.html: ${written[*]}"
echo "scripts/run from another folder: relative scenario and page, default page, demo: all right"
