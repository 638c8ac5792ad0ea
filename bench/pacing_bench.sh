#!/bin/bash
# How the pacing of orvelle-check recovers from refusals, against the stand-alone test whois
# server on loopback, and the peak memory of a run against endless replies:
#   1. one name always refused ("WHOIS LIMIT EXCEEDED") at position 11 of 400 answered at once:
#      when the other 399 have their verdicts; a second run with the same settings when the host
#      no longer refuses, against a fresh one; five names always refused;
#   2. a server that refuses everything for its first 3 s and then answers at once: 2000 names;
#   3. a server that allows 5 queries a second: 60 names, twice with the same settings (the
#      second run starts at the pace the first one learned), with the refusals of each;
#   4. two hosts, one refusing everything for 60 s: the speed of the other's 1000 names (50 ms
#      answers) against the same names alone;
#   5. 25 endless replies with 100 ms ticks: peak memory (RSS) of orvelle-check.
#
#   bench/pacing_bench.sh [build-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
check="$build/orvelle-check"
whoisd="$build/orvelle-whoisd"
[ -x "$check" ] && [ -x "$whoisd" ] || { echo "build first: cmake --build $build" >&2; exit 2; }

. bench/servers.sh

start_server() { # name [whoisd options] -> sets port_<name>; refusals go to $work/<name>.log
    local name="$1"
    shift
    rm -f "$work/$name.log" # not the port of an earlier server of that name
    "$whoisd" --port 0 --log-refusals "$@" > "$work/$name.log" &
    pids+=($!)
    for _ in $(seq 100); do [ -s "$work/$name.log" ] && break; sleep 0.05; done
    printf -v "port_$name" '%s' "$(head -n1 "$work/$name.log")"
}
refusals() { grep -c '^refused' "$work/$1.log" || true; }
fresh_folders() { # registrar rows...
    rm -rf "$work/app" "$work/settings"
    mkdir -p "$work/app"
    printf '%s\r\n' "$@" > "$work/app/registrars.txt"
}
# Runs orvelle-check on a list; every output line gets the seconds since the start in front.
# The stamps are made in the shell itself: a program started for each line (bc) made them lag
# the output by a few milliseconds a line, a second for 400 lines.
timed_check() { # list
    local start=${EPOCHREALTIME/./} now
    ORVELLE_APP_FOLDER="$work/app" ORVELLE_SETTINGS_DIR="$work/settings" "$check" --no-dns "$1" 2> /dev/null |
        while IFS= read -r line; do
            now=${EPOCHREALTIME/./}
            printf '%d.%06d\t%s\n' $(((now - start) / 1000000)) $(((now - start) % 1000000)) "$line"
        done > "$work/out" || true
}
last_time() { # pattern -> seconds of the last matching verdict line
    grep -P "\t$1" "$work/out" | tail -n1 | cut -f1
}

# 1. One name always refused among 400, at position 11; then the same list again with the same
#    settings, the host no longer refusing; then four names always refused.
mkdir -p "$work/replies"
printf 'WHOIS LIMIT EXCEEDED - SEE WWW.PIR.ORG/WHOIS FOR DETAILS\r\n' > "$work/replies/stray0011.com.txt"
start_server stray --replies "$work/replies"
fresh_folders "com|127.0.0.1|$port_stray|Enabled"
seq -f "stray%04g" 1 400 > "$work/list.txt"
timed_check "$work/list.txt"
printf '1. one name refused at position 11 of 400: the others done after %.2f s (goal 2 s); run over after %.1f s; %s\n' \
    "$(grep -vP '\tstray0011' "$work/out" | grep -P '\t(High|Mid|Low|Registered)\t' | tail -n1 | cut -f1)" \
    "$(tail -n1 "$work/out" | cut -f1)" "$(grep -P '\tstray0011' "$work/out" | cut -f2- | tr '\t' ' ')"
stop_servers
mkdir -p "$work/noreplies"
start_server stray --replies "$work/noreplies"
printf 'com|127.0.0.1|%s|Enabled\r\n' "$port_stray" > "$work/app/registrars.txt"
timed_check "$work/list.txt"
second=$(tail -n1 "$work/out" | cut -f1)
rm -rf "$work/settings"
timed_check "$work/list.txt"
printf '1b. the second run, the host no longer refusing: %.2f s; a run without the first: %.2f s (goal: the same)\n' \
    "$second" "$(tail -n1 "$work/out" | cut -f1)"
