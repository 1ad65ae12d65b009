#!/usr/bin/env bash
# Bad input that a case directory cannot hold: endless standard input, long
# names, an unreadable file. Each run must end with exit status 1, one
# "Error: ..." line and exactly the output written before it.
#
#   bad_input_test.sh PROGRAM SOURCE_DIR
set -u
program=$(realpath "$1")
source "$(dirname "$(realpath "$0")")/../checks.sh"
chmod 755 "$work"
cd "$work"
greeting='getting players...'
dashes=---------------------------------------------------
lone_player_table=">simulating
$dashes
  player       t       r       p       s   score
$dashes
       0       0       0       0       0       0
$dashes"

# check NAME STATUS STDOUT STDERR: compares the last run's results.
check() {
  local status
  status=$(cat "$work/status")
  [ "$status" = "$2" ] || fail "$1: exit status $status, expected $2"
  [ "$(cat "$work/out")" = "$3" ] || fail "$1: standard output differs: $(head -c 300 "$work/out")"
  [ "$(cat "$work/err")" = "$4" ] || fail "$1: standard error differs: $(head -c 300 "$work/err")"
}

# run COMMAND...: runs a command with standard output and error captured.
run() {
  "$@" > "$work/out" 2> "$work/err"
  echo $? > "$work/status"
}

printf 'Dcrp' > good.txt

# Standard input without an end: bytes that are no white space make one
# endless name; endless white space meets the bound on all input.
run "$program" < /dev/zero
check "names from /dev/zero" 1 "$greeting" "Error: file name too long (more than 1048576 characters)"
yes '' | run "$program"
check "endless white space" 1 "$greeting" "Error: standard input too long (more than 134217728 bytes)"
{ echo good.txt; head -c $((134217728 - 9)) /dev/zero | tr '\0' ' '; } | run "$program"
check "white space up to the bound" 0 "$greeting
Dcrp
$lone_player_table" ""

# Names: 5,000 characters cannot be opened; the name bound on both sides.
long_name=$(head -c 5000 /dev/zero | tr '\0' 'n')
printf 'good.txt\n%s\ngood.txt\n' "$long_name" | run "$program"
check "5,000-character name" 1 "$greeting
Dcrp" "Error: cannot open formula file: $long_name"
longest_name=$(head -c 1048576 /dev/zero | tr '\0' 'n')
printf '%s\n' "$longest_name" | run "$program"
check "name at the bound" 1 "$greeting" "Error: cannot open formula file: $longest_name"
printf '%sn\n' "$longest_name" | run "$program"
check "name past the bound" 1 "$greeting" "Error: file name too long (more than 1048576 characters)"

# A file without read permission. Root reads any file, so as root the
# program runs as the user "nobody" (by setpriv), which cannot.
printf 'Drcp' > locked.txt
chmod 000 locked.txt
cp "$program" ./program
runner=()
if [ "$(id -u)" = 0 ]; then
  if command -v setpriv > /dev/null && id nobody > /dev/null 2>&1; then
    runner=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups)
    chmod 644 good.txt
  else
    echo "SKIP: unreadable file: running as root without setpriv or the user nobody"
    runner=(skip)
  fi
fi
if [ "${runner[0]-}" != skip ]; then
  printf 'good.txt locked.txt good.txt\n' | run "${runner[@]}" ./program
  check "unreadable file" 1 "$greeting
Dcrp" "Error: cannot open formula file: locked.txt"
fi

finish "all bad-input checks passed"
