#!/usr/bin/env python3
"""Loads public schema scripts (testdata/real/*.sql) into tdsim and lists the
batches it rejects.

For every fixture a fresh tdsim is started on a free port, a database is
created for it (`create database fx`), and the script is run in that database
through FreeTDS's fisql, batch by batch as isql would send it. Every batch that
draws an error (severity above 10) is printed with the message number, the
message text and the first line of SQL in the batch; errors listed in
testdata/real/expected-errors.txt (those the real server raises too) are
marked as expected.

Why fisql and not bsqldb: bsqldb stops at the first message of severity above
10 and exits with the severity as its status, so it cannot report the later
batches of a script. fisql, like isql, reports the error and goes on. To tell
which batch a message belongs to, the loader sends `print '~~batch N~~'` as a
batch of its own before each batch of the script and splits fisql's output at
those lines. `--client bsqldb` runs every batch through its own bsqldb process
instead (a new connection per batch: `use` is followed, other session state
such as `set quoted_identifier on` is not).

Exit status: 0 when every failure is expected and every expected error of the
loaded fixtures was raised, 1 otherwise, 2 on a setup problem (tdsim does not
start, client missing).

Usage:
  tests/testserver/engine/load_real_schema.py [fixture.sql ...]
      [--tdsim build/bin/tdsim] [--client fisql|bsqldb] [--database fx]
      [--expected testdata/real/expected-errors.txt] [--summary] [--quiet]
With no fixture arguments every testdata/real/*.sql is loaded.
"""

import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[3]
MARK = "~~batch {}~~"
MARK_RE = re.compile(r"^~~batch (\d+)~~\s*$")
MSG_RE = re.compile(r"^Msg (\d+), Level (\d+), State (\d+):?\s*$")
SERVER_RE = re.compile(r"^Server '[^']*',(?: Procedure '([^']*)',)? Line (\d+):?\s*$")
GO_RE = re.compile(r"^\s*go(\s+\d+)?\s*$", re.I)
RESET_RE = re.compile(r"^\s*reset\s*$", re.I)


class Batch:
    def __init__(self, number, line, text, repeat=1):
        self.number = number      # 1-based, in script order
        self.line = line          # line of the fixture where the batch starts
        self.text = text
        self.repeat = repeat      # `go N` sends the batch N times
        self.errors = []          # (msgno, severity, text, procedure, line)

    def first_line(self):
        stripped = strip_comments(self.text)
        for ln in stripped.split("\n"):
            if ln.strip():
                return ln.strip()
        return "(comments only)"

    def statement_line(self):
        """Line in the fixture of the first SQL (non-comment) line."""
        stripped = strip_comments(self.text)
        for i, ln in enumerate(stripped.split("\n")):
            if ln.strip():
                return self.line + i
        return self.line


def strip_comments(sql):
    """Blanks out -- and /* */ comments (nested), keeping line breaks and strings."""
    out, i, n, depth = [], 0, len(sql), 0
    while i < n:
        c = sql[i]
        two = sql[i:i + 2]
        if depth:
            if two == "/*":
                depth += 1
                i += 2
            elif two == "*/":
                depth -= 1
                i += 2
            else:
                out.append("\n" if c == "\n" else " ")
                i += 1
            continue
        if two == "/*":
            depth = 1
            i += 2
        elif two == "--":
            while i < n and sql[i] != "\n":
                i += 1
        elif c in "'\"":
            j = i + 1
            while j < n:
                if sql[j] == c:
                    if j + 1 < n and sql[j + 1] == c:
                        j += 2
                        continue
                    break
                j += 1
            out.append(sql[i:j + 1])
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


def split_batches(text):
    """Splits a script the way isql does: a line `go [N]` ends a batch (sent N
    times), `reset` drops it."""
    batches, cur, start = [], [], 1
    for lineno, line in enumerate(text.split("\n"), 1):
        go = GO_RE.match(line)
        if go:
            body = "\n".join(cur)
            if body.strip():
                repeat = int(go.group(1)) if go.group(1) else 1
                batches.append(Batch(len(batches) + 1, start, body, repeat))
            cur, start = [], lineno + 1
        elif RESET_RE.match(line):
            cur, start = [], lineno + 1
        else:
            if not cur and not line.strip():
                start = lineno + 1
                continue
            cur.append(line)
    body = "\n".join(cur)
    if body.strip():
        batches.append(Batch(len(batches) + 1, start, body))
    return batches