stop_servers
rm -f "$work/replies/stray0011.com.txt"
for n in 0050 0150 0250 0350; do
    printf 'WHOIS LIMIT EXCEEDED - SEE WWW.PIR.ORG/WHOIS FOR DETAILS\r\n' > "$work/replies/stray$n.com.txt"
done
start_server stray --replies "$work/replies"
fresh_folders "com|127.0.0.1|$port_stray|Enabled"
timed_check "$work/list.txt"
printf '1c. four names always refused among 400: run over after %.1f s (goal 60 s); %s\n' \
    "$(tail -n1 "$work/out" | cut -f1)" "$(tail -n1 "$work/out" | cut -f2)"
stop_servers

# 2. A throttle episode of 3 s.
start_server episode --refuse-first 3000
fresh_folders "com|127.0.0.1|$port_episode|Enabled"
seq -f "episode%05g" 1 2000 > "$work/list.txt"
timed_check "$work/list.txt"
printf '2. refusing everything for 3 s, then answering: %s names with a verdict, run over after %.1f s (goal 45 s); %s\n' \
    "$(grep -cP '\t(High|Mid|Low|Registered)\t' "$work/out")" "$(tail -n1 "$work/out" | cut -f1)" \
    "$(tail -n1 "$work/out" | cut -f2)"
stop_servers

# 3. Five queries a second, twice.
fresh_folders "com|127.0.0.1|0|Enabled"
seq -f "five%03g" 1 60 > "$work/list.txt"
for run in first second; do
    start_server "five$run" --throttle 5/1000
    port="port_five$run"
    printf 'com|127.0.0.1|%s|Enabled\r\n' "${!port}" > "$work/app/registrars.txt"
    timed_check "$work/list.txt"
    printf '3. 5 queries a second, %s run: %s names with a verdict after %.1f s (goal 13.3 s: 0.9 of 5/s), %d refusals (goal: %s)\n' \
        "$run" "$(grep -cP '\t(High|Mid|Low|Registered)\t' "$work/out")" "$(tail -n1 "$work/out" | cut -f1)" \
        "$(refusals "five$run")" "$([ $run = first ] && echo "10 at most" || echo none)"
    stop_servers
done

# 4. A host that cools down does not slow the other.
start_server fast --delay 50
start_server cold --address 127.0.0.2 --refuse-first 60000
fresh_folders "com|127.0.0.1|$port_fast|Enabled" "net|127.0.0.2|$port_cold|Enabled"
seq -f "fast%04g.com" 1 1000 > "$work/alone.txt"
timed_check "$work/alone.txt"
alone=$(tail -n2 "$work/out" | head -n1 | cut -f1)
seq 1 1000 | awk '{ printf "fast%04d.com\ncold%04d.net\n", $1, $1 }' > "$work/mixed.txt"
rm -rf "$work/settings"
timed_check "$work/mixed.txt"
mixed=$(last_time '(High|Mid|Low|Registered)\tfast')
printf '4. 1000 names of a fast host: alone %.2f s, beside a host cooling down %.2f s: %.0f%% of its speed alone (goal 90%%); run over after %.1f s\n' \
    "$alone" "$mixed" "$(echo "100 * $alone / $mixed" | bc -l)" "$(tail -n1 "$work/out" | cut -f1)"
stop_servers

# 5. Peak memory against endless replies.
start_server flood --mode stream
fresh_folders "com|127.0.0.1|$port_flood|Enabled"
seq -f "flood%02g" 1 25 > "$work/list.txt"
/usr/bin/time -f '%M' -o "$work/rss" env ORVELLE_APP_FOLDER="$work/app" ORVELLE_SETTINGS_DIR="$work/settings" \
    "$check" --no-dns --tick-ms 100 "$work/list.txt" > /dev/null 2>&1 || true
printf '5. 25 endless replies: peak memory %.1f MiB (goal 40 MiB)\n' "$(echo "$(cat "$work/rss") / 1024" | bc -l)"
