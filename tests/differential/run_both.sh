# Sourced by the differential tests, which set $program and $baseline.
#
# run_both DIR ARGS...: plays the players named in DIR/names with the
# program and with the baseline (given at most 120 s), each with ARGS, into
# DIR/out, DIR/err, DIR/status and DIR/base_*. Status 0 when their standard
# output, standard error and exit status agree, 1 when they differ, 2 when
# the baseline was too slow.
run_both() {
  local dir=$1 status
  shift
  "$program" "$@" < "$dir/names" > "$dir/out" 2> "$dir/err"
  echo $? > "$dir/status"
  timeout 120 "$baseline" "$@" < "$dir/names" > "$dir/base_out" 2> "$dir/base_err"
  status=$?
  [ "$status" = 124 ] && return 2
  echo "$status" > "$dir/base_status"
  cmp -s "$dir/out" "$dir/base_out" && cmp -s "$dir/err" "$dir/base_err" && cmp -s "$dir/status" "$dir/base_status"
}
