#!/usr/bin/env python3
"""Selections and scale: what skelder-cli's catalog reads cost against tdsim.

Usage: bench/selection_bench.py [--build build] [--tables 2000] [--latencies 0,20,150]
                                [--scale 1000,5000,20000] [--large] [--skip-selections]
                                [--skip-scale] [--keep]

1. Selections: out of a database of --tables tables with constraints
   (testdata/generate_large_db.py --constraints), the script of 1, 7, 8, 9 and 50 tables,
   of every table and of 1 procedure, every option on (--drop --triggers --indexes
   --grants), at each tdsim --latency-ms of --latencies: the requests tdsim counted
   (sp_tdsim_stats; login, listing and script included) and the wall time, in the default
   read mode and, for the small selections, with --per-object-reads, whose script must be
   the same byte for byte. Wall time is the median of 3 runs where one run takes under
   10 s, else one run.
2. Scale: every object of databases of --scale tables with constraints at 20 ms (--large
   adds 50,000 and 100,000 tables): one run's wall time, requests, client CPU and peak
   resident memory (/usr/bin/time), tdsim's CPU for the run (/proc/PID/stat) and its
   resident memory after loading and its peak during the run (/proc/PID/status VmRSS,
   VmHWM after clearing it through /proc/PID/clear_refs), next to one bsqldb batch of
   `select *` of the catalog tables the reads use.

Needs bsqldb (FreeTDS) and /usr/bin/time (Debian's package `time`). Every tdsim it starts
is stopped and reaped before it starts the next and when it ends, however it ends; it
never signals any other process. Runs by hand only, one heavy step at a time.
"""

import argparse
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
GENERATOR = os.path.join(SOURCE, "testdata", "generate_large_db.py")
EVERY_OPTION = ["--drop", "--triggers", "--indexes", "--grants", "--no-header"]
SELECTION_SIZES = [1, 7, 8, 9, 50]
CATALOG_TABLES = ["sysobjects", "syscolumns", "sysindexes", "syscomments", "sysprotects",
                  "sysconstraints", "sysreferences", "sysdepends", "sysusers", "systypes"]
DATABASE = "large"
MEDIAN_BELOW_SECONDS = 10.0
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


class Tdsim:
    """One tdsim process of this run, with its interfaces file; stopped by stop() or
    on leaving a `with` block, and reaped either way."""

    def __init__(self, build, work, init_file, latency_ms):
        self.sybase = tempfile.mkdtemp(prefix="sybase-", dir=work)
        os.makedirs(os.path.join(self.sybase, "ini"))
        self.err = open(os.path.join(self.sybase, "tdsim.err"), "w")
        started = time.monotonic()
        self.process = subprocess.Popen(
            [os.path.join(build, "bin", "tdsim"), "--port", "0", "--latency-ms",
             str(latency_ms), "--init", init_file],
            stdout=subprocess.PIPE, stderr=self.err, text=True)
        try:
            # The first line comes once the init script has run, however long that takes.
            line = self.process.stdout.readline()
        except BaseException:
            self.stop()
            raise
        match = re.match(r"listening on 127\.0\.0\.1:(\d+)", line)
        if not match:
            self.stop()
            with open(self.err.name) as err:
                raise RuntimeError("tdsim did not start: " + line + err.read())
        self.load_seconds = time.monotonic() - started
        interfaces = os.path.join(self.sybase, "ini", "sql.ini")
        with open(interfaces, "w") as out:
            out.write("[BENCH]\n    host = 127.0.0.1\n    port = %s\n"
                      "    tds version = 5.0\n" % match.group(1))
        self.env = dict(os.environ, SYBASE=self.sybase, FREETDSCONF=interfaces)

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.stop()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=30)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.process.stdout.close()
        self.err.close()

    def cpu_seconds(self):
        with open("/proc/%d/stat" % self.process.pid) as stat:
            # The fields after the command name, whose parentheses close the second one.
            fields = stat.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS

    def memory_kib(self, field):
        with open("/proc/%d/status" % self.process.pid) as status:
            for line in status:
                if line.startswith(field + ":"):
                    return int(line.split()[1])
        raise RuntimeError(field + " missing from /proc status")

    def clear_peak_memory(self):
        """Sets VmHWM back to the present resident size; False where the kernel refuses."""
        try:
            with open("/proc/%d/clear_refs" % self.process.pid, "w") as refs:
                refs.write("5")
            return True
        except OSError:
            return False

    def bsqldb(self, sql, work, database="master"):
        path = os.path.join(work, "batch.sql")
        with open(path, "w") as out:
            out.write(sql + "\ngo\n")
        return subprocess.run(
            ["bsqldb", "-S", "BENCH", "-U", "sa", "-P", "", "-D", database, "-q", "-t", " ",
             "-i", path], env=self.env, check=True, stdout=subprocess.PIPE,
            stderr=subprocess.DEVNULL, text=True).stdout

    def requests(self, work):
        """The requests tdsim has counted since it started."""
        for line in self.bsqldb("exec sp_tdsim_stats", work).splitlines():
            fields = line.split()
            if fields and fields[0].isdigit():
                return int(fields[0])
        raise RuntimeError("sp_tdsim_stats gave no figures")


