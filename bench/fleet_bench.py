#!/usr/bin/env python3
"""A fleet over MQTT: one mosquitto, LUMIVODS lumivod processes with SIGNS virtual signs each (on
TCP), COMMANDS page commands published with mosquitto_pub at RATE a second, spread over every sign
and the letters A-D, the broker stopped and started again on the same port half way through.

It prints:
- commands lost: each published command must reach its sign once, or have been replaced while it
  waited by a newer one for the same sign and letter; each sign must end holding the last page
  published for each letter (read from the virtual signs' frame logs);
- the states published per lumivod, and whether each sign's last state holds its last pages;
- the time from a command reaching the broker (or the sign's line coming free, when it was busy)
  to the sign receiving the first frame of its transfer: the time beyond the line's own, at the
  median, 95th and 99th percentile, over every command sent and over those not published while
  the broker was away;
- each lumivod's peak memory (VmHWM).

Usage: bench/fleet_bench.py [BUILD_DIR]   (default: build)
Environment: LUMIVODS (8), SIGNS (4), COMMANDS (1000), RATE (40), SEED (1); KEEP=1 keeps the
work folder (logs, frame logs, what the subscribers got).
"""
import datetime
import getpass
import json
import os
import random
import shutil
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import time

BUILD = sys.argv[1] if len(sys.argv) > 1 else "build"
LUMIVODS = int(os.environ.get("LUMIVODS", 8))
SIGNS = int(os.environ.get("SIGNS", 4))
COMMANDS = int(os.environ.get("COMMANDS", 1000))
RATE = float(os.environ.get("RATE", 40))
LETTERS = "ABCD"
BROKER = "/usr/sbin/mosquitto"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_until(done, seconds, what):
    deadline = time.time() + seconds
    while not done():
        if time.time() > deadline:
            sys.exit(f"fleet_bench: {what} did not happen within {seconds} s")
        time.sleep(0.02)


def log_time(text):
    return datetime.datetime.fromisoformat(text.replace("Z", "+00:00")).timestamp()


def percentile(values, share):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(share * len(ordered)))] if ordered else float("nan")


