#!/usr/bin/env python3
"""Fails when a source file includes a project file that its folder may not use.

The allowed order is the table under "Include order" in docs/ARCHITECTURE.md:
one row per folder, naming the folders it may include besides itself ("*" for
any). A file belongs to the longest folder of the table that holds it; a file
in no folder of the table is an error too, so a new folder must be placed
before it is used. Includes that name no project file (the system's headers,
headers generated into the build tree) are not checked.
Usage: check-includes.py [repository root]
"""

import pathlib
import re
import subprocess
import sys

ROW = re.compile(r"^\|\s*`([^`]+/)`\s*\|(.*)\|\s*$")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def read_order(architecture):
    """{folder: set of folders it may include, or None for any}"""
    order = {}
    in_section = False
    for line in architecture.read_text(encoding="utf-8").splitlines():
        if line.startswith("## "):
            in_section = line.strip() == "## Include order"
            continue
        match = ROW.match(line) if in_section else None
        if match:
            allowed = match.group(2).strip()
            order[match.group(1)] = None if allowed == "*" else set(re.findall(r"`([^`]+/)`", allowed))
    return order


def folder_of(path, order):
    holders = [folder for folder in order if path.startswith(folder)]
    return max(holders, key=len) if holders else None


def resolve(root, including, name):
    """The included file's path from the root, or None when it is not the project's."""
    for base in (including.parent, root):
        candidate = (base / name).resolve()
        if candidate.is_file() and candidate.is_relative_to(root):
            return candidate.relative_to(root).as_posix()
    return None


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent).resolve()
    order = read_order(root / "docs" / "ARCHITECTURE.md")
    if not order:
        print("check-includes: no include order table in docs/ARCHITECTURE.md", file=sys.stderr)
        return 2
    files = subprocess.run(["git", "-C", str(root), "ls-files", "*.h", "*.cpp", "*.c", "*.rc", "*.idl"],
                           check=True, capture_output=True, text=True).stdout.split()
    faults = 0
    for name in files:
        folder = folder_of(name, order)
        if folder is None:
            print(f"{name}: its folder is not in the include order", file=sys.stderr)
            faults += 1
            continue
        allowed = order[folder]
        path = root / name
        for number, line in enumerate(path.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
            match = INCLUDE.match(line)
            target = resolve(root, path, match.group(1)) if match else None
            if target is None or allowed is None:
                continue
            target_folder = folder_of(target, order)
            if target_folder != folder and target_folder not in allowed:
                print(f"{name}:{number}: includes {target} ({target_folder or 'no folder'}),"
                      f" which {folder} may not use", file=sys.stderr)
                faults += 1
    print(f"check-includes: {len(files)} files, {faults} wrong includes")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
