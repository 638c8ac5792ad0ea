#!/bin/bash
# The check engine against a 150-line C client (bench/ref_whois_client.c: epoll, 25 connections,
# one query each) on the same loopback whois server, in pairs of runs one right after the other:
# three pairs at 50 ms, seven at 0 ms, where a run is short and the machine's phases weigh more.
# Each pair gives a ratio, C client time / orvelle-check time; the median of the pairs is the
# result. (The best run of each side is printed too: on a shared machine the two bests often come
# from different phases, and a side's runs spread by a third within one bench run.)
#   1. 50 ms replies: names a second, as a share of the C client's (goal 0.97);
#   2. 0 ms replies: the same share (goal 0.8) and the CPU time per name of each, on four times
#      as many names (a run of 5000 takes well under a second, where one scheduling hiccup of
#      the machine weighs too much);
#   3. at 50 ms replies, the time from the server taking a connection to its query arriving, for
#      each (goal: orvelle-check within 0.2 ms of the C client);
#   4. peak memory of orvelle-check at 20,000 names and at 1,000,000 (goal: within 10%).
# orvelle-check runs with --no-dns and --no-control-queries, so that both ask the same queries.
#
#   bench/engine_ratio_bench.sh [build-folder] [names at 50 ms, default 5000]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
names="${2:-5000}"
check="$build/orvelle-check"
whoisd="$build/orvelle-whoisd"
[ -x "$check" ] && [ -x "$whoisd" ] || { echo "build first: cmake --build $build" >&2; exit 2; }
. bench/servers.sh
cc -O2 -o "$work/ref" bench/ref_whois_client.c

# Wall seconds and CPU seconds (user + system) of a command.
timed() {
    /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$@" > /dev/null 2>&1
    awk '{ printf "%s %.3f %s\n", $1, $2 + $3, $4 }' "$work/time"
}
run_check() { # list
    rm -rf "$work/settings"
    timed env ORVELLE_APP_FOLDER="$work/app" ORVELLE_SETTINGS_DIR="$work/settings" \
        "$check" --no-dns --no-control-queries "$1"
}
best() { sort -n | head -n1; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ratios() { # column: C / orvelle-check for each pair, in the order run
    paste -d' ' <(cut -d' ' -f"$1" "$work/c") <(cut -d' ' -f"$1" "$work/o") | awk '{ printf "%.3f\n", $1 / $2 }'
}

for delay in 50 0; do
    count=$([ "$delay" = 0 ] && echo $((names * 4)) || echo "$names")
    seq -f "ratio%07g.com" 1 "$count" > "$work/list.txt"
    restart_whoisd "$delay"
    : > "$work/c" ; : > "$work/o"
    for _ in $(seq "$([ "$delay" = 0 ] && echo 7 || echo 3)"); do
        timed "$work/ref" 127.0.0.1 "$port" "$work/list.txt" 25 >> "$work/c"
        run_check "$work/list.txt" >> "$work/o"
    done
    c_wall=$(cut -d' ' -f1 "$work/c" | best); o_wall=$(cut -d' ' -f1 "$work/o" | best)
    printf '%s ms replies, %d names: %.2f of the C client (median of %d pairs: %s); CPU per name %.0f us, C %.0f us (medians), %.2f of the C client; best runs C %.2f s, orvelle-check %.2f s: %.2f\n' \
        "$delay" "$count" "$(ratios 1 | median)" "$(wc -l < "$work/c")" "$(ratios 1 | sort -n | paste -sd' ')" \
        "$(echo "$(cut -d' ' -f2 "$work/o" | median) * 1000000 / $count" | bc -l)" \
        "$(echo "$(cut -d' ' -f2 "$work/c" | median) * 1000000 / $count" | bc -l)" "$(ratios 2 | median)" \
        "$c_wall" "$o_wall" "$(echo "$c_wall / $o_wall" | bc -l)"
done
seq -f "ratio%07g.com" 1 "$names" > "$work/list.txt"

# From taking a connection to its query, as the server sees it: median and 90th percentile.
restart_whoisd 50 --log-waits
head -n 1000 "$work/list.txt" > "$work/short.txt"
waits() { # the last 1000 waits logged
    grep '^waited' "$work/port" | tail -n 1000 | cut -d' ' -f3 | sort -n |
        awk '{ w[NR] = $1 } END { printf "median %.2f ms, 90%% %.2f ms", w[int(NR / 2)] / 1000, w[int(NR * 0.9)] / 1000 }'
}
"$work/ref" 127.0.0.1 "$port" "$work/short.txt" 25 > /dev/null
c_waits=$(waits)
run_check "$work/short.txt" > /dev/null
printf 'connection to query at 50 ms: C client %s; orvelle-check %s\n' "$c_waits" "$(waits)"

# Peak memory with the list's length.
restart_whoisd 0
for count in 20000 1000000; do
    seq -f "mem%07g.com" 1 "$count" > "$work/mem.txt"
    rss=$(run_check "$work/mem.txt" | cut -d' ' -f3)
    printf 'peak memory at %d names: %.1f MiB\n' "$count" "$(echo "$rss / 1024" | bc -l)"
done
