# Shared by the benchmark scripts: a scratch folder and the servers started into it, both gone
# when the script ends.
#   . bench/servers.sh
work="$(mktemp -d)"
pids=()
stop_servers() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    pids=()
}
cleanup() {
    stop_servers
    rm -rf "$work"
}
trap cleanup EXIT

# (Re)starts $whoisd (the test whois server) with a reply delay and options; $port is its port,
# and $work/app/registrars.txt sends .com names (and the proxy row) to it.
whoisd_pid=""
restart_whoisd() { # delay-ms [whoisd options]
    [ -n "$whoisd_pid" ] && kill "$whoisd_pid" 2>/dev/null && wait "$whoisd_pid" 2>/dev/null || true
    rm -f "$work/port" # else the old server's port may be read before the new one writes its own
    "$whoisd" --port 0 --delay "$@" > "$work/port" &
    whoisd_pid=$!
    pids+=("$whoisd_pid")
    for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
    port="$(head -n1 "$work/port")"
    mkdir -p "$work/app"
    printf 'proxy|127.0.0.1|%s|Enabled\r\ncom|127.0.0.1|%s|Enabled\r\n' "$port" "$port" > "$work/app/registrars.txt"
}