def load_expected(path):
    rules = []
    if not path or not Path(path).exists():
        return rules
    for raw in Path(path).read_text(encoding="utf-8").split("\n"):
        line = raw.strip()
        if not line or line.startswith("#"):
            continue
        fields = [f.strip() for f in line.split("|")]
        if len(fields) < 3:
            continue
        rules.append((fields[0], int(fields[1]), fields[2].lower(),
                      fields[3] if len(fields) > 3 else ""))
    return rules


def is_expected(rules, fixture, msgno, batch, used=None):
    text = batch.text.lower()
    for index, (fx, num, needle, _) in enumerate(rules):
        if fx in (fixture, "*") and num == msgno and needle in text:
            if used is not None:
                used.add(index)
            return True
    return False


class Tdsim:
    def __init__(self, binary, workdir):
        self.errlog = open(workdir / "tdsim.err", "wb")
        self.proc = subprocess.Popen([str(binary), "--port", "0"], stdout=subprocess.PIPE,
                                     stderr=self.errlog, text=True)
        first = self.proc.stdout.readline()
        m = re.match(r"listening on 127\.0\.0\.1:(\d+)", first)
        if not m:
            self.stop()
            raise RuntimeError(f"tdsim did not start: {first!r}")
        self.port = int(m.group(1))
        conf = workdir / "freetds.conf"
        conf.write_text("[tdsim]\n    host = 127.0.0.1\n    port = %d\n"
                        "    tds version = 5.0\n" % self.port)
        self.env = dict(os.environ, FREETDSCONF=str(conf))

    def stop(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.proc.stdout.close()
        self.errlog.close()


# Messages of severity above 10 that leave the statement done: the server's warnings.
# 2007: a procedure or trigger names an object that does not exist yet; it is created
# anyway, without the sysdepends row.
WARNINGS = {2007}


def is_error(msg):
    return msg[1] > 10 and msg[0] not in WARNINGS


def parse_messages(lines):
    """Yields (msgno, severity, text, procedure, line) from fisql/bsqldb output lines."""
    i = 0
    while i < len(lines):
        m = MSG_RE.match(lines[i].strip())
        if not m:
            i += 1
            continue
        proc, where, text = "", 0, ""
        j = i + 1
        if j < len(lines):
            s = SERVER_RE.match(lines[j].strip())
            if s:
                proc, where = s.group(1) or "", int(s.group(2))
                j += 1
        if j < len(lines):
            text = lines[j].strip()
            j += 1
        yield int(m.group(1)), int(m.group(2)), text, proc, where
        i = j


def run_fisql(server, database, batches, workdir, timeout):
    script = workdir / "input.sql"
    with open(script, "w", encoding="utf-8") as f:
        for b in batches:
            f.write("print '%s'\ngo\n" % MARK.format(b.number))
            f.write(b.text.rstrip("\n") + ("\ngo %d\n" % b.repeat if b.repeat > 1 else "\ngo\n"))
        f.write("print '%s'\ngo\n" % MARK.format(len(batches) + 1))
    t0 = time.monotonic()
    res = subprocess.run(["fisql", "-S", "tdsim", "-U", "sa", "-P", "", "-D", database,
                          "-w", "250", "-i", str(script)],
                         env=server.env, capture_output=True, timeout=timeout)
    elapsed = time.monotonic() - t0
    out = (res.stdout + res.stderr).decode("utf-8", "replace").split("\n")
    by_batch, current, seen = {}, None, set()
    for line in out:
        m = MARK_RE.match(line.strip())
        if m:
            current = int(m.group(1))
            seen.add(current)
            by_batch[current] = []
        elif current is not None:
            by_batch[current].append(line)
    for b in batches:
        if b.number not in seen:
            b.errors.append((-1, 99, "no reply (connection lost or client stopped)", "", 0))
            continue
        for msg in parse_messages(by_batch.get(b.number, [])):
            if is_error(msg) and msg not in b.errors:   # `go N` repeats the same error
                b.errors.append(msg)
    return elapsed


def run_bsqldb(server, database, batches, workdir, timeout):
    use_re = re.compile(r"^\s*use\s+\[?(\w+)\]?\s*$", re.I)
    db = database
    t0 = time.monotonic()
    for b in batches:
        for _ in range(b.repeat):
            res = subprocess.run(["bsqldb", "-S", "tdsim", "-U", "sa", "-P", "", "-D", db, "-q"],
                                 input=b.text.encode("utf-8"), env=server.env,
                                 capture_output=True, timeout=timeout)
            out = res.stderr.decode("utf-8", "replace").split("\n")
            for msg in parse_messages(out):
                if is_error(msg) and msg not in b.errors:
                    b.errors.append(msg)
        body = strip_comments(b.text).strip()
        m = use_re.match(body)
        if m and not b.errors:
            db = m.group(1)
    return time.monotonic() - t0


def setup_database(server, database, timeout):
    res = subprocess.run(["fisql", "-S", "tdsim", "-U", "sa", "-P", ""],
                         input=("create database %s\ngo\n" % database).encode(),
                         env=server.env, capture_output=True, timeout=timeout)
    out = (res.stdout + res.stderr).decode("utf-8", "replace")
    if "Msg " in out:
        raise RuntimeError("create database failed: " + out.strip())


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("fixtures", nargs="*", help="scripts to load (default: testdata/real/*.sql)")
    ap.add_argument("--tdsim", default=str(REPO / "build/bin/tdsim"))
    ap.add_argument("--client", choices=["fisql", "bsqldb"], default="fisql")
    ap.add_argument("--database", default="fx")
    ap.add_argument("--expected", default=str(REPO / "testdata/real/expected-errors.txt"))
    ap.add_argument("--timeout", type=float, default=600, help="seconds per client run")
    ap.add_argument("--summary", action="store_true",
                    help="also count failures by message number and text")
    ap.add_argument("--quiet", action="store_true", help="only the per-fixture totals")
    args = ap.parse_args()

    fixtures = [Path(f) for f in args.fixtures] or sorted((REPO / "testdata/real").glob("*.sql"))
    if not Path(args.tdsim).is_file():
        print(f"no tdsim at {args.tdsim}", file=sys.stderr)
        return 2
    if not shutil.which(args.client):
        print(f"{args.client} not found (FreeTDS's freetds-bin package)", file=sys.stderr)
        return 2
    rules = load_expected(args.expected)
    unexpected_total, summary, used = 0, {}, set()

    for path in fixtures:
        name = path.name
        batches = split_batches(path.read_text(encoding="utf-8"))
        with tempfile.TemporaryDirectory(prefix="load_real_") as tmp:
            workdir = Path(tmp)
            try:
                server = Tdsim(args.tdsim, workdir)
            except RuntimeError as e:
                print(f"{name}: {e}", file=sys.stderr)
                return 2
            try:
                setup_database(server, args.database, args.timeout)
                runner = run_fisql if args.client == "fisql" else run_bsqldb
                elapsed = runner(server, args.database, batches, workdir, args.timeout)
            except (RuntimeError, subprocess.TimeoutExpired) as e:
                print(f"{name}: {e}", file=sys.stderr)
                return 2
            finally:
                server.stop()

        failing = [b for b in batches if b.errors]
        expected = sum(1 for b in failing
                       if all(is_expected(rules, name, e[0], b, used) for e in b.errors))
        unexpected_total += len(failing) - expected
        print(f"== {name}: {len(batches)} batches, {len(failing)} failing "
              f"({expected} expected), load {elapsed:.2f} s")
        if args.quiet:
            continue
        for b in failing:
            for msgno, sev, text, proc, where in b.errors:
                tag = "expected" if is_expected(rules, name, msgno, b) else "FAIL"
                loc = f"{name}:{b.statement_line()}"
                print(f"  {tag:8} {loc:26} batch {b.number:<4} Msg {msgno} (sev {sev}): {text}")
                print(f"  {'':8} {'':26} {'':10} | {b.first_line()[:110]}")
                summary.setdefault((msgno, re.sub(r"'[^'\s]+'", "'...'", text)), []).append(
                    f"{name}:{b.statement_line()}")
    if args.summary:
        print("\n== failures by message")
        for (msgno, text), where in sorted(summary.items(), key=lambda kv: -len(kv[1])):
            print(f"  {len(where):4}  Msg {msgno}: {text}")
    # An error the real server raises must be raised here too: a rule of a loaded
    # fixture that matched nothing means tdsim accepted what the server refuses.
    loaded = {path.name for path in fixtures}
    unmatched = [rule for index, rule in enumerate(rules)
                 if index not in used and (rule[0] in loaded or rule[0] == "*")]
    for fx, num, needle, reason in unmatched:
        print(f"NOT RAISED {fx}: Msg {num} for '{needle}' ({reason})")
    return 1 if unexpected_total or unmatched else 0


if __name__ == "__main__":
    sys.exit(main())
