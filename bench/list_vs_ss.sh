#!/usr/bin/env bash
# Times `ostrand-cli list --format tsv` against `ss -tnp` with N loopback
# connections held open (each connection is two sockets, so two rows), in
# one hyperfine run per size, and prints the medians and their ratio.
#
#   bench/list_vs_ss.sh [BUILD_DIR]     (default build/linux)
#   SIZES="1000 2000" RUNS=50 OSTRAND_DB=data/QQWry.dat bench/list_vs_ss.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/linux}
cli=$build/bin/ostrand-cli
db=${OSTRAND_DB:-$root/data/QQWry.dat}
sizes=${SIZES:-"1000 2000"}
runs=${RUNS:-50}

for tool in hyperfine ss python3; do
  command -v "$tool" >/dev/null || { echo "list_vs_ss: $tool is not installed" >&2; exit 1; }
done
[ -x "$cli" ] || { echo "list_vs_ss: $cli is not built" >&2; exit 1; }
[ -f "$db" ] || { echo "list_vs_ss: no database at $db (see scripts/get-database)" >&2; exit 1; }

work=$(mktemp -d)
holder_pid=""
cleanup() {
  if [ -n "$holder_pid" ]; then
    exec 3>&- 2>/dev/null || true
    wait "$holder_pid" 2>/dev/null || true
    holder_pid=""
  fi
  rm -rf "$work"
}
trap cleanup EXIT

printf '%-8s %-6s %14s %14s %8s\n' connects rows "ostrand (ms)" "ss (ms)" ratio
for n in $sizes; do
  mkfifo "$work/in" "$work/out"
  python3 "$root/bench/hold_connections.py" "$n" <"$work/in" >"$work/out" &
  holder_pid=$!
  exec 3>"$work/in"
  read -r ready _ <"$work/out"
  [ "$ready" = ready ] || { echo "list_vs_ss: the connections could not be opened" >&2; exit 1; }
  rows=$("$cli" list --format tsv --db "$db" | tail -n +2 | wc -l)

  hyperfine --style none --warmup 5 --runs "$runs" -N --export-json "$work/$n.json" \
    "$cli list --format tsv --db $db" "ss -tnp" >/dev/null 2>"$work/hyperfine.log" ||
    { cat "$work/hyperfine.log" >&2; exit 1; }
  python3 - "$work/$n.json" "$n" "$rows" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
ours, ss = (r["median"] * 1000 for r in results)
print(f"{sys.argv[2]:<8} {sys.argv[3]:<6} {ours:14.1f} {ss:14.1f} {ours / ss:7.2f}x")
PY
  exec 3>&-
  wait "$holder_pid" || true
  holder_pid=""
  rm -f "$work/in" "$work/out"
done
echo "rows: what the list prints (both sockets of each connection, and whatever else the host has)"
echo "command: hyperfine -N --warmup 5 --runs $runs '$cli list --format tsv --db $db' 'ss -tnp'"
