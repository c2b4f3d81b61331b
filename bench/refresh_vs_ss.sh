#!/usr/bin/env bash
# Times a refresh of the window's list (RefreshConnections into the Qt list,
# real host, real database) against `ss -tnp`, with 1000 loopback
# connections between 127.0.0.2 and 127.0.0.3 held open (2000 listed rows),
# and prints the medians (with the pieces of a refresh measured on their
# own); the last line is `refresh/ss RATIO`.
#
#   bench/refresh_vs_ss.sh [BUILD_DIR]        (default build/linux)
#   CONNECTIONS=1000 REPETITIONS=9 bench/refresh_vs_ss.sh build/linux
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/linux}
[ -d "$build" ] || { echo "refresh_vs_ss: no build folder $build" >&2; exit 1; }
build=$(cd "$build" && pwd)
bench=$build/bin/refresh_bench
data=$root/data
connections=${CONNECTIONS:-1000}
repetitions=${REPETITIONS:-9}

for tool in ss python3; do
  command -v "$tool" >/dev/null || { echo "refresh_vs_ss: $tool is not installed" >&2; exit 1; }
done
[ -x "$bench" ] || { echo "refresh_vs_ss: $bench is not built" >&2; exit 1; }
[ -f "$data/QQWry.dat" ] || {
  echo "refresh_vs_ss: no $data/QQWry.dat (scripts/get-database)" >&2
  exit 1
}

work=$(mktemp -d)
holder=""
cleanup() {
  if [ -n "$holder" ]; then
    exec 3>&- 2>/dev/null || true
    wait "$holder" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

mkfifo "$work/in" "$work/out"
"$bench" --hold "$connections" <"$work/in" >"$work/out" &
holder=$!
exec 3>"$work/in"
read -r ready _ <"$work/out" || true
[ "$ready" = ready ] || { echo "refresh_vs_ss: the connections could not be opened" >&2; exit 1; }

# From the database's folder, as the window runs: it opens ./QQWry.dat.
(cd "$data" && QT_QPA_PLATFORM=offscreen "$bench" --benchmark_repetitions="$repetitions" \
  --benchmark_min_time=0.5 --benchmark_report_aggregates_only=true \
  --benchmark_out="$work/result.json" --benchmark_out_format=json >/dev/null)

exec 3>&-
wait "$holder" || true
holder=""

python3 - "$work/result.json" "$connections" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
median = {r["run_name"].split("/")[0]: r for r in runs if r.get("aggregate_name") == "median"}
refresh, ss = median["BM_RefreshIntoQtList"], median["BM_SsTnp"]
rows = int(refresh["rows"])
if rows < 2 * int(sys.argv[2]):
    sys.exit(f"refresh_vs_ss: only {rows} rows listed; the held connections are missing")
print(f"refresh (RefreshConnections into the Qt list): median {refresh['real_time']:.2f} ms, {rows} rows")
for name, label in (("BM_PieceSnapshot", "table snapshot"),
                    ("BM_PieceProcessNames", "process name per row"),
                    ("BM_PieceLocations", "database lookup per row"),
                    ("BM_PieceQtList", "rows into the Qt list")):
    if name in median:
        print(f"  of which {label}: median {median[name]['real_time']:.2f} ms")
print(f"ss -tnp: median {ss['real_time']:.2f} ms")
print(f"refresh/ss {refresh['real_time'] / ss['real_time']:.2f}")
PY
