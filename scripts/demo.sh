#!/usr/bin/env bash
# Installs the build dependencies, builds the tool, makes a demo installation of the older release (8.50) in a
# fresh folder and upgrades every company in it with the headless runner, as an administrator would: then shows
# each company's backup archive, its data version before and after, and what the run changed in its tables.
#
# Usage: scripts/demo.sh [DEMO_DIR] [kv8mtn-demo options: --companies N --employees M --dictionary K --seed S]
#   DEMO_DIR  where the installation is made; it must not exist or be empty (default: a new folder under /tmp)
#   BUILD_DIR (environment) the build folder (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build="${BUILD_DIR:-build}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target kv8mtn-demo kv8mtn-cli kv8mtn-survey

demo_dir=""
if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then
  demo_dir="$1"
  shift
fi
[ -n "$demo_dir" ] || demo_dir="$(mktemp -d /tmp/kv8mtn-demo.XXXXXX)"
demo_dir="$(realpath -m "$demo_dir")"
work="$(mktemp -d /tmp/kv8mtn-demo-run.XXXXXX)"

echo
echo "== Making the demo installation in $demo_dir"
"$build/app/demo/kv8mtn-demo" "$demo_dir" "$@"
"$build/app/survey/kv8mtn-survey" "$demo_dir" > "$work/before.txt"

echo
echo "== Upgrading every company: kv8mtn-cli --program-dir $demo_dir --select-all --yes"
start=$(date +%s.%N)
set +e
"$build/app/cli/kv8mtn-cli" --program-dir "$demo_dir" --select-all --yes 2> "$work/progress.txt"
status=$?
set -e
end=$(date +%s.%N)
echo "(exit status $status, $(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", b - a }') s;" \
  "$(wc -l < "$work/progress.txt") progress lines in $work/progress.txt, the last ones:)"
tail -n 3 "$work/progress.txt" | sed 's/^/  /'
"$build/app/survey/kv8mtn-survey" "$demo_dir" > "$work/after.txt"

echo
echo "== Each company: data version before and after, backup archive"
versions() { awk '/^company /{code=$2} /^  data version: /{print code, $3}' "$1"; }
join <(versions "$work/before.txt" | sort) <(versions "$work/after.txt" | sort) | while read -r code old new; do
  archives=$(find "$demo_dir/BACKUP" -maxdepth 1 -name "$code *.zip" 2>/dev/null | sort)
  if [ -z "$archives" ]; then
    echo "  $code  data version $old -> $new  backup: none"
    continue
  fi
  while IFS= read -r archive; do
    check="not checked (no unzip)"
    if command -v unzip > /dev/null; then
      if unzip -tqq "$archive" > /dev/null 2>&1; then check="unzip -t: OK"; else check="unzip -t: DAMAGED"; fi
    fi
    entries=$(unzip -Z1 "$archive" 2>/dev/null | wc -l || true)
    echo "  $code  data version $old -> $new  backup: BACKUP/$(basename "$archive")" \
      "($(stat -c %s "$archive") bytes, $entries files, $check)"
  done <<< "$archives"
done

echo
echo "== What the run changed (survey before -> after; full surveys in $work)"
# Each line carries its company's code (and table), so every change says where it happened.
tag() {
  awk '/^company /{code=$2; table=""} /^  table /{table=$2; sub(":", "", table)} /^  [^ t]/{table=""}
       {print (code == "" ? "" : code (table == "" || /^  table / ? "" : " " table) " |") $0}' "$1"
}
diff -U0 <(tag "$work/before.txt") <(tag "$work/after.txt") | grep -v -e '^@@' -e '^---' -e '^+++' |
  sed 's/^/  /' || true

echo
echo "The installation stays in $demo_dir; look into a company with"
echo "  $build/app/adsql/adsql $demo_dir/COMPANY/DEMO02 -e .tables"
exit "$status"
