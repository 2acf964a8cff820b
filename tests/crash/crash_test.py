#!/usr/bin/env python3
"""Kills Fennick with SIGKILL at random moments of copy, replacing-copy and move jobs
and checks after every kill that no file was lost and no destination is half written.

    python3 tests/crash/crash_test.py build/Fennick --trials 200

A trial is one run that the kill stopped midway (a run that ended before the kill is
not counted and is tried again). After each trial:
  - every source of a copy still holds its content;
  - every file of a move is whole at its source or at its destination;
  - every destination name holds the whole old content or the whole new content;
  - temporary files (names starting ".fennick-") are counted and removed.
A move of 2,000 small files across file systems (1,000 in a batch whose sources are deleted
together) is killed too. Moves across file systems need a second file system: /dev/shm when it is one (with
room), else a small tmpfs mounted for the run (root only), else they are left out.
Exit status: 0 nothing lost, 1 a source lost or a partial destination, 2 set-up error.
"""

import argparse
import hashlib
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time

MIB = 1024 * 1024
TEMPORARY_PREFIX = ".fennick-"


def digest(path):
    """The content hash of a file, or None when there is no file."""
    try:
        with open(path, "rb") as f:
            return hashlib.file_digest(f, "sha256").digest()
    except FileNotFoundError:
        return None


