#!/usr/bin/env python3
"""Packing is reproducible: the same binaries and files, staged twice from copies written in
another order at other times, give the same stripped binaries, debug files and zip, and that zip
is the build's own. The zip holds the five files in name order, with the given time and UTF-8
names; the stripped binaries carry no debug information but a link to their debug file.

Usage: package_repro_test.py PACKAGE_TOOL OBJCOPY OBJDUMP EPOCH BUILD_ZIP BINARY... -- FILE...
"""
import filecmp
import os
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile
from pathlib import Path

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print('FAILED', message)


def run(*args):
    subprocess.run([str(a) for a in args], check=True)


def same_tree(a, b):
    names_a = sorted(p.name for p in a.iterdir())
    names_b = sorted(p.name for p in b.iterdir())
    check(names_a == names_b, f'{a} and {b} hold other files: {names_a} / {names_b}')
    for name in names_a:
        check(filecmp.cmp(a / name, b / name, shallow=False), f'{name} differs between two stagings')


def sections(objdump, path):
    out = subprocess.run([objdump, '-h', str(path)], capture_output=True, text=True, check=True).stdout
    rows = (line.split() for line in out.splitlines())
    return {row[1] for row in rows if len(row) > 1 and row[0].isdigit()}


def main(argv):
    if len(argv) < 8 or '--' not in argv:
        sys.exit(__doc__)
    tool, objcopy, objdump, epoch, build_zip = argv[1:6]
    rest = argv[6:]
    binaries, files = rest[:rest.index('--')], rest[rest.index('--') + 1:]
    epoch = int(epoch)
    inputs = [Path(p) for p in binaries + files]

    with tempfile.TemporaryDirectory() as tmp:
        tmp = Path(tmp)
        runs = []
        for n, order in enumerate((inputs, list(reversed(inputs)))):
            src = tmp / f'src{n}'
            src.mkdir()
            copies = {}
            for i, p in enumerate(order):
                copies[p] = src / p.name
                stamp = time.time() - 1000 * (n + 1) - i
                # A binary the build split names its debug file beside it: it goes along.
                for f in (p, p.with_name(p.name + '.debug')):
                    if f == p or f.exists():
                        shutil.copyfile(f, src / f.name)
                        os.utime(src / f.name, (stamp, stamp))
            out, symbols = tmp / f'out{n}', tmp / f'symbols{n}'
            staged_binaries = [copies[Path(b)] for b in binaries]
            staged_files = [copies[Path(f)] for f in files]
            if n:
                staged_binaries.reverse()
                staged_files.reverse()
            run(sys.executable, tool, 'stage', objcopy, epoch, out, symbols, *staged_binaries, '--',
                *staged_files)
            run(sys.executable, tool, 'zip', epoch, tmp / f'{n}.zip', out)
            runs.append((out, symbols, tmp / f'{n}.zip'))

        (out0, sym0, zip0), (out1, sym1, zip1) = runs
        same_tree(out0, out1)
        same_tree(sym0, sym1)
        check(filecmp.cmp(zip0, zip1, shallow=False), 'two zips of the same files differ')
        check(filecmp.cmp(zip0, build_zip, shallow=False), f'{build_zip} is not the zip of its own files')

        # A zip entry's time counts seconds in twos.
        stamp = time.gmtime(epoch - epoch % 2)[:6]
        with zipfile.ZipFile(zip0) as z:
            infos = z.infolist()
            names = [i.filename for i in infos]
            check(names == sorted(p.name for p in inputs), f'zip entries {names}')
            for i in infos:
                check(i.date_time == stamp, f'{i.filename} has the time {i.date_time}, not {stamp}')
                check(i.create_system == 0 and i.external_attr == 0x20,
                      f'{i.filename} has system attributes {i.create_system} {i.external_attr:#x}')
                if not i.filename.isascii():
                    check(i.flag_bits & 0x800, f'{i.filename} is not marked as a UTF-8 name')
                check(z.read(i) == (out0 / i.filename).read_bytes(), f'{i.filename} is not the staged file')
        for p in out0.iterdir():
            check(os.stat(p).st_mtime == epoch, f'{p.name} does not carry the given time')

        run(sys.executable, tool, 'zip', epoch + 86400, tmp / 'later.zip', out0)
        check(not filecmp.cmp(zip0, tmp / 'later.zip', shallow=False), 'the zip does not store the time')

        for b in map(Path, binaries):
            stripped = sections(objdump, out0 / b.name)
            check(not any(s.startswith('.debug') for s in stripped), f'{b.name} keeps debug sections')
            check('.gnu_debuglink' in stripped, f'{b.name} does not name its debug file')
            check((sym0 / (b.name + '.debug')).is_file(), f'no {b.name}.debug')
        main_binary = Path(binaries[0]).name
        check('.debug_info' in sections(objdump, sym0 / (main_binary + '.debug')),
              f'{main_binary}.debug holds no debug information')

    print(f'package_repro_test: {len(failures)} failures')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
