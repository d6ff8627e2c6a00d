#!/usr/bin/env python3
"""Cold start of the window: from exec to the first window mapped on an X
server of its own (Xvfb), against a minimal Qt Quick window, alternated so
both see the same machine. Prints the medians and their ratio, for each
round, then the median of the rounds' ratios (a loaded machine moves single
rounds by a tenth or more).

  bench/window_cold_start.py [build-dir] [runs] [rounds]      (default: build, 15, 1)

Needs Xvfb and xev (Debian: xvfb, x11-utils)."""
import os, select, statistics, subprocess, sys, tempfile, time

build = sys.argv[1] if len(sys.argv) > 1 else "build"
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 15
rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 1
programs = {"veristamp": os.path.join(build, "bin", "veristamp"),
            "minimal Qt Quick window": os.path.join(build, "bin", "minimal_quick_window")}


def start_display():
    for number in range(91, 120):
        if not os.path.exists(f"/tmp/.X11-unix/X{number}"):
            server = subprocess.Popen(["Xvfb", f":{number}", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            for _ in range(100):
                if os.path.exists(f"/tmp/.X11-unix/X{number}"):
                    return server, f":{number}"
                time.sleep(0.05)
            server.kill()
    sys.exit("no free X display")


def time_to_map(program, display, home):
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", HOME=home, XDG_RUNTIME_DIR=home)
    env.pop("VERISTAMP_REPLAY_RECORDS", None)
    watcher = subprocess.Popen(["xev", "-root", "-event", "substructure"], env=env, stdout=subprocess.PIPE, text=True)
    time.sleep(0.3)  # xev is listening before the program starts
    started = time.monotonic()
    child = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    elapsed = None
    while elapsed is None and time.monotonic() - started < 30:
        if not select.select([watcher.stdout], [], [], 1.0)[0]:
            continue
        line = watcher.stdout.readline()
        if not line:
            break
        if line.startswith("MapNotify"):
            elapsed = time.monotonic() - started
    if elapsed is None:
        sys.exit(f"{program}: no window within 30 s")
    child.kill(); child.wait(); watcher.kill(); watcher.wait()
    return elapsed


def one_round(display, home):
    samples = {name: [] for name in programs}
    for _ in range(runs):
        for name, program in programs.items():
            samples[name].append(time_to_map(program, display, home))
    medians = {name: statistics.median(values) for name, values in samples.items()}
    for name, median in medians.items():
        print(f"{name}: median {median * 1000:.0f} ms over {runs} runs")
    ratio = medians["veristamp"] / medians["minimal Qt Quick window"]
    print(f"ratio: {ratio:.2f}", flush=True)
    return ratio


def main():
    server, display = start_display()
    try:
        with tempfile.TemporaryDirectory() as home:
            for name, program in programs.items():
                time_to_map(program, display, home)  # warm the file cache
            ratios = [one_round(display, home) for _ in range(rounds)]
    finally:
        server.kill(); server.wait()
    if rounds > 1:
        print(f"median ratio over {rounds} rounds: {statistics.median(ratios):.2f}")


main()
