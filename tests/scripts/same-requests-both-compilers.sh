#!/usr/bin/env bash
# The program's requests come in the same order whatever the compiler: every shipped scenario is
# recorded by a plumora-sim built with GCC and by one built with Clang on libc++ (the Mac's
# compiler and library), and the two recordings must hold the same requests in the same order.
# Times are left out: they are the simulated Mac's and the same either way.
set -euo pipefail
cd "$(dirname "$0")/../.."
first=${1:?the first plumora-sim}
second=${2:?the second plumora-sim}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
status=0
for scenario in scenarios/*.scn; do
  name=$(basename "$scenario" .scn)
  "$first" --quiet --record "$out/$name.1.jsonl" "$scenario" >/dev/null || true
  "$second" --quiet --record "$out/$name.2.jsonl" "$scenario" >/dev/null || true
  if ! diff <(sed 's/"t0".*//' "$out/$name.1.jsonl") <(sed 's/"t0".*//' "$out/$name.2.jsonl") \
    >"$out/$name.diff"; then
    echo "$scenario: the two builds make their requests in another order:" >&2
    head -n 6 "$out/$name.diff" >&2
    status=1
  fi
done
[ "$status" -eq 0 ] && echo "every scenario: the same requests in the same order from both builds"
exit "$status"
