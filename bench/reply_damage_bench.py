#!/usr/bin/env python3
"""The damage matrix: skelder-cli scripts database demo through a proxy that damages one
server reply, for every reply of a clean run and every kind of damage, each time with -o
onto an earlier script. Prints the outcome of each kind and the totals.

Usage: bench/reply_damage_bench.py [--build build] [--kinds a,b] [--replies 0-9,12]
                                   [--jobs 2] [--timeout 2] [--drip-ms 700] [--verbose]

An outcome is acceptable when the run
  * exits 1 with a message and leaves the earlier file byte for byte as it was,
  * or exits 4 and names on standard error each object it did not script,
  * or exits 0 with the very script of a clean run (the damage changed nothing),
and ends within the login and command timeouts plus the clean run's time and a margin.
The exit status of the script is 0 when every run was acceptable, 1 otherwise.
"""

import argparse
import collections
import concurrent.futures
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PROXY = os.path.join(SOURCE, "tests", "faults", "reply_damage_proxy.py")
KINDS = ["truncate", "stall", "close", "garbage", "wrong-token", "cut", "doubled",
         "row-without-format", "zeroed-row", "drip", "flood"]
EARLIER = b"-- an earlier script, kept when a run fails\r\n"
MARGIN_SECONDS = 10


def start_listening(command, log):
    """Starts `command`, which prints "listening on 127.0.0.1:PORT"; (process, port)."""
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=log, text=True)
    line = process.stdout.readline()
    match = re.match(r"listening on 127\.0\.0\.1:(\d+)", line)
    if not match:
        process.kill()
        raise RuntimeError("%s did not start: %r" % (command[0], line))
    return process, int(match.group(1))


def stop(process):
    process.kill()
    process.wait()


def write_interfaces(directory, port):
    os.makedirs(os.path.join(directory, "ini"), exist_ok=True)
    with open(os.path.join(directory, "ini", "sql.ini"), "w") as out:
        out.write("[DEMO]\n    host = 127.0.0.1\n    port = %d\n    tds version = 5.0\n" % port)


class Matrix:
    def __init__(self, args):
        self.args = args
        self.cli = os.path.join(args.build, "bin", "skelder-cli")
        self.tdsim = os.path.join(args.build, "bin", "tdsim")
        self.work = tempfile.mkdtemp(prefix="skelder-damage-")
        self.settings = os.path.join(self.work, "settings.ini")
        open(self.settings, "w").close()
        self.server, self.port = start_listening(
            [self.tdsim, "--port", "0", "--init", os.path.join(SOURCE, "testdata", "demo.sql")],
            subprocess.DEVNULL)
        self.limit = 0.0
        self.clean_script = b""

    def close(self):
        stop(self.server)
        shutil.rmtree(self.work, ignore_errors=True)

    def cli_arguments(self, output):
        t = str(self.args.timeout)
        return [self.cli, "-S", "DEMO", "-U", "sa", "-P", "", "--settings", self.settings,
                "-D", "demo", "--drop", "--triggers", "--indexes", "--grants", "--no-header",
                "--login-timeout", t, "--command-timeout", t, "-o", output]

    def run(self, kind, reply):
        """One run: (exit status or None when killed, standard error, the output file's
        content, seconds, replies the proxy passed)."""
        directory = tempfile.mkdtemp(dir=self.work)
        count_file = os.path.join(directory, "replies")
        with open(os.path.join(directory, "proxy.err"), "w") as log:
            proxy, port = start_listening(
                [sys.executable, PROXY, "--target-port", str(self.port), "--reply", str(reply),
                 "--damage", kind, "--drip-ms", str(self.args.drip_ms), "--count-file",
                 count_file], log)
        write_interfaces(directory, port)
        output = os.path.join(directory, "demo.sql")
        with open(output, "wb") as out:
            out.write(EARLIER)
        env = dict(os.environ, SYBASE=directory,
                   FREETDSCONF=os.path.join(directory, "ini", "sql.ini"))
        env.pop("SKELDER_PASSWORD", None)
        started = time.monotonic()
        hard_limit = self.limit + 15 if self.limit else 120
        try:
            done = subprocess.run(self.cli_arguments(output), env=env, capture_output=True,
                                  timeout=hard_limit, stdin=subprocess.DEVNULL)
            code, err = done.returncode, done.stderr.decode("utf-8", "replace")
        except subprocess.TimeoutExpired:
            code, err = None, ""
        seconds = time.monotonic() - started
        stop(proxy)
        replies = int(open(count_file).read() or 0) if os.path.exists(count_file) else 0
        with open(output, "rb") as result:
            script = result.read()
        shutil.rmtree(directory, ignore_errors=True)
        return code, err.strip(), script, seconds, replies

    def classify(self, code, err, script, seconds):
        if code is None:
            return "endless (killed)"
        if self.limit and seconds > self.limit:
            return "too slow, exit %d" % code
        if code == 0:
            return "exit 0, clean script" if script == self.clean_script else \
                "exit 0, DIFFERENT script"
        if code == 1:
            if script != EARLIER:
                return "exit 1, EARLIER FILE CHANGED"
            return "exit 1, earlier file kept" if err else "exit 1, NO MESSAGE"
        if code == 4:
            return "exit 4, objects named" if "not scripted:" in err else "exit 4, NONE NAMED"
        if code < 0:
            return "KILLED BY SIGNAL %d" % -code
        return "EXIT %d" % code


