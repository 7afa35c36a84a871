#!/usr/bin/env bash
# plothost from the command line: each command's happy path and its main errors, checked
# by exit status and by what it prints or writes.
# Usage: tests/cli/run.sh PLOTHOST
set -u
P=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
failed=0
check() {  # check NAME EXPECTED_STATUS PATTERN -- COMMAND...
  local name=$1 want=$2 pattern=$3
  shift 4
  out=$("$@" 2>&1); got=$?
  if [ "$got" -ne "$want" ] || ! grep -qE -- "$pattern" <<<"$out"; then
    echo "FAIL $name: status $got (want $want), output:"; echo "$out" | head -20; failed=1
  else
    echo "ok   $name"
  fi
}

check "help lists commands" 0 "configure --record FILE" -- "$P" --help
check "command help" 0 "record set FILE FIELD=VALUE" -- "$P" record --help
check "unknown command" 2 "unknown command 'fly'" -- "$P" fly
check "unknown option" 2 "unknown option '--frobnicate'" -- "$P" dump --frobnicate x
check "configure stores defaults" 0 "output_flags = 0x1100" -- "$P" configure --record r.cfg
[ "$(stat -c %s r.cfg)" = 40 ] || { echo "FAIL stored record is not 40 bytes"; failed=1; }
check "record set" 0 "copies = 5" -- "$P" record set r.cfg copies=5 paper_index=23
check "record set keeps the edit" 0 "paper_index = 23" -- "$P" record show r.cfg
check "record set refuses a value" 2 "copies: 0 is outside the allowed range 1..99; r.cfg is unchanged" -- "$P" record set r.cfg copies=0
check "record set refuses a field" 2 "colour" -- "$P" record set r.cfg colour=3
check "refused edit changed nothing" 0 "copies = 5" -- "$P" record show r.cfg
check "configure keeps a stored record" 0 "paper_index = 23" -- "$P" configure --record r.cfg
printf 'short' > bad.cfg
check "record show of a non-record" 1 "not a stored configuration \(5 bytes, not 40\)" -- "$P" record show bad.cfg
check "missing file" 1 "cannot read nothere.prn" -- "$P" dump nothere.prn
check "preview needs -o" 2 "needs one JOB file and -o PNG" -- "$P" preview x.prn
printf 'hello' > junk.prn
check "preview of a non-job" 1 "neither PJL nor QDPX" -- "$P" preview junk.prn -o j.png
[ ! -e j.png ] && [ ! -e j.png.part ] || { echo "FAIL a failed preview left a file"; failed=1; }
check "transcript of a bad script" 1 "line 1: unknown verb 'jump'" -- bash -c "echo jump > s.session; '$P' transcript s.session"

exit $failed
