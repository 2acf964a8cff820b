#!/usr/bin/env python3
"""Counts what one file costs the silent run: system calls (strace -c -f) and
user-space instructions (valgrind --tool=callgrind), for a new copy, a replacing
copy and a move within one file system. Each case runs once with 1 record and
once with 1 + N records; the difference divided by N is the cost per file, so
that the start of the program drops out.

    bench/count_calls.py build-bench/Fennick [--files 500] [--dir /dev/shm]
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

from bench_support import write_files, write_job_list

CASES = ("new copy", "replacing copy", "move within one fs")


def measure(tool_argv, exe, app, mode, profile, out_file):
    """Runs the program under a tool; returns the tool's output file's text."""
    subprocess.run(tool_argv + [exe, "/%s%s" % (mode, profile)], cwd=app, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   env={**os.environ, "LC_ALL": "C.UTF-8", "DISPLAY": ""})
    with open(out_file) as f:
        return f.read()


def calls(text):
    """The total of strace -c's table, and the calls by name."""
    by_name = {}
    for line in text.splitlines():
        fields = line.split()
        if len(fields) >= 5 and fields[0][0].isdigit() and not line.startswith("100.00"):
            by_name[fields[-1]] = int(fields[3])
    return sum(by_name.values()), by_name


def instructions(text):
    match = re.search(r"^summary:\s+(\d+)", text, re.M) or re.search(r"^totals:\s+(\d+)",
                                                                   text, re.M)
    return int(match.group(1))


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("exe")
    p.add_argument("--files", type=int, default=500)
    p.add_argument("--dir", default="/dev/shm")
    p.add_argument("--no-callgrind", action="store_true")
    args = p.parse_args()
    root = tempfile.mkdtemp(prefix="fennick-calls-", dir=args.dir)
    app = os.path.join(root, "app")
    os.makedirs(app)
    exe = os.path.join(app, "Fennick")
    shutil.copy2(args.exe, exe)
    results = {}
    try:
        for case in CASES:
            mode = "m" if case.startswith("move") else "c"
            per = {}
            for count in (1, 1 + args.files):
                src, dest = os.path.join(root, "src"), os.path.join(root, "dest")
                for folder in (src, dest):
                    shutil.rmtree(folder, ignore_errors=True)
                    os.makedirs(folder)
                sources = [os.path.join(src, "f%05d.dat" % i) for i in range(count)]
                write_files(sources, [b"x" * 4096] * count)
                if case.startswith("replacing"):
                    write_files([os.path.join(dest, os.path.basename(s)) for s in sources],
                                [b"old"] * count)
                write_job_list(app, "1", dest, sources)
                out = os.path.join(root, "tool.out")
                strace = measure(["strace", "-c", "-f", "-o", out], exe, app, mode, "1", out)
                row = list(calls(strace))
                if not args.no_callgrind:
                    # Fresh sources and targets for the second tool.
                    for folder in (src, dest):
                        shutil.rmtree(folder, ignore_errors=True)
                        os.makedirs(folder)
                    write_files(sources, [b"x" * 4096] * count)
                    if case.startswith("replacing"):
                        write_files([os.path.join(dest, os.path.basename(s)) for s in sources],
                                    [b"old"] * count)
                    grind = measure(["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out],
                                    exe, app, mode, "1", out)
                    row.append(instructions(grind))
                per[count] = row
            one, many = per[1], per[1 + args.files]
            by_call = {name: (many[1].get(name, 0) - one[1].get(name, 0)) / args.files
                       for name in many[1]}
            results[case] = ((many[0] - one[0]) / args.files,
                             (many[2] - one[2]) / args.files if len(many) > 2 else None,
                             {k: v for k, v in sorted(by_call.items()) if v >= 0.5})
    finally:
        shutil.rmtree(root, ignore_errors=True)
    print("| case | system calls per file | instructions per file (user space) | calls |")
    print("|---|---|---|---|")
    for case, (syscalls, instr, by_call) in results.items():
        print("| %s | %.1f | %s | %s |" % (
            case, syscalls, "-" if instr is None else "%.0f" % instr,
            ", ".join("%s %.1f" % item for item in by_call.items())))
    return 0


if __name__ == "__main__":
    sys.exit(main())
