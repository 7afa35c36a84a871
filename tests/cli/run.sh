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

# A whole plot of the built-in sample in both languages, then what dump and preview make of it.
check "plot the sample" 0 "plotted sample -> s.prn" -- "$P" plot -o s.prn
check "plot summary" 0 "Tamaño de papel: E-arch\(36pulg\)" -- "$P" plot -o s.prn
check "dump HP-GL/2" 0 "HPGL  PS48768,36576" -- "$P" dump s.prn
check "the sample's job label" 0 "HPGL  BP1,\"plothost sample\",2,1" -- "$P" dump s.prn
check "the sample's images decode" 0 "raster block: .* 224 of 224 rows decode" -- "$P" dump s.prn
check "dump decodes polylines" 0 "HPGL  PE7  .* line \(" -- "$P" dump s.prn
check "dump understands every byte" 0 "^all understood$" -- bash -c "'$P' dump s.prn | grep -q '????' || echo all understood"
check "preview HP-GL/2" 0 "s.png: 2400 x 1800 pixels at 50 dpi" -- "$P" preview s.prn -o s.png
check "plot QDPX" 0 "job [0-9]+ bytes" -- "$P" plot -o q.prn --set output_flags=0x0140
check "dump QDPX" 0 "QDPX  18     set-up block" -- "$P" dump q.prn
check "preview QDPX" 0 "q.png: " -- "$P" preview q.prn -o q.png
check "settings" 0 "Número de copias:  5" -- "$P" settings --set copies=5
check "settings legend" 0 "Tipo de línea No. 0 = línea sólida" -- "$P" settings

# A failed plot leaves no job file, and an old job file stays as it was.
printf 'move 10 10\ndraw 5000 10\n' > far.draw
cp s.prn keep.prn
check "plot outside the area" 1 "far.draw:2: 5000.000000 mm is outside the plot area" -- "$P" plot far.draw -o keep.prn
cmp -s s.prn keep.prn || { echo "FAIL a failed plot changed the job file"; failed=1; }
printf 'pen 3\nfly 1 2\n' > bad.draw
check "plot of a bad drawing" 1 "bad.draw:2: unknown operation 'fly'" -- "$P" plot bad.draw -o new.prn
[ ! -e new.prn ] && [ ! -e new.prn.part ] || { echo "FAIL a failed plot left a job file"; failed=1; }
check "plot with a bad field" 2 "--set colour=1" -- "$P" plot -o new.prn --set colour=1

exit $failed
