#!/bin/bash
# What checking DNS first saves, with orvelle-check against the stand-alone test DNS and whois
# servers on loopback:
#   1. 510 names: 450 delegated, 10 with NS records owned by another name, 50 without a
#      delegation and free on whois: whois queries asked, and how each group was decided;
#   2. the same names with a DNS server that never answers, against the same run without DNS;
#   3. the pre-check alone: 100,000 names, every one delegated, names per second, against a plain
#      c-ares loop (bench/ref_dns_loop.c, 100 questions at once) on the same server (goal 0.8);
#   4. 10,000 names, 90% delegated, whois answering after 200 ms: DNS first against whois only;
#   5. a resolver that answers after 1.9 s, 3,000 names, whois at 50 ms: the run against one
#      without DNS (goal: whois at its own pace, the run at most the 1.9 s of the last answers
#      longer).
#
#   bench/dns_bench.sh [build-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
check="$build/orvelle-check"
whoisd="$build/orvelle-whoisd"
dnsd="$build/orvelle-dnsd"
[ -x "$check" ] && [ -x "$whoisd" ] && [ -x "$dnsd" ] || { echo "build first: cmake --build $build" >&2; exit 2; }

. bench/servers.sh

wait_for_first_line() { # file
    for _ in $(seq 100); do [ -s "$1" ] && break; sleep 0.05; done
    head -n1 "$1"
}
start_whois() { # [whoisd options] -> whois_port; every query is logged to $work/whois.log
    rm -f "$work/whois.log" # not the port of the server before, read before the new one writes
    "$whoisd" --port 0 --log-queries "$@" > "$work/whois.log" &
    pids+=($!)
    whois_port="$(wait_for_first_line "$work/whois.log")"
}
start_dns() { # [dnsd options] -> dns_server
    rm -f "$work/dns.log"
    "$dnsd" --port 0 "$@" > "$work/dns.log" &
    pids+=($!)
    dns_server="$(wait_for_first_line "$work/dns.log")"
}
run_check() { # list [orvelle-check options] -> $work/out, $work/summary; prints the seconds taken
    local list="$1"
    shift
    rm -rf "$work/app" "$work/settings"
    mkdir -p "$work/app"
    printf 'com|127.0.0.1|%s|Enabled\r\n' "$whois_port" > "$work/app/registrars.txt"
    local start=$EPOCHREALTIME
    ORVELLE_APP_FOLDER="$work/app" ORVELLE_SETTINGS_DIR="$work/settings" \
        "$check" --host-limits "127.0.0.1=0/25" "$@" "$list" > "$work/out" 2> "$work/summary" || true
    echo "$EPOCHREALTIME - $start" | bc -l
}
queries() { grep -c '^asked' "$work/whois.log" || true; }

# 1. 510 names: d* delegated, o* lying, f* free.
{ seq -f "d%03g" 1 450; seq -f "o%03g" 1 10; seq -f "f%03g" 1 50; } > "$work/mixed.txt"
start_whois --free-pattern '^f'
start_dns --mode nxdomain --delegated-pattern '^d' --other-owner-pattern '^o'
run_check "$work/mixed.txt" --dns-server "$dns_server" > /dev/null
printf '1. 510 names: %d whois queries (goal at most 65); %d of 450 delegated "delegated in DNS"; lying: %s; free: %d of 50\n' \
    "$(queries)" "$(grep -cP '^Registered\td\d+\.com\tdelegated in DNS$' "$work/out" || true)" \
    "$(grep -P '\to\d+\.com' "$work/out" | cut -f1 | sort | uniq -c | xargs)" \
    "$(grep -cP '^(High|Mid|Low)\tf' "$work/out" || true)"
printf '   %s\n' "$(tail -n1 "$work/out")"
stop_servers

# 2. A DNS server that never answers.
start_whois --free-pattern '^f'
start_dns --mode silent
silent=$(run_check "$work/mixed.txt" --dns-server "$dns_server")
silent_verdicts=$(grep -cP '^(High|Mid|Low|Registered)\t' "$work/out" || true)
without=$(run_check "$work/mixed.txt" --no-dns)
printf '2. silent DNS: %d of 510 verdicts in %.1f s; without DNS %.1f s (goal at most 15 s longer)\n' \
    "$silent_verdicts" "$silent" "$without"
stop_servers

# 3. The pre-check alone, in pairs of runs one right after the other; the median pair is the
# result (a run of 20,000 names took a fifth of a second, where the machine's phases weighed more
# than the program).
seq -f "all%06g" 1 100000 > "$work/all.txt"
start_whois
start_dns --mode delegated
cc -O2 -o "$work/ref_dns_loop" bench/ref_dns_loop.c -lcares
: > "$work/pairs"
for _ in 1 2 3 4 5; do
    start=$EPOCHREALTIME
    "$work/ref_dns_loop" "$dns_server" "$work/all.txt" > "$work/ref.out"
    ref=$(echo "$EPOCHREALTIME - $start" | bc -l)
    took=$(run_check "$work/all.txt" --dns-server "$dns_server")
    echo "$(echo "$ref / $took" | bc -l) $ref $took" >> "$work/pairs"
done
read -r ratio ref took < <(sort -n "$work/pairs" | sed -n 3p)
printf '3. pre-check alone: %d names delegated in %.2f s: %.0f names/s, %d whois queries; c-ares loop %.2f s (%s): ratio %.2f, the median of 5 pairs (%s) (goal 0.8)\n' \
    "$(grep -c 'delegated in DNS' "$work/out" || true)" "$took" "$(echo "100000 / $took" | bc -l)" "$(queries)" \
    "$ref" "$(cat "$work/ref.out")" "$ratio" "$(cut -d' ' -f1 "$work/pairs" | sort -n | xargs printf '%.2f ' | sed 's/ $//')"
stop_servers

# 4. 10,000 names, 90% delegated, whois at 200 ms.
seq -f "big%05g" 1 10000 > "$work/big.txt"
start_whois --delay 200
start_dns --mode nxdomain --delegated-pattern '^big[0-9]{4}[1-9][.]'
first=$(run_check "$work/big.txt" --dns-server "$dns_server")
first_verdicts=$(grep -cP '^(High|Mid|Low|Registered)\t' "$work/out" || true)
only=$(run_check "$work/big.txt" --no-dns)
only_verdicts=$(grep -cP '^(High|Mid|Low|Registered)\t' "$work/out" || true)
printf '4. 10,000 names, 90%% delegated, whois at 200 ms: DNS first %.1f s (%d verdicts), whois only %.1f s (%d verdicts): %.1fx faster (goal 5x)\n' \
    "$first" "$first_verdicts" "$only" "$only_verdicts" "$(echo "$only / $first" | bc -l)"

stop_servers

# 5. A resolver that answers after 1.9 s.
seq -f "slow%05g" 1 3000 > "$work/slow.txt"
start_whois --delay 50 --free-pattern '0$'
start_dns --mode nxdomain --delay 1900
slow=$(run_check "$work/slow.txt" --dns-server "$dns_server")
slow_verdicts=$(grep -cP '^(High|Mid|Low|Registered)\t' "$work/out" || true)
plain=$(run_check "$work/slow.txt" --no-dns)
printf '5. resolver at 1.9 s, 3,000 names, whois at 50 ms: %.1f s (%d verdicts); without DNS %.1f s: %.1f s longer (goal: whois at its own pace, at most the 1.9 s of the last answers longer)\n' \
    "$slow" "$slow_verdicts" "$plain" "$(echo "$slow - $plain" | bc -l)"
