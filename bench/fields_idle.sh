#!/bin/sh
# CPU of an idle lumivod with 32 signs (32 virtual signs on TCP) and 10 fields, every sign holding a clock line with a field: runs it SECONDS (default 60) and
# prints the processor time it took from /proc/PID/stat (utime + stime) as a share of one core.
# usage: bench/fields_idle.sh BUILD_DIR [SECONDS]
set -eu
bin="$1/bin"
seconds="${2:-60}"
home=$(mktemp -d)
pids=""
trap 'for p in $pids; do kill "$p" 2>/dev/null || true; done; rm -rf "$home"' EXIT
export LUMIVO_HOME="$home"
ini="$home/lumivo.INI"
: >"$ini"
for s in $(seq 32); do
    "$bin/lumivo-sign" --listen 127.0.0.1:0 >"$home/sign$s.out" &
    pids="$pids $!"
done
sleep 1
for s in $(seq 32); do
    port=$(sed -n 's/^listening on 127.0.0.1:\([0-9]*\).*/\1/p' "$home/sign$s.out")
    printf '[Sign S%s]\nPort=tcp://127.0.0.1:%s\nID=01\n\n' "$s" "$port" >>"$ini"
done
for f in 0 1 2 3 4 5 6 7 8 9; do
    echo "value $f" >"$home/field$f.txt"
    printf '[Field f%s]\nsource=file\npath=%s/field%s.txt\nrefresh=5\n\n' "$f" "$home" "$f" >>"$ini"
done
"$bin/lumivod" --listen 127.0.0.1:0 >"$home/lumivod.out" 2>"$home/lumivod.err" &
pid=$!
pids="$pids $pid"
sleep 1
port=$(sed -n 's/^listening on 127.0.0.1:\([0-9]*\).*/\1/p' "$home/lumivod.out")
token=$("$bin/lumivod" --show-token)
i=0
while [ "$i" -lt 32 ]; do
    i=$((i + 1))
    curl -s -o /dev/null -H "Authorization: Bearer $token" \
        -d "{\"text\":\"{time:%H:%M} {f$((i % 10))}\"}" \
        "http://127.0.0.1:$port/api/signs/S$i/pages/A"
done
sleep 15 # the first sends go out
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
before=$(ticks)
sleep "$seconds"
after=$(ticks)
hz=$(getconf CLK_TCK)
echo "lumivod idle, 32 signs, 10 fields, ${seconds} s: $((after - before)) ticks of 1/${hz} s"
awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" \
    'BEGIN { printf "CPU: %.3f %% of one core\n", 100 * t / hz / s }'
sent=$(grep -c 'page A: ' "$home/lumivod.err" || true)
echo "page sends logged: $sent"
curl -s -H "Authorization: Bearer $token" "http://127.0.0.1:$port/api/signs/S1" | head -c 600
echo
