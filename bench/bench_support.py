"""Helpers of the benchmark: the launcher that times a command and reads its peak
memory, the job lists, the data files and the checks of a run's result."""

import os
import shutil
import subprocess
import sys
import time


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


# Every command is started by this small helper, a fresh interpreter of its own,
# which times it. Peak memory is read by peak_rss.c instead: a child's peak RSS as
# wait4 reports it includes the memory of the process that started it (the kernel
# keeps the old image's high-water mark at exec), here an interpreter's size.
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
          flush=True)
"""


class Launcher:
    def __init__(self, env, err_path):
        self.err_path = err_path
        self.proc = subprocess.Popen([sys.executable, "-S", "-I", "-c", LAUNCHER], env=env,
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)

    def run(self, argv):
        """Runs argv; returns (seconds, CPU seconds, exit status, stderr)."""
        self.proc.stdin.write("\0".join([self.err_path] + argv) + "\n")
        self.proc.stdin.flush()
        elapsed, cpu, status = self.proc.stdout.readline().split()
        with open(self.err_path, encoding="utf-8", errors="replace") as f:
            err = f.read()
        return float(elapsed), float(cpu), int(status), err

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


def write_list(path, sources):
    """A list of source paths, one a line, for rsync --files-from and the floor."""
    with open(path, "w", encoding="utf-8") as f:
        f.writelines(s + "\n" for s in sources)


def build_floor(folder, kept_checks=False):
    """Compiles the minimal safe copier (floor_copier.c) with cc into folder; with
    kept_checks, the variant that makes Fennick's unavoidable checks and loads Qt
    Core at start (None when Qt Core's flags cannot be found)."""
    exe = os.path.join(folder, "floor_checked" if kept_checks else "floor_copier")
    source = os.path.join(os.path.dirname(os.path.abspath(__file__)), "floor_copier.c")
    extra = []
    if kept_checks:
        qt = subprocess.run(["pkg-config", "--libs", "Qt6Core"], capture_output=True, text=True)
        if qt.returncode != 0:
            return None
        extra = ["-DKEPT_CHECKS", "-Wl,--no-as-needed"] + qt.stdout.split()
    subprocess.run(["cc", "-O2", "-o", exe, source] + extra, check=True)
    return exe


def build_peak_rss(folder):
    """Compiles peak_rss.c, which reports a command's peak memory, into folder."""
    exe = os.path.join(folder, "peak_rss")
    source = os.path.join(os.path.dirname(os.path.abspath(__file__)), "peak_rss.c")
    subprocess.run(["cc", "-O2", "-o", exe, source], check=True)
    return exe


class LoopImage:
    """An ext4 file system in an image file on disk, mounted for the durable move
    (needs root). Nothing is mounted when that fails; why_not says why."""

    def __init__(self, image_dir, size_mib=1024):
        self.mount_point = None
        self.why_not = None
        self.image = os.path.join(image_dir, "fennick-bench-%d.img" % os.getpid())
        point = self.image[:-4] + ".mnt"
        try:
            with open(self.image, "wb") as f:
                f.truncate(size_mib << 20)
            subprocess.run(["mkfs.ext4", "-q", "-F", self.image], check=True,
                           capture_output=True)
            os.makedirs(point)
            subprocess.run(["mount", "-o", "loop", self.image, point], check=True,
                           capture_output=True)
            self.mount_point = point
        except (OSError, subprocess.CalledProcessError) as e:
            self.why_not = "no ext4 image mounted (%s)" % e
            self.close()

    def close(self):
        if self.mount_point:
            subprocess.run(["umount", self.mount_point], check=False)
            self.mount_point = None
        for path, remove in ((self.image[:-4] + ".mnt", os.rmdir), (self.image, os.remove)):
            try:
                remove(path)
            except OSError:
                pass
