# shellcheck shell=bash
# Sourced by the tests of the workflow's scripts: a scratch folder removed at exit, a named
# check per line, and the verdict at the end.

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

check() { # description, then the command that must succeed
  local what=$1
  shift
  if "$@"; then
    echo "ok    $what"
  else
    echo "FAIL  $what: $*"
    failures=$((failures + 1))
  fi
}

verdict() { # the test's name
  if [ "$failures" -gt 0 ]; then
    echo "$1: $failures failed" >&2
    exit 1
  fi
  echo "$1: all passed"
}
