#!/usr/bin/env python3
"""Times Fennick's silent run against coreutils, rsync and a minimal safe copier.

The data is built in a temporary folder (on tmpfs by default). The built
executable is copied into that folder (its application folder), the job list
files are written beside it and no settings file is present, so preview mode is
off and no message appears. Each case runs every side alternately for a number
of rounds: Fennick, the coreutils reference (cp or mv), `rsync --files-from`,
the floor, a minimal safe copier in C (floor_copier.c, built here with cc), and
"floor+", the floor making the checks Fennick must keep and loading Qt Core;
every run starts from the same state, with the sources read once (cache warmed
the same way for all) and the file system synced. The ratios are medians of
the rounds' ratios against the reference.

Folders of earlier rounds are renamed into a trash folder rather than deleted.
On ext4 without a journal, a run that freed inodes is also followed by a pause
before the next timed run: that file system skips inodes freed in the last 60
seconds when it allocates new ones, and scanning past them would slow the next
run down.
"""

import argparse
import itertools
import os
import shutil
import statistics
import sys
import tempfile
import time

from bench_support import (Launcher, LoopImage, build_floor, build_peak_rss, check_copies,
                           check_moved, default_settle, describe_machine, other_file_system,
                           reset_dir, wait_for_settle, warm, write_files, write_job_list,
                           write_list)

SMALL_SIZE = 4096
BIG_SIZE = 256 * 1024 * 1024
SPARSE_SIZE, SPARSE_REGIONS = 4 << 30, 16  # 4 GiB with 16 regions of 4 MiB of data
CASES = ("new", "new20k", "replace", "move", "move20k", "durable", "big", "sparse", "one",
         "crossmove", "memory")
