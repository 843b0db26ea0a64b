#!/usr/bin/env python3
"""Fails unless every given Windows binary imports only DLLs that Windows ships.

Usage: imports_audit.py [--expect-rejected DLL] OBJDUMP ALLOWED_LIST FILE[=DLL,...]...
ALLOWED_LIST names the system DLLs, one a line (# starts a comment); after a file, =DLL,...
names further DLLs that this file alone may import (Pelo.exe its hook library). Names compare
without regard to case, as Windows compares them. A file that imports nothing counts as
unreadable: every deliverable imports at least KERNEL32.
--expect-rejected checks the audit itself: it passes only when every file is rejected for
importing that DLL.
"""
import re
import subprocess
import sys
from pathlib import Path


def imports(objdump, path):
    out = subprocess.run([objdump, '-p', path], capture_output=True, text=True)
    if out.returncode != 0:
        raise RuntimeError(f'{objdump} -p {path} failed: {out.stderr.strip()}')
    return re.findall(r'^\s*DLL Name:\s*(\S+)\s*$', out.stdout, re.MULTILINE)


def main(argv):
    expected = None
    if len(argv) > 2 and argv[1] == '--expect-rejected':
        expected, argv = argv[2].lower(), argv[:1] + argv[3:]
    if len(argv) < 4:
        sys.exit(__doc__)
    objdump, allowed_list, files = argv[1], argv[2], argv[3:]
    allowed = set()
    for line in Path(allowed_list).read_text().splitlines():
        name = line.split('#', 1)[0].strip()
        if name:
            allowed.add(name.lower())
    bad = rejected_as_expected = 0
    for spec in files:
        path, _, extra = spec.partition('=')
        mine = allowed | {e.lower() for e in extra.split(',') if e}
        try:
            dlls = imports(objdump, path)
        except (RuntimeError, OSError) as e:
            print(f'{path}: {e}')
            bad += 1
            continue
        if not dlls:
            print(f'{path}: no imports found: not a Windows binary?')
            bad += 1
            continue
        foreign = [d for d in dlls if d.lower() not in mine]
        for d in foreign:
            print(f'{Path(path).name} imports {d}, which Windows does not ship')
        bad += bool(foreign)
        rejected_as_expected += expected in (d.lower() for d in foreign)
        print(f"{'FAILED' if foreign else 'ok    '} {Path(path).name}: {', '.join(dlls)}")
    if expected is not None:
        return 0 if rejected_as_expected == len(files) else 1
    return 1 if bad else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
