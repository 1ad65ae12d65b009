# Sourced by the test scripts: a scratch directory, $work, removed when the
# script exits; fail, which reports a failed check and counts it; and
# finish, which ends the script with the closing line when every check
# passed and with status 1 when one failed.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# finish MESSAGE
finish() {
  [ "$failures" = 0 ] && echo "$1"
  exit $((failures > 0))
}