QUICK_CASES = ("new", "replace", "move", "durable", "big", "sparse", "one", "memory")
SIDES = ("Fennick", "reference", "rsync", "floor", "floor+")


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
        self.before = None
        if args.before:  # an earlier build, in an application folder of its own
            before_app = os.path.join(self.root, "before")
            os.makedirs(before_app)
            self.before = os.path.join(before_app, "Fennick")
            shutil.copy2(args.before, self.before)
        self.floor = build_floor(self.root)
        self.floor_checked = build_floor(self.root, kept_checks=True)
        self.peak_rss = build_peak_rss(self.root)
        self.env = {k: v for k, v in os.environ.items()
                    if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        self.env["LC_ALL"] = "C.UTF-8"
        self.launcher = Launcher(self.env, os.path.join(self.root, "stderr.txt"))
        self.rows = []
        self.notes = []
        self.small_data = {}
        self.profiles = itertools.cycle("123456789")  # each case writes its own job lists

    def path(self, *parts):
        return os.path.join(self.root, *parts)

    def retire(self, folder):
        """Replaces folder by an empty one without freeing any inode."""
        if os.path.exists(folder):
            os.rename(folder, os.path.join(self.trash, str(len(os.listdir(self.trash)))))
        os.makedirs(folder)

    def small_sources(self, folder, count):
        d = self.path(folder)
        os.makedirs(d, exist_ok=True)
        if count not in self.small_data:
            self.small_data[count] = [os.urandom(SMALL_SIZE) for _ in range(count)]
        return [os.path.join(d, "f%05d.dat" % i) for i in range(count)], self.small_data[count]

    def job(self, mode, dest, sources):
        """The argv of each side for copying (mode "c") or moving ("m") sources into dest."""
        profile = next(self.profiles)
        write_job_list(self.app, profile, dest, sources)
        if self.before:
            write_job_list(os.path.dirname(self.before), profile, dest, sources)
        listed = self.path("list-%s.txt" % profile)
        write_list(listed, sources)
        rsync = ["rsync", "--files-from=" + listed, "--no-relative", "-t", "-p", "-S"]
        sides = {"Fennick": [self.exe, "/%s%s" % (mode, profile)],
                 "reference": (["cp", "--preserve=mode,timestamps"] if mode == "c" else ["mv"])
                 + sources + [dest],
                 "rsync": rsync + (["--remove-source-files"] if mode == "m" else [])
                 + ["/", dest + "/"],
                 "floor": [self.floor, "copy" if mode == "c" else "move", listed, dest]}
        if self.floor_checked:
            sides["floor+"] = [self.floor_checked] + sides["floor"][1:]
        if self.before:
            sides["before"] = [self.before, "/%s%s" % (mode, profile)]
        return sides

    def alternate(self, name, prepare, sides, check, target, frees=()):
        """Runs the sides alternately; prepare() restores the state before each run,
        check() looks at the result of a Fennick run; frees names the sides whose
        runs delete files."""
        times = {side: [] for side in sides}
        cpu = {side: [] for side in sides}
        for rnd in range(self.args.rounds + 1):  # round 0 warms up and is not counted
            for side, argv in sides.items():
                prepare()
                os.sync()
                wait_for_settle(self.freed_at, self.args.settle)
                secs, cpu_secs, rc, err = self.launcher.run(argv)
                if side in frees or "all" in frees:
                    self.freed_at = time.monotonic()
                if rc != 0:
                    raise RuntimeError("%s: %s exited with %d: %s" % (name, side, rc, err))
                problem = check() if side == "Fennick" else None
                if problem:
                    raise RuntimeError("%s: wrong result: %s" % (name, problem))
                if rnd > 0:
                    times[side].append(secs)
                    cpu[side].append(cpu_secs)
            if self.args.verbose and rnd > 0:
                print("  %-34s round %d: " % (name, rnd)
                      + ", ".join("%s %.4f s" % (s, t[-1]) for s, t in times.items()))

        def ratio(side, table=times):
            return statistics.median(a / b for a, b in zip(table[side], table["reference"]))

        fennick = ratio("Fennick")
        self.rows.append({
            "case": name,
            "times": {s: statistics.median(t) for s, t in times.items()},
            "ratios": {s: ratio(s) for s in sides if s != "reference"},
            "cpu": ratio("Fennick", cpu),
            "target": target,
            "result": "PASS" if fennick <= target else "MISS"})

    def copy_case(self, name, count, target, replacing=False):
        sources, data = self.small_sources("src%d" % count, count)
        write_files(sources, data)
        dest = self.path("dest-" + name.split()[0])
        old = [os.path.join(dest, os.path.basename(s)) for s in sources]

        def prepare():
            self.retire(dest)
            if replacing:
                write_files(old, [bytes(SMALL_SIZE)] * count, mtime=1_000_000_000)
            warm(sources + (old if replacing else []))

        # A replacing copy makes a new file and frees the old one; cp writes into it.
        self.alternate(name, prepare, self.job("c", dest, sources),
                       lambda: check_copies(sources, dest), target,
                       frees=("all",) if replacing else ())

    def case_new(self):
        self.copy_case("copy 2,000 x 4 KiB, new files", 2000, 0.9)

    def case_new20k(self):
        self.copy_case("copy 20,000 x 4 KiB, new files", 20000, 0.9)

    def case_replace(self):
        self.copy_case("copy 2,000 x 4 KiB, replacing", 2000, 1.3, replacing=True)

    def move_case(self, name, count, dest, target, frees=()):
        sources, data = self.small_sources("move%d" % count, count)

        def prepare():
            self.retire(os.path.dirname(sources[0]))
            write_files(sources, data)
            reset_dir(dest)

        self.alternate(name, prepare, self.job("m", dest, sources),
                       lambda: check_moved(sources, dest), target, frees)

    def case_move(self):
        self.move_case("move 2,000 files, same fs", 2000, self.path("move-dest"), 0.9)

    def case_move20k(self):
        self.move_case("move 20,000 files, same fs", 20000, self.path("move-dest"), 0.9)

    def case_durable(self):
        image = LoopImage(self.args.image_dir)
        if image.mount_point is None:
            raise RuntimeError("durable: " + image.why_not)
        try:
            self.move_case("durable move 2,000 x 4 KiB onto ext4 image", 2000,
                           os.path.join(image.mount_point, "dest"), 1.5)
        finally:
            image.close()

    def case_crossmove(self):
        other = other_file_system(self.args.dir, self.args.other_dir)
        if other is None:
            raise RuntimeError("crossmove: no folder on another file system (--other-dir)")
        dest = tempfile.mkdtemp(prefix="fennick-bench-", dir=other)
        try:
            self.move_case("move 2,000 x 4 KiB, other fs", 2000, dest, 1.5, frees=("all",))
        finally:
            shutil.rmtree(dest, ignore_errors=True)

    def one_file(self, name, mode, write, target, sparse=False):
        d = self.path(name.split()[0] + "-src")
        os.makedirs(d, exist_ok=True)
        source = os.path.join(d, "data.bin")
        with open(source, "wb") as f:
            write(f)
        dest = self.path(name.split()[0] + "-dest")
        sides = self.job(mode, dest, [source])
        if sparse:
            sides["reference"][1:1] = ["--sparse=auto"]
            del sides["floor"]  # it writes the holes out
            sides.pop("floor+", None)
            del sides["rsync"]  # rsync -S reads the holes: about 10 s for this file

        def prepare():
            reset_dir(dest)
            warm([source])

        def check():
            problem = check_copies([source], dest)
            copied = os.stat(os.path.join(dest, "data.bin")).st_blocks
            if sparse and not problem and copied > 2 * os.stat(source).st_blocks:
                problem = "holes filled: %d blocks allocated" % copied
            return problem

        self.alternate(name, prepare, sides, check, target)

    def case_big(self):
        def write(f):
            block = os.urandom(1 << 20)
            for _ in range(BIG_SIZE >> 20):
                f.write(block)

        self.one_file("256MiB one file", "c", write, 1.05)

    def case_sparse(self):
        def write(f):
            block = os.urandom(4 << 20)
            for region in range(SPARSE_REGIONS):
                f.seek(region * SPARSE_SIZE // SPARSE_REGIONS)
                f.write(block)
            f.truncate(SPARSE_SIZE)

        self.one_file("sparse 4 GiB (64 MiB data)", "c", write, 1.05, sparse=True)

    def case_one(self):
        self.one_file("one-record run (4 KiB)", "c", lambda f: f.write(os.urandom(SMALL_SIZE)),
                      float("inf"))

    def peak(self, argv, name):
        secs, _, rc, err = self.launcher.run([self.peak_rss] + argv)
        if rc != 0:
            raise RuntimeError("%s: exited with %d" % (name, rc))
        rss = int(err.split()[-1])
        if self.args.verbose:
            print("  %s: %.3f s, peak RSS %d KiB" % (name, secs, rss))
        return rss

    def case_memory(self):
        """Peak RSS of delete jobs (flat), and of copy jobs (bytes per target)."""
        counts = (1000, 10_000) if self.args.quick else (1000, 10_000, 100_000)
        deletes = {}
        for count in counts:
            folder = self.path("tiny-%d" % count)
            files = [os.path.join(folder, "t%06d" % i) for i in range(count)]
            profile = next(self.profiles)
            write_job_list(self.app, profile, self.app, files)
            runs = []
            for _ in range(self.args.memory_rounds):
                reset_dir(folder)
                for f in files:
                    os.close(os.open(f, os.O_WRONLY | os.O_CREAT, 0o644))
                runs.append(self.peak([self.exe, "/d" + profile], "delete %d" % count))
            deletes[count] = statistics.median(runs)
        copies = {}
        for count in counts[:2]:
            files = [os.path.join(self.path("tiny-%d" % count), "t%06d" % i) for i in range(count)]
            for f in files:
                os.close(os.open(f, os.O_WRONLY | os.O_CREAT, 0o644))
            dest = self.path("tiny-dest")
            profile = next(self.profiles)
            write_job_list(self.app, profile, dest, files)
            runs = []
            for _ in range(self.args.memory_rounds):
                self.retire(dest)
                runs.append(self.peak([self.exe, "/c" + profile], "copy %d" % count))
            copies[count] = statistics.median(runs)
        floor = self.peak(["true"], "true")
        self.notes.append("peak RSS of a delete job: "
                          + ", ".join("%d records %.1f MiB" % (c, deletes[c] / 1024)
                                      for c in counts)
                          + " (`true` started the same way: %.1f MiB)" % (floor / 1024))
        small, large = counts[0], counts[1]
        per_target = (copies[large] - copies[small]) * 1024 / (large - small)
        self.notes.append("peak RSS of a copy job: %d records %.1f MiB, %d records %.1f MiB: "
                          "about %.0f bytes per written target"
                          % (small, copies[small] / 1024, large, copies[large] / 1024,
                             per_target))

    def print_table(self):
        sides = [s for s in SIDES + ("before",)
                 if any(s in r["times"] for r in self.rows)]
        head = (["case"] + ["%s (s)" % s for s in sides]
                + ["%s / ref" % s for s in sides if s != "reference"]
                + ["target", "result", "CPU Fennick / ref"])
        print("| " + " | ".join(head) + " |")
        print("|" + "---|" * len(head))
        for r in self.rows:
            if "times" not in r:
                print("| %s |" % r["case"] + " - |" * (len(head) - 2) + " ERROR |")
                continue
            cells = [r["case"]]
            cells += ["%.4f" % r["times"][s] if s in r["times"] else "-" for s in sides]
            cells += ["%.3f" % r["ratios"][s] if s in r["ratios"] else "-"
                      for s in sides if s != "reference"]
            cells += ["-" if r["target"] == float("inf") else "≤ %.2f" % r["target"],
                      r["result"], "%.3f" % r["cpu"]]
            print("| " + " | ".join(cells) + " |")
        print()
        print("ref: `cp --preserve=mode,timestamps` (`--sparse=auto` for the sparse file) or "
              "`mv`; ratios are medians of the rounds' ratios; CPU: user + system time; "
              "floor+: the floor with the ACL look-up, the size check of each copy, the look "
              "at an existing target and at a move's source, and Qt Core loaded.")
        for note in self.notes:
            print("- " + note)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default_exe = os.path.join(os.path.dirname(here), "build-bench", "Fennick")
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--exe", default=default_exe, help="the built Fennick executable")
    p.add_argument("--before", help="an earlier Fennick executable, timed as a fifth side")
    p.add_argument("--dir", default="/dev/shm", help="folder in which the data is built")
    p.add_argument("--other-dir", default=None,
                   help="folder on another file system, for the crossmove case "
                   "(default: /dev/shm or /tmp, whichever is another)")
    p.add_argument("--image-dir", default="/var/tmp",
                   help="folder on disk for the ext4 image of the durable move (needs root)")
    p.add_argument("--rounds", type=int, default=7, help="timed rounds per case")
    p.add_argument("--memory-rounds", type=int, default=3, help="runs per record count")
    p.add_argument("--quick", action="store_true",
                   help="3 rounds, no 20,000-file or crossmove cases, memory up to 10,000")
    p.add_argument("--settle", type=float,
                   help="seconds between a run that freed inodes and the next timed run "
                   "(default: 61 on ext4 without a journal, else 0)")
    p.add_argument("--cases", default=None,
                   help="comma-separated subset of: " + ", ".join(CASES))
    p.add_argument("--keep", action="store_true", help="keep the data folder")
    p.add_argument("-v", "--verbose", action="store_true", help="print every round")
    args = p.parse_args()
    if args.quick:
        args.rounds, args.memory_rounds = min(args.rounds, 3), 1
    cases = (args.cases or ",".join(QUICK_CASES if args.quick else CASES)).split(",")
    unknown = [c for c in cases if c not in CASES]
    if unknown or args.rounds < 1 or args.memory_rounds < 1:
        p.error("unknown case %s or a count below 1" % ",".join(unknown))
    if not os.access(args.exe, os.X_OK):
        p.error("no executable at %s (bench/run.sh builds it)" % args.exe)

    if args.settle is None:
        args.settle = default_settle(args.dir)
    bench = Bench(args)
    print("Fennick silent run against cp/mv, rsync and the floor: %d rounds, alternating"
          % args.rounds)
    print(describe_machine(bench.root))
    print("pause after a run that freed inodes: %g s" % args.settle)
    print("data in " + bench.root)
    failed = False
    for case in cases:
        try:
            getattr(bench, "case_" + case)()
        except (RuntimeError, OSError) as e:
            print("error: %s" % e, file=sys.stderr)
            bench.rows.append({"case": case})
            failed = True
    bench.launcher.close()
    if args.keep:
        print("kept " + bench.root)
    else:
        shutil.rmtree(bench.root, ignore_errors=True)
    print()
    bench.print_table()
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
