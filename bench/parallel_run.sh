#!/bin/sh
# Companies in parallel: the same demo installation upgraded with --jobs 1 and with --jobs N, wall and processor
# time of each, and the load average around each run (the machine may be shared).
#   bench/parallel_run.sh BUILD_DIR [COMPANIES] [EMPLOYEES] [JOBS]
set -eu
build=${1:?build folder}; companies=${2:-20}; employees=${3:-200}; jobs=${4:-2}
work=$(mktemp -d /tmp/kv8-parallel.XXXXXX)
trap 'rm -rf "$work"' EXIT
for n in 1 "$jobs"; do
  "$build/app/demo/kv8mtn-demo" "$work/j$n" --companies "$companies" --employees "$employees" > /dev/null
  echo "--jobs $n: $companies companies x $employees employees; load before: $(cut -d' ' -f1-3 /proc/loadavg)"
  /usr/bin/time -o "$work/time" -f "--jobs $n: wall %e s, user %U s, system %S s (children included)" \
    "$build/app/cli/kv8mtn-cli" --program-dir "$work/j$n" --select-all --yes --jobs "$n" > "$work/j$n.out" 2> /dev/null
  cat "$work/time"
  tail -1 "$work/j$n.out"
  echo "--jobs $n: load after: $(cut -d' ' -f1-3 /proc/loadavg)"
done
