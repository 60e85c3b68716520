#!/usr/bin/env bash
# Idle cost of the window: CPU time that the tolvan process uses while its firmware waits in a
# loop (a jump to itself at address 0) with MaxDelay 0, in percent of one core.
#
# Usage: bench/idle_cost.sh [PROGRAM] (default: build/app/tolvan; TOLVAN_BUILD_DIR changes the
# build directory). IDLE_SECONDS sets the measured time (default 20), IDLE_WARMUP the seconds
# left to start-up before it (default 3). Needs xvfb-run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "${1:-$root/${TOLVAN_BUILD_DIR:-build}/app/tolvan}")
seconds=${IDLE_SECONDS:-20}
warmup=${IDLE_WARMUP:-3}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Low ROM: JP 0x0000 at address 0, zeros after it; high ROM: zeros. No RAM image and no
# configuration file: the firmware starts at 0 with the default timing values (MaxDelay 0).
{ printf '\x79\x00\x00'; head -c $((0x2000 - 3)) /dev/zero; } >"$work/TOLVANL.ROM"
head -c $((0x8000)) /dev/zero >"$work/TOLVANH.ROM"

# A scratch home keeps the user's own window configuration as it is.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share \
    XDG_CACHE_HOME=$work/home/.cache

cat >"$work/measure.sh" <<'INNER'
#!/usr/bin/env bash
set -euo pipefail
program=$1 directory=$2 seconds=$3 warmup=$4
"$program" -C "$directory" &
pid=$!
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
sleep "$warmup"
start_ticks=$(cpu_ticks "$pid")
start_time=$(date +%s.%N)
sleep "$seconds"
end_ticks=$(cpu_ticks "$pid")
end_time=$(date +%s.%N)
kill "$pid"
wait "$pid" 2>/dev/null || true
awk -v ticks=$((end_ticks - start_ticks)) -v hz="$(getconf CLK_TCK)" \
    -v start="$start_time" -v end="$end_time" \
    'BEGIN { printf "idle cost: %.2f%% of one core (%.2f s of CPU in %.1f s)\n",
             100 * ticks / hz / (end - start), ticks / hz, end - start }'
INNER
chmod +x "$work/measure.sh"

xvfb-run -a "$work/measure.sh" "$program" "$work" "$seconds" "$warmup"
