#!/usr/bin/env python3
"""Checks the include graph of src/ against the layers of docs/ARCHITECTURE.md.

Every `#include "module/..."` of a file under src/MODULE/ is read and judged:

  * A module includes only from itself and from the layers below it. Modules of one layer never
    include each other (transfer and maintenance share nothing but what lies below them; the
    three front ends are three programs).
  * A front end reaches the core through its operations (transfer, maintenance) and its ports;
    from disk/ only what puts a medium into the drive, from fs/ only the records it shows, from
    host/ only the helpers named below.
  * The core never includes Qt or FUSE.

Exit status 0 when everything holds, 1 with one line per fault otherwise. With --table it also
prints, for each front end, its includes per layer of the core: the number of #include lines and,
in parentheses, the number of distinct headers.
"""

import argparse
import os
import re
import sys

# Lower rank is lower in the stack; a module may include from a lower rank or from itself.
RANK = {
    "host": 0,
    "disk": 1,
    "fs": 2,
    "ports": 3,
    "transfer": 4,
    "maintenance": 4,
    "cli": 5,
    "ui": 5,
    "mount": 5,
}
CORE = ["host", "disk", "fs", "ports", "transfer", "maintenance"]
FRONT_ENDS = ["cli", "ui", "mount"]

# What a front end may take from the core beside transfer/, maintenance/ and ports/.
FRONT_END_ALLOWED = {
    # Putting a medium into the drive: the drive itself, its default, opening an image or a
    # device (with who may open it), the machine's drives to choose from, and the medium
    # interface a device opener hands over.
    "disk/drive.h",
    "disk/default_drive.h",
    "disk/image_medium.h",
    "disk/block_device_medium.h",
    "disk/device_access.h",
    "disk/floppy_drives.h",
    "disk/medium.h",
    # The records a front end shows.
    "fs/file_record.h",
    # Wrappers of system calls that know nothing of diskettes: the owned descriptor and the
    # whole-transfer loops. The mount needs them for its own pipe to the background process and
    # its staging files, which are the mount's own and no operation of the core.
    "host/unique_fd.h",
    "host/full_io.h",
}

# Start-up code: the first call of every main().
MAIN_ALLOWED = {
    "host/standard_streams.h",
}

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
SYSTEM_INCLUDE = re.compile(r"^\s*#\s*include\s*<([^>]+)>")
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc")


def module_of(relative):
    """The module a path below src/ belongs to (its first folder), or None."""
    head = relative.replace(os.sep, "/").split("/", 1)[0]
    return head if head in RANK else None


def read_includes(path):
    quoted, system = [], []
    with open(path, encoding="utf-8", errors="replace") as f:
        for number, line in enumerate(f, 1):
            m = INCLUDE.match(line)
            if m:
                quoted.append((number, m.group(1)))
                continue
            m = SYSTEM_INCLUDE.match(line)
            if m:
                system.append((number, m.group(1)))
    return quoted, system


def is_qt_or_fuse(header):
    first = header.split("/", 1)[0]
    return (first.startswith("Q") and first[1:2].isupper()) or first.startswith("Qt") or \
        first.startswith("fuse")


def check_file(relative, quoted, system):
    faults = []
    module = module_of(relative)
    if module is None:
        return faults
    is_main = os.path.basename(relative) == "main.cpp"
    for number, header in quoted:
        target = module_of(header)
        if target is None:
            continue
        where = f"src/{relative}:{number}: {header}"
        if target != module and RANK[target] >= RANK[module]:
            kind = "upwards" if RANK[target] > RANK[module] else "sideways"
            faults.append(f"{where}: {module} includes {kind} from {target}")
            continue
        if module in FRONT_ENDS and target in ("host", "disk", "fs"):
            if header in FRONT_END_ALLOWED or (is_main and header in MAIN_ALLOWED):
                continue
            faults.append(f"{where}: front end {module} reaches {target}/ beyond what it may")
    if module in CORE:
        for number, header in system:
            if is_qt_or_fuse(header):
                faults.append(f"src/{relative}:{number}: <{header}>: the core includes Qt or FUSE")
    return faults


def walk(src):
    for root, dirs, files in os.walk(src):
        dirs.sort()
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                path = os.path.join(root, name)
                yield os.path.relpath(path, src), path


def table(counts):
    width = max(len(layer) for layer in CORE) + 1
    lines = ["front end".ljust(10) + "".join(layer.rjust(width) for layer in CORE)]
    for front in FRONT_ENDS:
        row = front.ljust(10)
        for layer in CORE:
            lines_, headers = counts[front][layer]
            cell = f"{len(lines_)} ({len(headers)})" if lines_ else "-"
            row += cell.rjust(width)
        lines.append(row)
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("src", help="the src/ folder")
    parser.add_argument("--table", action="store_true",
                        help="print what each front end includes per layer")
    args = parser.parse_args()
    if not os.path.isdir(args.src):
        print(f"check_layers: {args.src} is no folder", file=sys.stderr)
        return 2

    faults = []
    counts = {f: {layer: ([], set()) for layer in CORE} for f in FRONT_ENDS}
    files = 0
    for relative, path in walk(args.src):
        quoted, system = read_includes(path)
        files += 1
        faults += check_file(relative, quoted, system)
        module = module_of(relative)
        if module in FRONT_ENDS:
            for _, header in quoted:
                target = module_of(header)
                if target in CORE:
                    counts[module][target][0].append(header)
                    counts[module][target][1].add(header)
    if files == 0:
        print(f"check_layers: no source files below {args.src}", file=sys.stderr)
        return 2
    if args.table:
        print(table(counts))
    for fault in faults:
        print(fault)
    if faults:
        print(f"check_layers: {len(faults)} includes break the layers", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
