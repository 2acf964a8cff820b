#!/usr/bin/env python3
"""Times Fennick's silent run against coreutils on the same files.

The data is built in a temporary folder. The built executable is copied into
that folder (its application folder), the job list files are written beside it
and no settings file is present, so preview mode is off and no message appears.
Each case runs the program and the reference alternately for a number of
rounds; every run starts from the same state, with the sources read once
(cache warmed the same way for both) and the file system synced.

Folders of earlier rounds are renamed into a trash folder rather than deleted.
On ext4 without a journal, a run that freed inodes is also followed by a pause
before the next timed run: that file system skips inodes freed in the last 60
seconds when it allocates new ones, and scanning past them would slow the next
run down.
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

SMALL_COUNT = 2000
SMALL_SIZE = 4096
BIG_SIZE = 256 * 1024 * 1024
SPARSE_SIZE, SPARSE_REGIONS = 4 << 30, 16  # 4 GiB with 16 regions of 4 MiB of data
CROSS_COUNT, CROSS_SIZE = 500, 64 * 1024
MEMORY_RECORDS = (10_000, 100_000)
CASES = ("new", "replace", "big", "sparse", "move", "crossmove", "memory")


def quote_field(text):
    """A field with a comma or a leading/trailing blank is put in double quotes."""
    if "," in text or text != text.strip():
        return '"' + text + '"'
    return text


def write_job_list(app_dir, profile, dest_dir, sources):
    with open(os.path.join(app_dir, profile + "copylist.txt"), "w", encoding="utf-8") as f:
        dest = quote_field(dest_dir.rstrip("/") + "/")
        for src in sources:
            f.write(dest + "," + quote_field(src) + "\n")


# Every command is started by this small helper, a fresh interpreter of its own.
# A child's peak RSS as wait4 reports it includes the memory of the process that
# forked it (the kernel keeps the old image's high-water mark at exec), so a
# child forked by this script would report the script's own size.
LAUNCHER = r"""
import os, sys, time
for line in sys.stdin:
    err, *argv = line.rstrip("\n").split("\0")
    actions = [(os.POSIX_SPAWN_OPEN, 0, "/dev/null", os.O_RDONLY, 0),
               (os.POSIX_SPAWN_OPEN, 1, "/dev/null", os.O_WRONLY, 0),
               (os.POSIX_SPAWN_OPEN, 2, err, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600)]
    start = time.perf_counter()
    pid = os.posix_spawnp(argv[0], argv, os.environ, file_actions=actions)
    _, status, usage = os.wait4(pid, 0)
    elapsed = time.perf_counter() - start
    print(elapsed, usage.ru_utime + usage.ru_stime, os.waitstatus_to_exitcode(status),
          usage.ru_maxrss, flush=True)
"""


class Launcher:
    def __init__(self, env, err_path):
        self.err_path = err_path
        self.proc = subprocess.Popen([sys.executable, "-S", "-I", "-c", LAUNCHER], env=env,
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)

    def run(self, argv):
        """Runs argv; returns (seconds, CPU seconds, exit status, peak RSS in KiB, stderr)."""
        self.proc.stdin.write("\0".join([self.err_path] + argv) + "\n")
        self.proc.stdin.flush()
        elapsed, cpu, status, rss = self.proc.stdout.readline().split()
        with open(self.err_path, encoding="utf-8", errors="replace") as f:
            err = f.read()
        return float(elapsed), float(cpu), int(status), int(rss), err

    def close(self):
        self.proc.stdin.close()
        self.proc.wait()


def reset_dir(path):
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)


def default_settle(folder):
    """61 seconds on ext4 without a journal, else none (see above)."""
    dev = os.stat(folder).st_dev
    try:
        block = os.path.basename(os.path.realpath(
            "/sys/dev/block/%d:%d" % (os.major(dev), os.minor(dev))))
        with open("/sys/fs/ext4/%s/journal_task" % block) as f:
            return 61 if f.read().strip() in ("", "<none>") else 0
    except OSError:
        return 0


def wait_for_settle(freed_at, settle):
    pause = freed_at + settle - time.monotonic()
    if pause > 0:
        time.sleep(pause)


def write_files(paths, contents, mtime=None):
    for path, data in zip(paths, contents):
        with open(path, "wb") as f:
            f.write(data)
        if mtime is not None:
            os.utime(path, (mtime, mtime))


def warm(paths):
    """Reads every source once so that both sides start with the same cache state."""
    for path in paths:
        with open(path, "rb") as f:
            while f.read(1 << 20):
                pass


def check_copies(sources, dest_dir):
    """Returns a problem text, or None when dest_dir holds exactly the sources' copies."""
    names = sorted(os.listdir(dest_dir))
    expected = sorted(os.path.basename(s) for s in sources)
    if names != expected:
        return "destination holds %d entries, expected %d" % (len(names), len(expected))
    for src in (sources[0], sources[-1]):
        a, b = os.stat(src), os.stat(os.path.join(dest_dir, os.path.basename(src)))
        if a.st_size != b.st_size or a.st_mtime_ns != b.st_mtime_ns:
            return "size or modification time differs for " + os.path.basename(src)
        if (a.st_mode & 0o7777) != (b.st_mode & 0o7777):
            return "permission bits differ for " + os.path.basename(src)
    return None