class FileSet:
    """Files of mixed sizes whose every MiB carries the set's tag, the file's name and the
    block's index, so that a cut, a mix of two versions or a reordering never passes."""

    def __init__(self, rng, count, large_mib, tag, small_only=False):
        self.tag = tag
        self.sizes = {}
        for index in range(count):
            if index < len(large_mib):
                size = large_mib[index] * MIB
            elif small_only:
                size = rng.randrange(0, 8 * 1024)
            elif index % 10 == 1:
                size = rng.randrange(256 * 1024, 3 * MIB)
            else:
                size = rng.randrange(0, 48 * 1024)
            self.sizes[f"{index:04d}.bin"] = size
        self.hashes = {}

    def write(self, folder, base_block):
        os.makedirs(folder, exist_ok=True)
        for name, size in self.sizes.items():
            hasher = hashlib.sha256()
            with open(os.path.join(folder, name), "wb") as f:
                for block in range(0, (size + MIB - 1) // MIB):
                    stamp = f"{self.tag}:{name}:{block}:".encode()
                    data = (stamp + base_block[len(stamp):])[: min(MIB, size - block * MIB)]
                    f.write(data)
                    hasher.update(data)
            self.hashes[name] = hasher.digest()


class Figures:
    def __init__(self):
        self.trials = {}
        self.finished_before_kill = 0
        self.lost = 0
        self.partial = 0
        self.temporaries = 0
        self.problems = []

    def problem(self, kind, text):
        if kind == "lost":
            self.lost += 1
        else:
            self.partial += 1
        if len(self.problems) < 20:
            self.problems.append(text)


def write_job_list(app, destination_folder, sources):
    """Profile 1's job list; fields are quoted as the program's own writer quotes them."""

    def field(text):
        if '"' in text or "\n" in text or "\r" in text:
            sys.exit(f"cannot list {text!r} in a job list")
        return f'"{text}"' if "," in text or text != text.strip(" \t") else text

    lines = (f"{field(destination_folder + '/')},{field(source)}\r\n" for source in sources)
    with open(os.path.join(app, "1copylist.txt"), "w", encoding="utf-8", newline="") as f:
        f.writelines(lines)


def count_temporaries(folder, figures):
    for name in os.listdir(folder):
        if name.startswith(TEMPORARY_PREFIX):
            figures.temporaries += 1
            os.unlink(os.path.join(folder, name))


class Runner:
    def __init__(self, app):
        self.executable = os.path.join(app, "Fennick")
        self.environment = {k: v for k, v in os.environ.items()
                            if k not in ("DISPLAY", "WAYLAND_DISPLAY", "FENNICK_SHIFT",
                                         "QT_QPA_PLATFORM")}
        self.cwd = os.path.dirname(app)

    def start(self, argument):
        return subprocess.Popen([self.executable, argument], cwd=self.cwd, env=self.environment,
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.PIPE)

    def run_whole(self, argument):
        """Runs to the end; returns the time it took. A failed run ends the test."""
        began = time.monotonic()
        process = self.start(argument)
        _, errors = process.communicate(timeout=600)
        if process.returncode != 0 or errors:
            sys.exit(f"{argument} failed ({process.returncode}): {errors.decode(errors='replace')}")
        return time.monotonic() - began

    def run_killed(self, argument, delay):
        """Runs and kills after the delay; True when the kill stopped the run midway."""
        process = self.start(argument)
        time.sleep(delay)
        process.send_signal(signal.SIGKILL)
        process.communicate()
        return process.returncode == -signal.SIGKILL


class CopyJob:
    """Copies one of two versions of a file set into one folder: into an empty folder, or
    over the other version (a replacing copy)."""

    def __init__(self, rng, sets, folders, out):
        self.rng = rng
        self.sets = list(zip(sets, folders))
        self.out = out
        os.makedirs(out)
        self.held = {}  # name -> hash of what the destination holds

    def prepare(self, app, replacing):
        if replacing:
            # Copy over the version the destination holds less of; fill gaps with the other.
            matches = [sum(self.held.get(n) == h for n, h in s.hashes.items())
                       for s, _ in self.sets]
            chosen = matches.index(min(matches))
            other_set, other_folder = self.sets[1 - chosen]
            for name in other_set.sizes:
                if name not in self.held:
                    shutil.copyfile(os.path.join(other_folder, name), os.path.join(self.out, name))
                    self.held[name] = other_set.hashes[name]
        else:
            chosen = self.rng.randrange(2)
            for name in os.listdir(self.out):
                os.unlink(os.path.join(self.out, name))
            self.held = {}
        self.source, folder = self.sets[chosen]
        self.source_folder = folder
        write_job_list(app, self.out, [os.path.join(folder, n) for n in self.source.sizes])
        return "/c1"

    def check(self, figures, label):
        for name, expected in self.source.hashes.items():
            if digest(os.path.join(self.source_folder, name)) != expected:
                figures.problem("lost", f"{label}: source {name} changed or gone")
        count_temporaries(self.out, figures)
        held = {}
        for name in os.listdir(self.out):
            content = digest(os.path.join(self.out, name))
            if name not in self.source.hashes:
                figures.problem("partial", f"{label}: unexpected file {name}")
            elif content not in (self.held.get(name), self.source.hashes[name]):
                figures.problem("partial", f"{label}: {name} is neither old nor new")
            held[name] = content
        self.held = held

    def check_complete(self, figures):
        if self.held != self.source.hashes:
            figures.problem("partial", "a whole copy run left a different destination")


class MoveJob:
    """Moves a file set back and forth between two folders, a whole job at a time."""

    def __init__(self, files, sides):
        self.files = files
        self.sides = sides
        self.target = 1
        for side in sides:
            os.makedirs(side, exist_ok=True)

    def prepare(self, app):
        def elsewhere(name):
            return os.path.exists(os.path.join(self.sides[1 - self.target], name))

        if not any(elsewhere(n) for n in self.files.sizes):
            self.target = 1 - self.target
        origin = self.sides[1 - self.target]
        names = [n for n in self.files.sizes if elsewhere(n)]
        write_job_list(app, self.sides[self.target], [os.path.join(origin, n) for n in names])
        return "/m1"

    def check(self, figures, label):
        for side in self.sides:
            count_temporaries(side, figures)
            for name in os.listdir(side):
                if name not in self.files.hashes:
                    figures.problem("partial", f"{label}: unexpected file {name} in {side}")
        for name, expected in self.files.hashes.items():
            found = [digest(os.path.join(side, name)) for side in self.sides]
            if expected not in found:
                figures.problem("lost", f"{label}: {name} is whole nowhere")
            elif any(h not in (None, expected) for h in found):
                figures.problem("partial", f"{label}: {name} is partly written")

    def check_complete(self, figures):
        for name in self.files.sizes:
            if os.path.exists(os.path.join(self.sides[1 - self.target], name)):
                figures.problem("lost", f"a whole move run left {name} behind")


def other_file_system(work, requested, needed, mounts):
    """A folder on another file system with room for a move set, or None."""
    home = os.stat(work).st_dev
    candidates = [requested] if requested else ["/dev/shm"]
    for candidate in candidates:
        if (os.path.isdir(candidate) and os.stat(candidate).st_dev != home and
                shutil.disk_usage(candidate).free > 2 * needed):
            return tempfile.mkdtemp(prefix="fennick-crash-", dir=candidate)
    if requested or os.geteuid() != 0:
        return None
    mount_point = os.path.join(work, "other-fs")
    os.makedirs(mount_point)
    size = f"size={4 * needed // MIB}m"
    if subprocess.run(["mount", "-t", "tmpfs", "-o", size, "tmpfs", mount_point]).returncode:
        return None
    mounts.append(mount_point)
    return mount_point


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("executable", help="the built Fennick")
    parser.add_argument("--trials", type=int, default=200, help="kills that land midway")
    parser.add_argument("--seed", type=int, default=None, help="repeats a run's kill times")
    parser.add_argument("--other-fs", default=None, help="folder on another file system")
    parser.add_argument("--work", default=None, help="folder in which the work folder is made")
    parser.add_argument("--small", action="store_true",
                        help="fewer and smaller files, for small file systems")
    options = parser.parse_args()
    seed = options.seed if options.seed is not None else int(time.time())
    rng = random.Random(seed)
    print(f"seed: {seed}", flush=True)
    started = time.monotonic()

    work = tempfile.mkdtemp(prefix="fennick-crash-", dir=options.work)
    # Files per copy set, and the sizes in MiB of the large files of each set.
    count, large = ((30, {"A": [4, 2], "B": [2, 4], "M": [2], "X": [4]}) if options.small else
                    (200, {"A": [48, 32], "B": [32, 40], "M": [8], "X": [32]}))
    mounts = []
    cross_folder = None
    try:
        app = os.path.join(work, "app")
        os.makedirs(app)
        shutil.copy2(options.executable, os.path.join(app, "Fennick"))
        runner = Runner(app)
        base_block = rng.randbytes(MIB)

        versions = [FileSet(rng, count, large[tag], tag) for tag in "AB"]
        folders = [os.path.join(work, "copy-a"), os.path.join(work, "copy-b")]
        for file_set, folder in zip(versions, folders):
            file_set.write(folder, base_block)
        copy = CopyJob(rng, versions, folders, os.path.join(work, "copy-out"))

        near = FileSet(rng, count // 2, large["M"], "M")
        near.write(os.path.join(work, "move-left"), base_block)
        jobs = {"move within one file system":
                MoveJob(near, [os.path.join(work, "move-left"), os.path.join(work, "move-right")])}
        far = FileSet(rng, count // 2, large["X"], "X")
        many = FileSet(rng, 100 if options.small else 2000, [], "Y", small_only=True)
        needed = sum(far.sizes.values()) + sum(many.sizes.values())
        cross_folder = other_file_system(work, options.other_fs, needed, mounts)
        if cross_folder:
            for files, label, name in [(far, "move across file systems", "cross"),
                                       (many, "batched move across file systems", "batch")]:
                files.write(os.path.join(work, name + "-home"), base_block)
                jobs[label] = MoveJob(files, [os.path.join(work, name + "-home"),
                                              os.path.join(cross_folder, name)])
        else:
            print("moves across file systems left out: no second file system with room")

        scenarios = {"copy": lambda: copy.prepare(app, False),
                     "replacing copy": lambda: copy.prepare(app, True)}
        checks = {"copy": copy, "replacing copy": copy}
        for label, job in jobs.items():
            scenarios[label] = lambda job=job: job.prepare(app)
            checks[label] = job

        # One whole run of each kind tells how long a run takes, so that kills spread over it.
        figures = Figures()
        duration = {}
        for label, prepare in scenarios.items():
            duration[label] = runner.run_whole(prepare())
            checks[label].check(figures, f"whole {label}")
            checks[label].check_complete(figures)

        print("whole runs: " + ", ".join(f"{label} {seconds:.2f} s"
                                         for label, seconds in duration.items()), flush=True)
        began = time.monotonic()
        labels = list(scenarios)
        while sum(figures.trials.values()) < options.trials:
            label = rng.choice(labels)
            argument = scenarios[label]()
            if runner.run_killed(argument, rng.uniform(0, duration[label])):
                figures.trials[label] = figures.trials.get(label, 0) + 1
            else:
                figures.finished_before_kill += 1
            checks[label].check(figures, f"trial {sum(figures.trials.values())} ({label})")

        # After all the kills, each job still runs to the end.
        for label, prepare in scenarios.items():
            runner.run_whole(prepare())
            checks[label].check(figures, f"final {label}")
            checks[label].check_complete(figures)
    finally:
        for mount_point in mounts:
            subprocess.run(["umount", "-l", mount_point])
        shutil.rmtree(work, ignore_errors=True)
        if cross_folder and not mounts:
            shutil.rmtree(cross_folder, ignore_errors=True)

    kinds = ", ".join(f"{label} {figures.trials.get(label, 0)}" for label in scenarios)
    print(f"trials: {sum(figures.trials.values())} ({kinds})")
    print(f"runs that ended before the kill (not counted): {figures.finished_before_kill}")
    print(f"sources lost: {figures.lost}")
    print(f"partial destinations: {figures.partial}")
    print(f"temporary files left: {figures.temporaries}")
    print(f"time: {time.monotonic() - began:.0f} s of kills, {time.monotonic() - started:.0f} s in all")
    for problem in figures.problems:
        print(f"  {problem}")
    return 1 if figures.lost or figures.partial else 0


if __name__ == "__main__":
    sys.exit(main())
