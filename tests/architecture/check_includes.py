#!/usr/bin/env python3
"""Fails when a file under src/ includes a folder of the program that the
README's table of include directions does not allow for its own folder.

usage: check_includes.py <source root>
"""
import pathlib
import re
import sys

# Headers the build generates; they hold constants only and may be included anywhere.
GENERATED = {"fennick_version.h"}
# The entry points directly under src/ belong to the app folder.
ENTRY_POINT_FOLDER = "app"


def read_table(readme):
    """The rows of the table whose header is "| folder | may include |"."""
    allowed, in_table = {}, False
    for line in readme.read_text(encoding="utf-8").splitlines():
        if re.match(r"\|\s*folder\s*\|\s*may include\s*\|", line):
            in_table = True
            continue
        if not in_table:
            continue
        if not line.startswith("|"):
            break
        cells = [cell.strip() for cell in line.strip("|").split("|")]
        if set(cells[0]) <= {"-"}:
            continue
        allowed[cells[0]] = {name.strip() for name in cells[1].split(",") if name.strip()}
    return allowed


def violations(src, allowed):
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        relative = path.relative_to(src)
        folder = relative.parts[0] if len(relative.parts) > 1 else ENTRY_POINT_FOLDER
        if folder not in allowed:
            yield f"{relative}: folder '{folder}' has no row in the table"
            continue
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            match = re.match(r'\s*#\s*include\s+"([^"]+)"', line)
            if not match or match.group(1) in GENERATED:
                continue
            target = match.group(1).split("/")[0] if "/" in match.group(1) else None
            if target != folder and target not in allowed[folder]:
                yield f"{relative}:{number}: {folder} may not include \"{match.group(1)}\""


def main():
    root = pathlib.Path(sys.argv[1])
    allowed = read_table(root / "README.md")
    if not allowed:
        print("README.md has no table of include directions")
        return 1
    found = list(violations(root / "src", allowed))
    for line in found:
        print(line)
    print(f"{len(found)} include(s) outside the table")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
