#!/usr/bin/env bash
# Installation into a fresh prefix: every file in its place, and the
# installed program plays the installed strategy library as the built one
# plays the source tree's.
#
#   install_test.sh BUILD_DIR SOURCE_DIR BUILT_PROGRAM
set -u
build_dir=$1
source_dir=$2
built_program=$3
source "$(dirname "$(realpath "$0")")/../../tests/checks.sh"
prefix=$work

cmake --install "$build_dir" --prefix "$prefix" > "$prefix/install.log" 2>&1 ||
  { cat "$prefix/install.log"; echo "FAIL: cmake --install"; exit 1; }

for tool in ipdlogic ipdlogic-explain ipdlogic-lab ipdlogic-plot; do
  [ -x "$prefix/bin/$tool" ] || fail "bin/$tool missing or not executable"
  [ -f "$prefix/share/man/man1/$tool.1" ] || fail "share/man/man1/$tool.1 missing"
done
library="$prefix/share/ipdlogic/strategies"
for file in "$source_dir"/strategies/*.txt "$source_dir/strategies/README.md"; do
  cmp -s "$file" "$library/$(basename "$file")" || fail "strategy library: $(basename "$file") not installed"
done
[ "$(ls "$library"/*.txt | wc -l)" = "$(ls "$source_dir"/strategies/*.txt | wc -l)" ] || fail "strategy library: extra files"

cd "$prefix"
ls "$library"/*.txt | bin/ipdlogic > installed.out 2> installed.err || fail "installed program: status $?"
ls "$source_dir"/strategies/*.txt | "$built_program" > built.out
cmp -s installed.out built.out || fail "installed program on the installed library differs from the built one"
[ "$(grep -cE '^ +[0-9]+( +[0-9]+){5}$' installed.out)" = 12 ] || fail "installed program: not 12 rows"

(cd "$library" && "$prefix/bin/ipdlogic-explain" tit_for_tat.txt) > explained 2>&1 || fail "installed explain: status"
grep -q '^    against always defect     CDDDDDDDDD$' explained || fail "installed explain: $(tail -n 3 explained)"
# Its society is the installed library, found beside the tool.
grep -q '^  in a society: the strategy library, 12 strategies;' explained || fail "installed explain: no society"
bin/ipdlogic-explain --help | grep -qF "Default: the strategy library, $(realpath "$library")" ||
  fail "installed explain: $(bin/ipdlogic-explain --help | grep Default)"

if [ -x /usr/bin/python3 ]; then
  ls "$library"/*.txt | bin/ipdlogic -e | bin/ipdlogic-plot --csv > library.csv || fail "installed plot: status"
  [ "$(sed -n 2p library.csv)" = "0,986,1328,1448,3.83" ] || fail "installed plot: $(sed -n 2p library.csv)"
else
  echo "(no /usr/bin/python3: the installed ipdlogic-plot is not run)"
fi

bin/ipdlogic-lab --generations 1 "$library"/*.txt > lab.csv 2> lab.json || fail "installed lab: status"
[ "$(wc -l < lab.csv)" = 13 ] || fail "installed lab: $(wc -l < lab.csv) lines, not a header and 12 rows"
grep -q '^777,0,8,"Dcrp",1,' lab.csv || fail "installed lab: no row for tit for tat"

if command -v man > /dev/null; then
  for tool in ipdlogic ipdlogic-explain ipdlogic-lab ipdlogic-plot; do
    [ "$(man -M "$prefix/share/man" -w "$tool" 2> /dev/null)" = "$prefix/share/man/man1/$tool.1" ] ||
      fail "man does not find $tool in the prefix"
  done
fi

finish "installation checks passed"