class RequestCounter:
    """Requests of what runs between start() and stop(), the counting itself taken off."""

    def __init__(self, server, work):
        self.server, self.work = server, work
        first = server.requests(work)
        self.own_cost = server.requests(work) - first

    def start(self):
        self.before = self.server.requests(self.work)

    def stop(self):
        return self.server.requests(self.work) - self.before - self.own_cost


def cli_command(build, args):
    return [os.path.join(build, "bin", "skelder-cli"), "-S", "BENCH", "-U", "sa", "-P", "",
            "--settings", "/dev/null", "--quiet", "-D", DATABASE] + EVERY_OPTION + args


def generate(work, tables):
    path = os.path.join(work, "tables-%d.sql" % tables)
    with open(path, "w") as out:
        subprocess.run([sys.executable, GENERATOR, "--tables", str(tables), "--columns", "10",
                        "--constraints", "--database", DATABASE], stdout=out, check=True)
    return path


def table_names(tables, count):
    """`count` tables spread evenly over the database, the first one included."""
    return ["dbo.tab_%05d" % (k * tables // count) for k in range(count)]


def selections(tables):
    """(label, selection arguments, whether per-object reads are measured too)."""
    cases = []
    for count in SELECTION_SIZES:
        objects = []
        for name in table_names(tables, count):
            objects += ["--object", name]
        cases.append(("%d table%s" % (count, "" if count == 1 else "s"),
                      ["--kind", "tables"] + objects, True))
    cases.append(("all %d tables" % tables, ["--kind", "tables"], False))
    cases.append(("1 procedure", ["--kind", "procedures", "--object", "dbo.tab_00000_get"],
                  True))
    return cases


def timed_run(command, env, output):
    """Wall seconds of one run of `command` writing `output`."""
    started = time.monotonic()
    subprocess.run(command + ["-o", output], env=env, check=True)
    return time.monotonic() - started


def measure(server, counter, command, output):
    """(median wall seconds, runs, requests): one run, three where one is under 10 s."""
    counter.start()
    walls = [timed_run(command, server.env, output)]
    requests = counter.stop()
    if walls[0] < MEDIAN_BELOW_SECONDS:
        walls += [timed_run(command, server.env, output) for _ in range(2)]
    return statistics.median(walls), len(walls), requests


def same_bytes(a, b):
    with open(a, "rb") as first, open(b, "rb") as second:
        return first.read() == second.read()


def selection_part(args, work):
    init = generate(work, args.tables)
    print("== selections out of %d tables with constraints, every option" % args.tables)
    print("| latency | selection | objects listed | requests | time | per object: requests "
          "| time |")
    print("|---|---|---|---|---|---|---|")
    for latency in args.latencies:
        with Tdsim(args.build, work, init, latency) as server:
            counter = RequestCounter(server, work)
            for label, selection, per_object in selections(args.tables):
                command = cli_command(args.build, selection)
                listed = subprocess.run(command + ["--list"], env=server.env, check=True,
                                        stdout=subprocess.PIPE, text=True).stdout.count("\n")
                whole = os.path.join(work, "default.sql")
                wall, runs, requests = measure(server, counter, command, whole)
                row = "| %d ms | %s | %d | %d | %s |" % (latency, label, listed, requests,
                                                        seconds(wall, runs))
                if per_object:
                    alone = os.path.join(work, "per-object.sql")
                    wall, runs, requests = measure(
                        server, counter, command + ["--per-object-reads"], alone)
                    row += " %d | %s |" % (requests, seconds(wall, runs))
                    if not same_bytes(whole, alone):
                        row += " scripts differ"
                        shutil.copy(alone, whole + ".%s.%d" % (label.replace(" ", "-"),
                                                               latency))
                else:
                    row += " | |"
                print(row, flush=True)


def seconds(wall, runs):
    return "%.2f s%s" % (wall, "" if runs > 1 else " (1 run)")


def time_report(path):
    """(user + system seconds, peak resident KiB) from /usr/bin/time -f '%U %S %M'."""
    with open(path) as report:
        user, system, peak = report.read().split()[-3:]
    return float(user) + float(system), int(peak)


def plain_read(server, counter, work):
    """(seconds, requests) of one bsqldb batch of select * of the catalog tables."""
    sql = "\n".join("select * from " + table for table in CATALOG_TABLES)
    counter.start()
    started = time.monotonic()
    server.bsqldb(sql, work, DATABASE)
    wall = time.monotonic() - started
    return wall, counter.stop()


def scale_part(args, work):
    sizes = args.scale + ([50000, 100000] if args.large else [])
    print("== every object of databases with constraints, every option, 20 ms, one run")
    print("| tables | objects | tdsim load | time | ms a table | requests | client CPU "
          "| client peak | tdsim CPU | tdsim after load | tdsim peak | plain read "
          "| its requests |")
    print("|---|---|---|---|---|---|---|---|---|---|---|---|---|")
    for tables in sizes:
        init = generate(work, tables)
        with Tdsim(args.build, work, init, 20) as server:
            counter = RequestCounter(server, work)
            listed = subprocess.run(cli_command(args.build, ["--list"]), env=server.env,
                                    check=True, stdout=subprocess.PIPE,
                                    text=True).stdout.count("\n")
            loaded_kib = server.memory_kib("VmRSS")
            peak_note = "" if server.clear_peak_memory() else " (with load)"
            cpu_before = server.cpu_seconds()
            report = os.path.join(work, "time.txt")
            counter.start()
            started = time.monotonic()
            subprocess.run(["/usr/bin/time", "-f", "%U %S %M", "-o", report] +
                           cli_command(args.build, ["-o", os.path.join(work, "scale.sql")]),
                           env=server.env, check=True)
            wall = time.monotonic() - started
            requests = counter.stop()
            tdsim_cpu = server.cpu_seconds() - cpu_before
            tdsim_peak_kib = server.memory_kib("VmHWM")
            client_cpu, client_peak_kib = time_report(report)
            plain_wall, plain_requests = plain_read(server, counter, work)
        print("| %d | %d | %.1f s | %.2f s | %.2f | %d | %.2f s | %.1f MiB | %.2f s "
              "| %.1f MiB | %.1f MiB%s | %.2f s | %d |" % (
                  tables, listed, server.load_seconds, wall, 1000 * wall / tables, requests,
                  client_cpu, client_peak_kib / 1024, tdsim_cpu, loaded_kib / 1024,
                  tdsim_peak_kib / 1024, peak_note, plain_wall, plain_requests), flush=True)
        os.remove(init)


def main():
    parser = argparse.ArgumentParser(
        description=__doc__.splitlines()[0], epilog=__doc__.split("\n\n", 2)[2],
        formatter_class=argparse.RawDescriptionHelpFormatter)
    numbers = lambda text: [int(n) for n in text.split(",") if n]
    parser.add_argument("--build", default=os.path.join(SOURCE, "build"),
                        help="build directory with bin/skelder-cli and bin/tdsim")
    parser.add_argument("--tables", type=int, default=2000,
                        help="tables of the database the selections come from")
    parser.add_argument("--latencies", type=numbers, default=[0, 20, 150],
                        help="tdsim --latency-ms values of the selections, comma-separated")
    parser.add_argument("--scale", type=numbers, default=[1000, 5000, 20000],
                        help="database sizes of the scale curve, comma-separated")
    parser.add_argument("--large", action="store_true",
                        help="add 50,000 and 100,000 tables to the scale curve (long)")
    parser.add_argument("--skip-selections", action="store_true")
    parser.add_argument("--skip-scale", action="store_true")
    parser.add_argument("--keep", action="store_true",
                        help="keep the working directory (scripts, tdsim's messages)")
    args = parser.parse_args()
    for tool in ["bsqldb", "/usr/bin/time"]:
        if not shutil.which(tool):
            parser.error(tool + " is needed")
    # An interrupt or a termination unwinds through the `with` blocks that stop tdsim.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    work = tempfile.mkdtemp(prefix="skelder-selection-bench-")
    try:
        if not args.skip_selections:
            selection_part(args, work)
        if not args.skip_scale:
            scale_part(args, work)
    finally:
        if args.keep:
            print("working directory: " + work, file=sys.stderr)
        else:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
