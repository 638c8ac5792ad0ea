#!/bin/bash
# Throughput of the check engine (orvelle-check, 25 connections) against the stand-alone test
# whois server with fixed and with log-normal reply delays, next to Debian's whois client run 25
# at a time by xargs, on the same machine in the same run; and the cost per name at the end of a
# 200000-line list against its start.
#
#   bench/whois_bench.sh [build-folder] [names] [delay-ms]
#
# Defaults: build, 5000 names, 50 ms reply delay. Needs the "whois" package for the client.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
names="${2:-5000}"
delay="${3:-50}"
check="$build/orvelle-check"
whoisd="$build/orvelle-whoisd"
rdapd="$build/orvelle-rdapd"
[ -x "$check" ] && [ -x "$whoisd" ] && [ -x "$rdapd" ] && [ -x "$build/candidate_read_bench" ] ||
    { echo "build first: cmake --build $build" >&2; exit 2; }
command -v whois >/dev/null || { echo "install Debian's whois package" >&2; exit 2; }

. bench/servers.sh
rdap_pid=""

now() { date +%s.%N; }
rate() { echo "$1 / ($3 - $2)" | bc -l; }

run_check() { # list [start [proxy option]] -> seconds
    local t0 t1
    t0=$(now)
    ORVELLE_APP_FOLDER="$work/app" ORVELLE_SETTINGS_DIR="$work/settings" \
        "$check" --no-dns ${3---proxy} --start "${2:-1}" "$1" > "$work/out" 2> /dev/null
    t1=$(now)
    grep -q "Unchecked 0$" "$work/out" || { echo "names went unanswered:" >&2; tail -n1 "$work/out" >&2; exit 1; }
    echo "$t1 - $t0" | bc -l
}

seq -f "benchname%07g" 1 "$names" > "$work/list.txt"

restart_whoisd "$delay"
seconds=$(run_check "$work/list.txt")
per_second=$(echo "$names / $seconds" | bc -l)
limit=$(echo "25 * 1000 / $delay" | bc -l)
printf 'orvelle-check, %d names, %d ms delay: %.0f names/s = %.1f%% of the limit 25/%.3fs = %.0f names/s\n' \
    "$names" "$delay" "$per_second" "$(echo "100 * $per_second / $limit" | bc -l)" "$(echo "$delay / 1000" | bc -l)" "$limit"

# A mixed list: every tenth name under an RDAP row (orvelle-rdapd, also 50 ms), the others whois.
"$rdapd" --port 0 --delay "$delay" > "$work/rdap" &
rdap_pid=$!
pids+=("$rdap_pid")
for _ in $(seq 100); do [ -s "$work/rdap" ] && break; sleep 0.05; done
printf 'com|127.0.0.1|%s|Enabled\r\nexample|%s|443|Enabled\r\n' "$port" "$(head -n1 "$work/rdap")" \
    > "$work/app/registrars.txt"
awk '{ print $0 (NR % 10 ? ".com" : ".example") }' "$work/list.txt" > "$work/mixed.txt"
seconds=$(run_check "$work/mixed.txt" 1 "")
whois_names=$(grep -c '\.com$' "$work/out")
printf 'orvelle-check, mixed list of %d names (%d whois, the rest RDAP), %d ms delay: %.0f names/s = %.1f%% of the limit; whois names %.0f/s\n' \
    "$names" "$whois_names" "$delay" "$(echo "$names / $seconds" | bc -l)" \
    "$(echo "100 * $names / $seconds / $limit" | bc -l)" "$(echo "$whois_names / $seconds" | bc -l)"
kill "$rdap_pid" 2>/dev/null; rdap_pid=""

# Delays that vary like real registries' (log-normal, median 100 ms, sigma 1): the mean delay is
# 100 * e^(1/2) ms, so 25 connections allow 25 / mean names a second.
restart_whoisd 100 --delay-sigma 1 --seed 7
seconds=$(run_check "$work/list.txt")
per_second=$(echo "$names / $seconds" | bc -l)
limit=$(echo "25 * 1000 / (100 * e(0.5))" | bc -l)
printf 'orvelle-check, %d names, log-normal delay (median 100 ms, sigma 1): %.0f names/s = %.1f%% of the limit 25/mean = %.0f names/s\n' \
    "$names" "$per_second" "$(echo "100 * $per_second / $limit" | bc -l)" "$limit"

restart_whoisd 0
seconds=$(run_check "$work/list.txt")
engine_rate=$(echo "$names / $seconds" | bc -l)
t0=$(now)
sed 's/$/.com/' "$work/list.txt" | xargs -P 25 -n 1 whois -h 127.0.0.1 -p "$port" > /dev/null
t1=$(now)
xargs_rate=$(rate "$names" "$t0" "$t1")
printf 'no delay: orvelle-check %.0f names/s, xargs -P 25 whois %.0f names/s, ratio %.1fx\n' \
    "$engine_rate" "$xargs_rate" "$(echo "$engine_rate / $xargs_rate" | bc -l)"

seq -f "positionname%07g" 1 200000 > "$work/long.txt"
head -n 5000 "$work/long.txt" > "$work/first.txt"
first=$(run_check "$work/first.txt")
last=$(run_check "$work/long.txt" 195001)
printf 'per name: positions 1..5000 %.1f us, positions 195001..200000 of 200000 %.1f us (%.0f%%)\n' \
    "$(echo "$first * 1000000 / 5000" | bc -l)" "$(echo "$last * 1000000 / 5000" | bc -l)" \
    "$(echo "100 * $last / $first" | bc -l)"
"$build/candidate_read_bench" "$work/long.txt" 5000
