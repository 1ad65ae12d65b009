#!/usr/bin/env bash
# Runs the program once for an end-to-end case and compares its whole
# standard output, standard error and exit status with the case's files.
#
#   run_case.sh PROGRAM CASE_DIR
#
# The case directory holds: args (one argument per line, optional), stdin
# (optional, else empty input), expected_stdout, expected_stderr (optional,
# else empty) and expected_status (optional, else 0). The program runs in
# the case directory, so formula file names are relative to it.
set -u
program=$1
case_dir=$2
args=()
[ -f "$case_dir/args" ] && mapfile -t args < "$case_dir/args"
stdin=/dev/null
[ -f "$case_dir/stdin" ] && stdin="$case_dir/stdin"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$case_dir" && exec "$program" "${args[@]}" < "$stdin" > "$work/stdout" 2> "$work/stderr")
status=$?
expected_status=0
[ -f "$case_dir/expected_status" ] && expected_status=$(cat "$case_dir/expected_status")
[ -f "$case_dir/expected_stderr" ] && cp "$case_dir/expected_stderr" "$work/expected_stderr" || : > "$work/expected_stderr"
failed=0
if [ "$status" != "$expected_status" ]; then
  echo "exit status $status, expected $expected_status"
  failed=1
fi
if ! cmp -s "$work/stdout" "$case_dir/expected_stdout"; then
  echo "standard output differs:"
  diff "$case_dir/expected_stdout" "$work/stdout" | head -n 40
  failed=1
fi
if ! cmp -s "$work/stderr" "$work/expected_stderr"; then
  echo "standard error differs:"
  diff "$work/expected_stderr" "$work/stderr" | head -n 40
  failed=1
fi
exit $failed