def acceptable(outcome):
    return outcome in ("exit 0, clean script", "exit 1, earlier file kept",
                       "exit 4, objects named")


def parse_ranges(text, count):
    if not text:
        return list(range(count))
    chosen = []
    for part in text.split(","):
        low, _, high = part.partition("-")
        chosen.extend(range(int(low), int(high or low) + 1))
    return [r for r in chosen if r < count]


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=os.path.join(SOURCE, "build"))
    parser.add_argument("--kinds", default=",".join(KINDS))
    parser.add_argument("--replies", default="")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--timeout", type=int, default=2)
    parser.add_argument("--drip-ms", type=int, default=700)
    parser.add_argument("--verbose", action="store_true")
    args = parser.parse_args()
    matrix = Matrix(args)
    try:
        # The clean run gives the script every harmless damage must give as well.
        code, err, script, seconds, replies = matrix.run("none", -1)
        if code != 0:
            print("the clean run failed: exit %s, %s" % (code, err), file=sys.stderr)
            return 1
        matrix.clean_script = script
        matrix.limit = 2 * args.timeout + seconds + MARGIN_SECONDS
        kinds = args.kinds.split(",")
        indexes = parse_ranges(args.replies, replies)
        print("clean run: %d replies, %.1f s; %d kinds x %d replies = %d runs, limit %.0f s"
              % (replies, seconds, len(kinds), len(indexes), len(kinds) * len(indexes),
                 matrix.limit))
        jobs = [(kind, reply) for kind in kinds for reply in indexes]
        results = collections.defaultdict(collections.Counter)
        bad = []
        started = time.monotonic()
        with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
            futures = {pool.submit(matrix.run, kind, reply): (kind, reply) for kind, reply in jobs}
            for future in concurrent.futures.as_completed(futures):
                kind, reply = futures[future]
                code, err, script, seconds, _ = future.result()
                outcome = matrix.classify(code, err, script, seconds)
                results[kind][outcome] += 1
                if not acceptable(outcome):
                    bad.append((kind, reply, outcome, seconds, err))
                if args.verbose:
                    print("%-20s reply %3d: %-28s %5.1f s  %s"
                          % (kind, reply, outcome, seconds, err.splitlines()[-1] if err else ""),
                          flush=True)
        totals = collections.Counter()
        for kind in kinds:
            print("%-20s %s" % (kind, ", ".join("%s: %d" % item
                                                for item in sorted(results[kind].items()))))
            totals.update(results[kind])
        print("all %d runs (%.0f s): %s" % (len(jobs), time.monotonic() - started,
                                            ", ".join("%s: %d" % i for i in sorted(totals.items()))))
        for kind, reply, outcome, seconds, err in sorted(bad):
            print("  not acceptable: %s at reply %d: %s after %.1f s: %s"
                  % (kind, reply, outcome, seconds, " | ".join(err.splitlines()[-2:])))
        return 0 if not bad else 1
    finally:
        matrix.close()


if __name__ == "__main__":
    signal.signal(signal.SIGINT, signal.SIG_DFL)
    sys.exit(main())