def main():
    for program in ("lumivod", "lumivo-sign"):
        if not os.access(f"{BUILD}/bin/{program}", os.X_OK):
            sys.exit(f"fleet_bench: {BUILD}/bin/{program} is not built")
    if not os.access(BROKER, os.X_OK):
        sys.exit(f"fleet_bench: {BROKER} is missing (Debian package mosquitto)")
    work = tempfile.mkdtemp(prefix="fleet-bench-")
    port = free_port()
    with open(f"{work}/mosquitto.conf", "w") as conf:
        # Persistence keeps the sessions (and what waits in them) across the restart; started as
        # root, mosquitto would otherwise change to its own user, who cannot write the folder.
        conf.write(f"listener {port} 127.0.0.1\nallow_anonymous true\npersistence true\n"
                   f"persistence_location {work}/\nuser {getpass.getuser()}\n")
    children = []

    def start(args, **kw):
        child = subprocess.Popen(args, **kw)
        children.append(child)
        return child

    def start_broker():
        return start([BROKER, "-c", f"{work}/mosquitto.conf"], stdout=subprocess.DEVNULL,
                     stderr=open(f"{work}/mosquitto.log", "a"))

    client = ["-h", "127.0.0.1", "-p", str(port)]

    def publish(topic, payload):
        return subprocess.run(["mosquitto_pub", *client, "-q", "1", "-t", topic, "-m", payload],
                              stderr=subprocess.DEVNULL).returncode == 0

    try:
        broker = start_broker()
        wait_until(lambda: publish("fleet/probe", "up"), 5, "the broker's start")
        subs = [start(["mosquitto_sub", *client, "-q", "1", "-c", "-i", f"fleet-{name}", "-F",
                       "%U %t %p", "-t", topic], stdout=open(f"{work}/{name}.txt", "w"))
                for name, topic in (("commands", "lumivo/+/page/+/set"),
                                    ("states", "lumivo/+/state"))]

        signs = []  # (name, log path)
        services = []  # (process, stderr path)
        for n in range(1, LUMIVODS + 1):
            home = f"{work}/lumivod{n}"
            os.mkdir(home)
            ini = f"[MQTT]\nhost=127.0.0.1\nport={port}\nclient_id=fleet-{n}\n\n"
            for s in range(1, SIGNS + 1):
                name, log = f"L{n}S{s}", f"{home}/sign{s}.jsonl"
                sign = start([f"{BUILD}/bin/lumivo-sign", "--listen", "127.0.0.1:0", "--id",
                              f"{s:02X}", "--log", log], stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, text=True)
                sign_port = sign.stdout.readline().strip().rsplit(":", 1)[1]
                ini += f"[Sign {name}]\nPort=tcp://127.0.0.1:{sign_port}\nID={s:02X}\n\n"
                signs.append((name, log))
            with open(f"{home}/lumivo.INI", "w") as f:
                f.write(ini)
            err = f"{home}/lumivod.err"
            service = start([f"{BUILD}/bin/lumivod", "--listen", "127.0.0.1:0"],
                            env={**os.environ, "LUMIVO_HOME": home},
                            stdout=subprocess.DEVNULL, stderr=open(err, "w"))
            services.append((service, err))
        for _, err in services:
            wait_until(lambda: "MQTT: connected" in open(err).read(), 10, "a lumivod's connect")
        time.sleep(0.5)  # the subscribers' subscriptions are in place

        rng = random.Random(int(os.environ.get("SEED", 1)))
        commands = []  # dicts: sign, letter, text, published (after mosquitto_pub returned)
        began = time.time()
        restart = None  # (stopped, started again)
        for i in range(COMMANDS):
            if i == COMMANDS // 2:
                stopped = time.time()
                broker.send_signal(signal.SIGTERM)
                broker.wait()
                broker = start_broker()
                restart = (stopped, time.time())
            time.sleep(max(0.0, began + i / RATE - time.time()))
            sign = rng.choice(signs)[0]
            letter = rng.choice(LETTERS)
            text = f"Order {i:04d} <CR>ready"
            while not publish(f"lumivo/{sign}/page/{letter}/set", text):
                time.sleep(0.05)  # the broker is away: published once it is back
            commands.append({"sign": sign, "letter": letter, "text": text,
                             "published": time.time()})
        published_all = time.time()

        last = {}
        for c in commands:
            last[(c["sign"], c["letter"])] = c["text"]

        def frames(log):
            try:
                with open(log) as f:
                    return [json.loads(line) for line in f if line.strip()]
            except FileNotFoundError:
                return []

        def holding(log):
            held = {}
            for frame in frames(log):
                if frame.get("kind") == "page":
                    payload = frame["payload"]
                    held[payload[payload.find("<P") + 2]] = payload
            return held

        def settled():
            for name, log in signs:
                held = holding(log)
                for letter in LETTERS:
                    want = last.get((name, letter))
                    if want and not held.get(letter, "").endswith(want):
                        return False
            return True

        deadline = time.time() + 60
        while not settled() and time.time() < deadline:
            time.sleep(0.1)
        time.sleep(1.0)  # the last states
        peaks = []
        for service, _ in services:
            with open(f"/proc/{service.pid}/status") as status:
                peaks.append(next(l.split(":")[1].strip() for l in status if l.startswith("VmHWM")))
        for sub in subs:
            sub.terminate()
            sub.wait()

        # Where each command's text was sent, and when its transfer began.
        delivered = {}
        with open(f"{work}/commands.txt") as f:
            for line in f:
                parts = line.rstrip("\n").split(" ", 2)
                if len(parts) == 3:
                    delivered.setdefault(parts[2], float(parts[0]))
        sent = {}  # text -> list of (began, line free since)
        for name, log in signs:
            previous_end = None
            transfer_began = None
            for frame in frames(log):
                at = log_time(frame["time"])
                if frame["kind"] == "begin-transfer":
                    transfer_began = (at, previous_end)
                elif frame["kind"] == "end-transfer":
                    previous_end = at
                elif frame["kind"] == "page":
                    text = frame["payload"].split("<FE>")[-1]
                    sent.setdefault((name, text), []).append(transfer_began)

        later = {}
        lost, replaced, twice, overheads, overheads_up = [], 0, 0, [], []
        for i in reversed(range(len(commands))):
            c = commands[i]
            key = (c["sign"], c["letter"])
            got = sent.get((c["sign"], c["text"]), [])
            if len(got) > 1:
                twice += 1
            if not got:
                if key in later:
                    replaced += 1
                else:
                    lost.append(c["text"])
            else:
                at_broker = min(delivered.get(c["text"], c["published"]), c["published"])
                transfer_at, line_free = got[0]
                ready = max(at_broker, line_free or 0.0)
                overhead = (transfer_at - ready) * 1000
                overheads.append(overhead)
                if not restart or not restart[0] <= c["published"] <= restart[1] + 2.0:
                    overheads_up.append(overhead)
            later[key] = True
        wrong_end = [f"{name} {letter}" for name, log in signs for letter in LETTERS
                     if last.get((name, letter))
                     and not holding(log).get(letter, "").endswith(last[(name, letter)])]

        states = {}
        last_state = {}
        with open(f"{work}/states.txt") as f:
            for line in f:
                parts = line.rstrip("\n").split(" ", 2)
                if len(parts) == 3:
                    sign = parts[1].split("/")[1]
                    states[sign] = states.get(sign, 0) + 1
                    last_state[sign] = parts[2]
        stale = []
        for name, _ in signs:
            pages = json.loads(last_state.get(name, "{}")).get("pages", {})
            for letter in LETTERS:
                want = last.get((name, letter))
                if want and pages.get(letter, {}).get("text") != want:
                    stale.append(f"{name} {letter}")
        replaced_logged = sum(open(err).read().count("replaced by a newer one")
                              for _, err in services)

        print(f"fleet: {LUMIVODS} lumivod x {SIGNS} signs, {len(commands)} page commands at "
              f"{RATE:g}/s over {published_all - began:.1f} s; broker restarted at command "
              f"{COMMANDS // 2} (away {1000 * (restart[1] - restart[0]):.0f} ms)")
        print(f"commands lost: {len(lost)}{' ' + ', '.join(lost[:5]) if lost else ''}; "
              f"sent: {len(overheads)}; replaced while waiting: {replaced} "
              f"(lumivod logged {replaced_logged}); sent twice: {twice}")
        print(f"signs ending without their last page: {len(wrong_end)} {' '.join(wrong_end[:8])}")
        for n in range(1, LUMIVODS + 1):
            names = [f"L{n}S{s}" for s in range(1, SIGNS + 1)]
            print(f"lumivod {n}: states published {sum(states.get(s, 0) for s in names)} "
                  f"({' '.join(str(states.get(s, 0)) for s in names)}); VmHWM {peaks[n - 1]}")
        print(f"last state of each sign holds its last pages: "
              f"{'yes' if not stale else 'no: ' + ' '.join(stale[:8])}")
        for label, values in (("all sent", overheads),
                              ("broker up (not within 2 s of the restart)", overheads_up)):
            print(f"time beyond the line's own, {label} ({len(values)}): median "
                  f"{statistics.median(values):.1f} ms, 95th {percentile(values, 0.95):.1f} ms, "
                  f"99th {percentile(values, 0.99):.1f} ms, max {max(values):.1f} ms")
        return 0 if not lost and not wrong_end and not stale and not twice else 1
    finally:
        for child in reversed(children):
            if child.poll() is None:
                child.terminate()
        for child in children:
            try:
                child.wait(timeout=3)
            except subprocess.TimeoutExpired:
                child.kill()
        if os.environ.get("KEEP"):
            print(f"fleet_bench: kept {work}")
        else:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