def check_moved(sources, dest_dir):
    """Returns a problem text, or None when the sources have gone into dest_dir."""
    if any(os.path.exists(s) for s in (sources[0], sources[-1])):
        return "a source is still there"
    return None if len(os.listdir(dest_dir)) == len(sources) else "files missing"


class Bench:
    def __init__(self, args):
        self.args = args
        self.root = tempfile.mkdtemp(prefix="fennick-bench-", dir=args.dir)
        self.app = os.path.join(self.root, "app")
        os.makedirs(self.app)
        self.trash = os.path.join(self.root, "trash")
        os.makedirs(self.trash)
        self.freed_at = -1e9  # when a run last deleted files (time.monotonic)
        self.exe = os.path.join(self.app, "Fennick")
        shutil.copy2(args.exe, self.exe)
        self.env = {k: v for k, v in os.environ.items()
                    if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        self.env["LC_ALL"] = "C.UTF-8"
        self.launcher = Launcher(self.env, os.path.join(self.root, "stderr.txt"))
        self.rows = []
        self.notes = []
        self.small_data = [os.urandom(SMALL_SIZE) for _ in range(SMALL_COUNT)]

    def path(self, *parts):
        return os.path.join(self.root, *parts)

    def retire(self, folder):
        """Replaces folder by an empty one without freeing any inode."""
        if os.path.exists(folder):
            os.rename(folder, os.path.join(self.trash, str(len(os.listdir(self.trash)))))
        os.makedirs(folder)

    def small_sources(self, folder):
        d = self.path(folder)
        os.makedirs(d, exist_ok=True)
        return [os.path.join(d, "file%05d.dat" % i) for i in range(SMALL_COUNT)]

    def fennick(self, switch):
        return [self.exe, switch]

    def alternate(self, name, prepare, program, reference, check, target, frees=()):
        """Runs program and reference alternately; prepare() restores the state
        before each run, check() looks at the result of a program run; frees
        names the sides whose runs delete files."""
        times = {"program": [], "reference": []}
        cpu = {"program": [], "reference": []}
        for rnd in range(self.args.rounds + 1):  # round 0 warms up and is not counted
            for side, argv in (("program", program), ("reference", reference)):
                prepare()
                os.sync()
                wait_for_settle(self.freed_at, self.args.settle)
                secs, cpu_secs, rc, _, err = self.launcher.run(argv)
                if side in frees:
                    self.freed_at = time.monotonic()
                if rc != 0:
                    raise RuntimeError("%s: %s exited with %d: %s" % (name, side, rc, err))
                if side == "program":
                    problem = check()
                    if problem:
                        raise RuntimeError("%s: wrong result: %s" % (name, problem))
                if rnd > 0:
                    times[side].append(secs)
                    cpu[side].append(cpu_secs)
            if self.args.verbose and rnd > 0:
                print("  %-28s round %d: Fennick %.4f s, reference %.4f s"
                      % (name, rnd, times["program"][-1], times["reference"][-1]))
        ratio = statistics.median(a / b for a, b in zip(times["program"], times["reference"]))
        cpu_ratio = statistics.median(a / b for a, b in zip(cpu["program"], cpu["reference"]))
        self.rows.append((name, "%.4f s" % statistics.median(times["program"]),
                          "%.4f s" % statistics.median(times["reference"]),
                          "%.3f" % ratio, "<= %.2f" % target,
                          "PASS" if ratio <= target else "MISS", "%.3f" % cpu_ratio))

    def case_new(self):
        sources = self.small_sources("small-src")
        write_files(sources, self.small_data)
        dest = self.path("new-dest")
        write_job_list(self.app, "1", dest, sources)

        def prepare():
            self.retire(dest)
            warm(sources)

        self.alternate("2,000 x 4 KiB, new files", prepare, self.fennick("/c1"),
                       ["cp", "--preserve=mode,timestamps"] + sources + [dest],
                       lambda: check_copies(sources, dest), 1.10)

    def case_replace(self):
        sources = self.small_sources("small-src")
        write_files(sources, self.small_data)
        dest = self.path("replace-dest")
        old = [os.path.join(dest, os.path.basename(s)) for s in sources]
        old_data = [bytes(SMALL_SIZE)] * SMALL_COUNT
        write_job_list(self.app, "2", dest, sources)

        def prepare():
            self.retire(dest)
            write_files(old, old_data, mtime=1_000_000_000)
            warm(sources + old)

        # The program replaces each file by a new one and frees the old one;
        # cp writes into the existing files.
        self.alternate("2,000 x 4 KiB, replacing", prepare, self.fennick("/c2"),
                       ["cp", "--preserve=mode,timestamps"] + sources + [dest],
                       lambda: check_copies(sources, dest), 1.50, frees=("program",))

    def one_file(self, folder, name, profile, write):
        """A source file that write(f) fills, its destination folder, its job list and the
        prepare() that empties the destination and warms the source."""
        d = self.path(folder + "-src")
        os.makedirs(d, exist_ok=True)
        source = os.path.join(d, name)
        with open(source, "wb") as f:
            write(f)
        dest = self.path(folder + "-dest")
        write_job_list(self.app, profile, dest, [source])

        def prepare():
            reset_dir(dest)
            warm([source])

        return source, dest, prepare

    def case_big(self):
        def write(f):
            block = os.urandom(1 << 20)
            for _ in range(BIG_SIZE >> 20):
                f.write(block)

        source, dest, prepare = self.one_file("big", "big.bin", "3", write)
        self.alternate("one 256 MiB file", prepare, self.fennick("/c3"),
                       ["cp", "--preserve=mode,timestamps", source, dest],
                       lambda: check_copies([source], dest), 1.05)

    def case_move(self):
        sources = self.small_sources("move-src")
        dest = self.path("move-dest")
        write_job_list(self.app, "4", dest, sources)

        def prepare():
            self.retire(os.path.dirname(sources[0]))
            write_files(sources, self.small_data)
            self.retire(dest)

        self.alternate("move 2,000 files, same fs", prepare, self.fennick("/m4"),
                       ["mv"] + sources + [dest], lambda: check_moved(sources, dest), 1.10)

    def case_sparse(self):
        def write(f):
            block = os.urandom(4 << 20)
            for region in range(SPARSE_REGIONS):
                f.seek(region * SPARSE_SIZE // SPARSE_REGIONS)
                f.write(block)
            f.truncate(SPARSE_SIZE)

        source, dest, prepare = self.one_file("sparse", "disk.img", "7", write)

        def check():
            problem = check_copies([source], dest)
            copied = os.stat(os.path.join(dest, "disk.img")).st_blocks
            if not problem and copied > 2 * os.stat(source).st_blocks:
                problem = "holes filled: %d blocks allocated" % copied
            return problem

        self.alternate("4 GiB sparse (64 MiB data)", prepare, self.fennick("/c7"),
                       ["cp", "--sparse=auto", "--preserve=mode,timestamps", source, dest],
                       check, 1.10)

    def case_crossmove(self):
        other = other_file_system(self.args.dir, self.args.other_dir)
        if other is None:
            raise RuntimeError("crossmove: no folder on another file system (--other-dir)")
        sources = [os.path.join(self.path("cross-src"), "file%04d.dat" % i)
                   for i in range(CROSS_COUNT)]
        data = [os.urandom(CROSS_SIZE) for _ in range(CROSS_COUNT)]
        dest = tempfile.mkdtemp(prefix="fennick-bench-", dir=other)
        write_job_list(self.app, "8", dest, sources)

        def prepare():
            self.retire(os.path.dirname(sources[0]))
            write_files(sources, data)
            reset_dir(dest)

        try:
            self.alternate("move 500 x 64 KiB, other fs", prepare, self.fennick("/m8"),
                           ["mv"] + sources + [dest], lambda: check_moved(sources, dest), 1.50,
                           frees=("program", "reference"))
        finally:
            shutil.rmtree(dest, ignore_errors=True)

    def case_memory(self):
        peaks = {}
        for count in MEMORY_RECORDS:
            folder = self.path("tiny-%d" % count)
            files = [os.path.join(folder, "t%06d" % i) for i in range(count)]
            profile = "5" if count == MEMORY_RECORDS[0] else "6"
            write_job_list(self.app, profile, self.app, files)
            peaks[count] = []
            for _ in range(self.args.memory_rounds):
                reset_dir(folder)
                for f in files:
                    os.close(os.open(f, os.O_WRONLY | os.O_CREAT, 0o644))
                os.sync()
                secs, _, rc, rss, err = self.launcher.run(self.fennick("/d" + profile))
                if rc != 0:
                    raise RuntimeError("delete %d: exited with %d: %s" % (count, rc, err))
                if os.listdir(folder):
                    raise RuntimeError("delete %d: files were left" % count)
                peaks[count].append(rss)
                if self.args.verbose:
                    print("  delete job of %d records: %.3f s, peak RSS %d KiB"
                          % (count, secs, rss))
        floor = self.launcher.run(["true"])[3]
        self.notes.append("peak RSS of `true` started the same way (the floor): %.1f MiB"
                          % (floor / 1024))
        small, large = (statistics.median(peaks[c]) for c in MEMORY_RECORDS)
        ratio = large / small
        self.rows.append(("peak RSS, delete job", "%.1f MiB (100k)" % (large / 1024),
                          "%.1f MiB (10k)" % (small / 1024), "%.3f" % ratio, "<= 1.10",
                          "PASS" if ratio <= 1.10 else "MISS", ""))

    def print_table(self):
        head = ("case", "Fennick (median)", "reference (median)", "ratio", "target", "result",
                "CPU ratio")
        widths = [max(len(str(r[i])) for r in self.rows + [head]) for i in range(len(head))]
        line = "  ".join("-" * w for w in widths)
        print(line)
        for row in [head] + self.rows:
            print("  ".join(str(c).ljust(w) for c, w in zip(row, widths)))
            if row is head:
                print(line)
        print(line)
        print("ratio: median of the rounds' time ratios; CPU ratio: the same for user+system "
              "CPU time, which is less disturbed by other load on the machine")
        for note in self.notes:
            print(note)


def other_file_system(folder, requested):
    """A folder on another file system than folder's: the one asked for, else /dev/shm or
    /tmp when they are another; None when there is none."""
    home = os.stat(folder).st_dev
    for candidate in [requested] if requested else ["/dev/shm", "/tmp"]:
        if os.path.isdir(candidate) and os.stat(candidate).st_dev != home:
            return candidate
    return None


def describe_machine(folder):
    df = subprocess.run(["df", "-T", folder], capture_output=True, text=True).stdout
    fs = df.splitlines()[-1].split()
    cp = subprocess.run(["cp", "--version"], capture_output=True, text=True).stdout
    return "nproc %d, kernel %s, data folder on %s (%s), %s" % (
        os.cpu_count(), os.uname().release, fs[1], fs[-1], cp.splitlines()[0])


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default_exe = os.path.join(os.path.dirname(here), "build-bench", "Fennick")
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--exe", default=default_exe, help="the built Fennick executable")
    p.add_argument("--dir", default="/tmp", help="folder in which the data is built")
    p.add_argument("--other-dir", default=None,
                   help="folder on another file system, for the move across file systems "
                   "(default: /dev/shm or /tmp, whichever is another)")
    p.add_argument("--rounds", type=int, default=7, help="timed rounds per case")
    p.add_argument("--memory-rounds", type=int, default=3, help="runs per record count")
    p.add_argument("--settle", type=float,
                   help="seconds between a run that freed inodes and the next timed run "
                   "(default: 61 on ext4 without a journal, else 0)")
    p.add_argument("--cases", default=",".join(CASES),
                   help="comma-separated subset of: " + ", ".join(CASES))
    p.add_argument("--keep", action="store_true", help="keep the data folder")
    p.add_argument("-v", "--verbose", action="store_true", help="print every round")
    args = p.parse_args()
    cases = args.cases.split(",")
    unknown = [c for c in cases if c not in CASES]
    if unknown or args.rounds < 1 or args.memory_rounds < 1:
        p.error("unknown case %s or a count below 1" % ",".join(unknown))
    if not os.access(args.exe, os.X_OK):
        p.error("no executable at %s (bench/run.sh builds it)" % args.exe)

    if args.settle is None:
        args.settle = default_settle(args.dir)
    bench = Bench(args)
    print("Fennick silent run against coreutils: %d rounds, alternating" % args.rounds)
    print(describe_machine(bench.root))
    print("pause after a run that freed inodes: %g s" % args.settle)
    print("data in " + bench.root)
    failed = False
    for case in cases:
        try:
            getattr(bench, "case_" + case)()
        except (RuntimeError, OSError) as e:
            print("error: %s" % e, file=sys.stderr)
            bench.rows.append((case, "-", "-", "-", "-", "ERROR", "-"))
            failed = True
    bench.launcher.close()
    if args.keep:
        print("kept " + bench.root)
    else:
        shutil.rmtree(bench.root, ignore_errors=True)
    bench.print_table()
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
