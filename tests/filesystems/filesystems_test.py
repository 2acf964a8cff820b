#!/usr/bin/env python3
"""Runs copy and move jobs of the built Fennick on real file systems: ext4, xfs and btrfs on
loop devices, exFAT and NTFS through FUSE, a FUSE pass-through (bindfs), an SFTP share (sshfs)
and tmpfs.

    python3 tests/filesystems/filesystems_test.py build/Fennick [--crash-trials 6] [--only xfs,btrfs]

On each file system, with a second file system (the work folder's own) as the other side:
  - a copy into it, a replacing copy (each file read back and checked: Verify=1), a move into
    it and a move out of it: content, size, the modification time exactly as the file system
    stores one set directly (the table says to what it is kept: NTFS 100 ns, exFAT through
    exfat-fuse and SFTP 1 s) and the mode where the file system stores it;
  - the ACL, an extended attribute (moves) and holes, where the file system stores them;
  - a copy within it is a clone where it shares blocks (btrfs, xfs); the table gives the time
    of a copy of 33 MiB (two files) within it until it is on the disk (`sync`), the program's
    against `cp --reflink=never`;
  - 50 files moved into it and back out in one run, in batches whose sources are deleted
    together (the moves back touch copies whose sources still wait, which finishes the batch);
  - a short round of the crash test's kills (tests/crash/crash_test.py --small).
The SFTP share needs no SSH server: sshfs in passive mode talks to sftp-server over a pipe
(socat), serving a folder of the work folder.
Needs root (mounts); a file system that cannot be mounted here is skipped with the reason.
Every mount and loop device is undone at the end, also after a failure or an interrupt.
Exit status: 0 all checks held on every file system asked for, 1 a check failed, 77 some file
system could not be mounted (the run is reported as skipped, naming them, never as passed).
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
CRASH_TEST = os.path.join(HERE, "..", "crash", "crash_test.py")
MIB = 1024 * 1024
OLD_TIME_NS = 1_000_000_000 * 981_173_106 + 123_456_789  # 2001-02-03, with nanoseconds

# name: (how it is mounted: a loop device with the kernel's driver or a FUSE driver, or
# neither; what it stores besides data and times)
FILE_SYSTEMS = {
    "ext4": ("loop", {"mode", "acl", "xattr", "holes"}),
    "xfs": ("loop", {"mode", "acl", "xattr", "holes", "clone"}),
    "btrfs": ("loop", {"mode", "acl", "xattr", "holes", "clone"}),
    "exfat": ("fuse", set()),
    "ntfs": ("fuse", {"xattr"}),
    "bindfs": ("fuse", {"mode", "xattr", "holes"}),
    "sshfs": ("sftp", {"mode"}),
    "tmpfs": ("mount", {"mode", "acl", "xattr", "holes"}),
}
MKFS = {"ext4": ["mkfs.ext4", "-q", "-F"], "xfs": ["mkfs.xfs", "-q", "-f"],
        "btrfs": ["mkfs.btrfs", "-q", "-f"], "exfat": ["mkfs.exfat"],
        "ntfs": ["mkntfs", "-Q", "-F", "-q"]}
IMAGE_MIB = {"xfs": 320}  # the smallest xfs there is; the others take 256 MiB
SFTP_SERVER = "/usr/lib/openssh/sftp-server"


def resolution_text(lost_ns):
    """How finely a time with every digit set to the nanosecond was kept."""
    for limit, text in [(1, "1 ns"), (100, "100 ns"), (10_000_000, "10 ms"), (1_000_000_000, "1 s")]:
        if lost_ns < limit:
            return text
    return "2 s"


def run(command, **options):
    return subprocess.run(command, capture_output=True, text=True, **options)


class Mounts:
    """What was mounted and attached, undone in reverse order whatever happens."""

    def __init__(self):
        self.undo = []

    def add(self, command):
        self.undo.append(command)

    def release(self):
        while self.undo:
            run(self.undo.pop())


def mount_sftp(work, point, mounts):
    """An SFTP share of a folder below the work folder, through sshfs talking to sftp-server
    over a pipe; returns why it cannot be mounted, or None."""
    for program in ["sshfs", "socat", SFTP_SERVER]:
        if shutil.which(program) is None:
            return f"{program} is not installed"
    under = os.path.join(work, "sftp-under")
    os.makedirs(under)
    # socat takes ":" as a separator of its addresses unless escaped; the paths hold no blanks.
    share = subprocess.Popen(["socat", "EXEC:" + SFTP_SERVER,
                              f"EXEC:sshfs -f -o passive \\:{under} {point}"],
                             stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    deadline = time.monotonic() + 10
    while not os.path.ismount(point) and share.poll() is None and time.monotonic() < deadline:
        time.sleep(0.05)
    if not os.path.ismount(point):
        share.kill()
        return f"sshfs did not mount: {share.communicate()[1].strip()}"
    mounts.add(["umount", "-l", point])
    return None


def mount(name, work, mounts):
    """Mounts a fresh file system of that kind; returns its folder, or the reason it cannot."""
    kind = FILE_SYSTEMS[name][0]
    point = os.path.join(work, "mnt-" + name)
    os.makedirs(point)
    if kind == "sftp":
        reason = mount_sftp(work, point, mounts)
        return (None, reason) if reason else (point, None)
    if kind == "mount":
        done = run(["mount", "-t", "tmpfs", "-o", "size=256m", "tmpfs", point])
    elif name == "bindfs":
        under = os.path.join(work, "bindfs-under")
        os.makedirs(under)
        done = run(["bindfs", under, point])
    else:
        image = os.path.join(work, name + ".img")
        with open(image, "wb") as f:
            f.truncate(IMAGE_MIB.get(name, 256) * MIB)
        if shutil.which(MKFS[name][0]) is None:
            return None, f"{MKFS[name][0]} is not installed"
        made = run(MKFS[name] + [image])
        if made.returncode:
            return None, f"{MKFS[name][0]} failed: {made.stderr.strip()}"
        attached = run(["losetup", "--find", "--show", image])
        if attached.returncode:
            return None, f"no loop device: {attached.stderr.strip()}"
        device = attached.stdout.strip()
        mounts.add(["losetup", "--detach", device])
        if kind == "loop":
            done = run(["mount", device, point])
        else:
            program = {"exfat": "mount.exfat-fuse", "ntfs": "ntfs-3g"}[name]
            if shutil.which(program) is None:
                return None, f"{program} is not installed"
            done = run([program, device, point])
    if done.returncode:
        return None, f"cannot mount: {(done.stderr or done.stdout).strip()}"
    mounts.add(["umount", "-l", point])
    return point, None


class Checks:
    def __init__(self, name, point):
        self.name = name
        self.stores = FILE_SYSTEMS[name][1]
        self.results = {}
        self.problems = []
        # The modification time as this file system stores it, for a copy to match exactly.
        probe = os.path.join(point, "time-probe")
        open(probe, "wb").close()
        os.utime(probe, ns=(OLD_TIME_NS, OLD_TIME_NS))
        self.stored_time_ns = os.stat(probe).st_mtime_ns
        os.remove(probe)
        self.results["mtime kept to"] = resolution_text(OLD_TIME_NS - self.stored_time_ns)

    def record(self, guarantee, held, detail=""):
        """held: True, False, or None when the file system does not store it."""
        previous = self.results.get(guarantee, True)
        self.results[guarantee] = None if held is None else (previous is not False and held)
        if held is False:
            self.problems.append(f"{self.name}: {guarantee}: {detail}")


class Job:
    """The built program in an application folder of its own, run silently on one record list."""

    def __init__(self, executable, work):
        self.app = os.path.join(work, "app")
        os.makedirs(self.app, exist_ok=True)
        shutil.copy2(executable, os.path.join(self.app, "Fennick"))

    def run(self, mode, records, verify=False):
        """verify: each copy is read back and compared with its source ([OPTION] Verify=1)."""
        with open(os.path.join(self.app, "1copylist.txt"), "w", encoding="utf-8") as f:
            f.writelines(f"{folder},{source}\r\n" for folder, source in records)
        with open(os.path.join(self.app, "_Fennick.ini"), "w", encoding="utf-8") as f:
            f.write(f"[OPTION]\r\nVerify={int(verify)}\r\n")
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        done = run([os.path.join(self.app, "Fennick"), "/" + mode + "1"], env=env, timeout=120)
        return done.returncode, done.stderr.strip()


def make_sources(folder, tag):
    """Small text, a 3 MiB file, a sparse file and a file with an ACL and special bits."""
    os.makedirs(folder, exist_ok=True)
    files = {"note.txt": tag.encode() * 10, "big.bin": os.urandom(3 * MIB)}
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    with open(os.path.join(folder, "disk.img"), "wb") as f:
        f.seek(32 * MIB)
        f.write(tag.encode() * 1000)
        f.truncate(64 * MIB)
    acl = os.path.join(folder, "acl.txt")
    with open(acl, "wb") as f:
        f.write(tag.encode())
    os.chmod(acl, 0o2660)
    run(["setfacl", "-m", "u:nobody:rw,g::-", acl])
    os.setxattr(os.path.join(folder, "note.txt"), "user.origin", tag.encode())
    for name in ["note.txt", "big.bin", "disk.img", "acl.txt"]:
        os.utime(os.path.join(folder, name), ns=(OLD_TIME_NS, OLD_TIME_NS))
    return {name: open(os.path.join(folder, name), "rb").read()
            for name in ["note.txt", "big.bin", "disk.img", "acl.txt"]}


def check_files(checks, label, folder, contents, source_folder, moved):
    for name, data in contents.items():
        path = os.path.join(folder, name)
        if not os.path.exists(path):
            checks.record("data", False, f"{label}: {name} missing")
            continue
        with open(path, "rb") as f:
            checks.record("data", f.read() == data, f"{label}: {name} differs")
        info = os.stat(path)
        checks.record("mtime", info.st_mtime_ns == checks.stored_time_ns,
                      f"{label}: {name} {info.st_mtime_ns} instead of {checks.stored_time_ns}")
        if moved:
            checks.record("data", not os.path.exists(os.path.join(source_folder, name)),
                          f"{label}: source {name} left")
    acl = os.path.join(folder, "acl.txt")
    if os.path.exists(acl):
        mode = os.stat(acl).st_mode & 0o7777
        has_acl = "user:nobody:rw-" in run(["getfacl", "-c", acl]).stdout
        checks.record("ACL", has_acl if "acl" in checks.stores else None, f"{label}: ACL lost")
        # Never more for the group than the ACL gives it (nothing), where the ACL is lost.
        expected = 0o2660 if has_acl else 0o2600
        checks.record("mode", (mode == expected) if "mode" in checks.stores else None,
                      f"{label}: mode {mode:o} instead of {expected:o}")
    image = os.path.join(folder, "disk.img")
    if os.path.exists(image):
        allocated = os.stat(image).st_blocks * 512
        checks.record("holes", allocated < 4 * MIB if "holes" in checks.stores else None,
                      f"{label}: {allocated} bytes allocated for 64 KiB of data")
    if moved:
        try:
            kept = os.getxattr(os.path.join(folder, "note.txt"), "user.origin") != b""
        except OSError:
            kept = False
        checks.record("xattr (move)", kept if "xattr" in checks.stores else None,
                      f"{label}: user.origin lost")


def check_clone(checks, job, point):
    """A copy within the file system shares the source's blocks where it can: a large file
    (cloned whole) and a small one (cloned by the kernel's copy)."""
    out = os.path.join(point, "clone-out")
    os.makedirs(out)
    sources = []
    for name, size in [("clone-large.bin", 32 * MIB), ("clone-small.bin", MIB)]:
        sources.append(os.path.join(point, name))
        with open(sources[-1], "wb") as f:
            f.write(os.urandom(size))
    os.sync()
    started = time.monotonic()
    status, errors = job.run("c", [(out, source) for source in sources])
    os.sync()
    seconds = time.monotonic() - started
    os.makedirs(os.path.join(point, "clone-cp"))
    started = time.monotonic()
    run(["cp", "--reflink=never"] + sources + [os.path.join(point, "clone-cp")])
    os.sync()
    cp_seconds = time.monotonic() - started
    for source in sources:
        frag = run(["filefrag", "-v", os.path.join(out, os.path.basename(source))]).stdout
        checks.record("clone", "shared" in frag if "clone" in checks.stores else None,
                      f"{os.path.basename(source)} not shared ({status} {errors})")
    checks.results["33 MiB copy within"] = f"{seconds:.3f} s / {cp_seconds:.3f} s"


def check_name_clash(checks, job, point, home):
    """Two sources with one name, or names that differ only in case, copied into one folder:
    the second never replaces the first within a run. Names that differ in case are two
    files where the file system tells case apart."""
    probe = os.path.join(point, "Probe")
    open(probe, "wb").close()
    ignores_case = os.path.exists(os.path.join(point, "probe"))
    os.remove(probe)
    checks.results["ignores case"] = "yes" if ignores_case else "no"
    for number, (first, second) in enumerate([("x.txt", "x.txt"), ("X.txt", "x.txt")]):
        target = os.path.join(point, f"clash-{number}")
        os.makedirs(target)
        sources = [os.path.join(home, f"clash-{number}", folder, name)
                   for folder, name in [("a", first), ("b", second)]]
        for source in sources:
            os.makedirs(os.path.dirname(source), exist_ok=True)
            with open(source, "wb") as f:
                f.write(source.encode())
        status, errors = job.run("c", [(target, source) for source in sources])
        kept = sorted(open(os.path.join(target, n), "rb").read() for n in os.listdir(target))
        if ignores_case or first == second:
            held = status == 1 and "既に" in errors and kept == [sources[0].encode()]
        else:
            held = status == 0 and kept == sorted(s.encode() for s in sources)
        checks.record("name clash", held, f"{first}, {second}: exit {status} {errors} {kept}")


def check_batched_moves(checks, job, point, home):
    """Files moved into the file system and, in the same run, back out again."""
    origin, there = os.path.join(home, "batch"), os.path.join(point, "batch")
    os.makedirs(origin)
    os.makedirs(there)
    contents = {f"b{i:02d}": os.urandom(4096) for i in range(50)}
    for name, data in contents.items():
        with open(os.path.join(origin, name), "wb") as f:
            f.write(data)
    status, errors = job.run("m", [(there, os.path.join(origin, n)) for n in contents] +
                             [(origin, os.path.join(there, n)) for n in contents])
    back = {n: open(os.path.join(origin, n), "rb").read() for n in os.listdir(origin)}
    left = os.listdir(there)
    checks.record("batched moves", status == 0 and back == contents and not left,
                  f"exit {status} {errors}, {len(back)} back, {len(left)} left")


def check_file_system(name, point, home, job, trials):
    checks = Checks(name, point)
    contents = make_sources(os.path.join(home, "a"), "A")
    inside = os.path.join(point, "copy")
    os.makedirs(inside)
    for label in ["copy", "replacing copy"]:
        if label == "replacing copy":
            contents = make_sources(os.path.join(home, "a"), "B")
        status, errors = job.run("c", [(inside, os.path.join(home, "a", n)) for n in contents],
                                 verify=label == "replacing copy")
        checks.record("data", status == 0, f"{label}: exit {status} {errors}")
        check_files(checks, label, inside, contents, None, False)

    contents = make_sources(os.path.join(home, "m"), "M")
    into = os.path.join(point, "moved-in")
    os.makedirs(into)
    status, errors = job.run("m", [(into, os.path.join(home, "m", n)) for n in contents])
    checks.record("data", status == 0, f"move in: exit {status} {errors}")
    check_files(checks, "move in", into, contents, os.path.join(home, "m"), True)

    out = os.path.join(home, "moved-out")
    os.makedirs(out)
    status, errors = job.run("m", [(out, os.path.join(into, n)) for n in contents])
    checks.record("data", status == 0, f"move out: exit {status} {errors}")
    # Back on the home file system, what the tested one could not store is not expected.
    stored = checks.stores
    checks.stores = stored & {"holes"} | {"mode", "acl", "xattr"} & stored
    check_files(checks, "move out", out, {n: contents[n] for n in ["note.txt", "big.bin"]},
                into, True)
    checks.stores = stored

    check_clone(checks, job, point)
    check_name_clash(checks, job, point, home)
    check_batched_moves(checks, job, point, home)

    crash = run([sys.executable, CRASH_TEST, os.path.join(job.app, "Fennick"), "--small",
                 "--trials", str(trials), "--work", point, "--other-fs", home])
    summary = [line for line in crash.stdout.splitlines() if line.startswith("trials:")]
    checks.record("crash kills", crash.returncode == 0, crash.stdout[-2000:] + crash.stderr[-500:])
    checks.results["crash trials"] = summary[0].split()[1] if summary else "0"
    return checks


def print_table(all_checks, skipped):
    columns = ["data", "mtime", "mtime kept to", "mode", "ACL", "xattr (move)", "holes", "clone", "33 MiB copy within",
               "ignores case", "name clash", "batched moves", "crash kills", "crash trials"]
    def cell(value):
        return {True: "ok", False: "FAIL", None: "n/a"}.get(value, value)
    print("| file system | " + " | ".join(columns) + " |")
    print("|" + "---|" * (len(columns) + 1))
    for checks in all_checks:
        cells = [cell(checks.results.get(column, None)) for column in columns]
        print(f"| {checks.name} | " + " | ".join(cells) + " |")
    for name, reason in skipped:
        print(f"| {name} | skipped: {reason} |")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("executable", help="the built Fennick")
    parser.add_argument("--crash-trials", type=int, default=6, help="kills per file system")
    parser.add_argument("--only", default=None, help="comma-separated file systems")
    options = parser.parse_args()
    names = options.only.split(",") if options.only else list(FILE_SYSTEMS)
    if os.geteuid() != 0:
        print("skipped: mounting file systems needs root")
        return 77

    started = time.monotonic()
    work = tempfile.mkdtemp(prefix="fennick-fs-")
    mounts = Mounts()
    # An interrupt or a termination still undoes the mounts below.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    all_checks, skipped = [], []
    try:
        job = Job(os.path.abspath(options.executable), work)
        for name in names:
            point, reason = mount(name, work, mounts)
            if point is None:
                print(f"{name}: skipped: {reason}", flush=True)
                skipped.append((name, reason))
                continue
            home = tempfile.mkdtemp(prefix="home-" + name + "-", dir=work)
            began = time.monotonic()
            all_checks.append(check_file_system(name, point, home, job, options.crash_trials))
            print(f"{name}: {time.monotonic() - began:.1f} s", flush=True)
    finally:
        mounts.release()
        shutil.rmtree(work, ignore_errors=True)

    print_table(all_checks, skipped)
    problems = [problem for checks in all_checks for problem in checks.problems]
    for problem in problems:
        print("  " + problem)
    print(f"time: {time.monotonic() - started:.0f} s")
    if problems:
        return 1
    # A partial run is no pass: CTest shows it as skipped (SKIP_RETURN_CODE).
    if skipped:
        print("skipped: could not mount " + ", ".join(name for name, _ in skipped))
        return 77
    return 0


if __name__ == "__main__":
    sys.exit(main())
