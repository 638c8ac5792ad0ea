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
