#!/usr/bin/env python3
"""Makes the package files. Every output depends only on the inputs and the given time (seconds
since 1970, normally the commit's date), never on the clock, the build folder or the order in
which files were written, so that two builds of one commit give the same bytes.

  package.py stage OBJCOPY EPOCH OUT_DIR SYMBOLS_DIR BINARY... [-- FILE...]
      Copies each binary into OUT_DIR without its symbols and debug information, which go to
      SYMBOLS_DIR/<name>.debug (the binary names that file in its .gnu_debuglink section), and
      copies each FILE as it is. Every file written gets the given time (the installer stores
      it).
  package.py text VERSION SOURCE OUT
      A UTF-8 text for Windows: @VERSION@ replaced, CRLF line ends, a byte-order mark.
  package.py zip EPOCH OUT_ZIP DIR
      The files of DIR (not its subfolders) as a zip, in name order, each with the given time,
      UTF-8 names, no system-specific fields.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile
from pathlib import Path

# The oldest time a zip entry can carry.
ZIP_EPOCH_MIN = 315532800
FILE_ATTRIBUTE_ARCHIVE = 0x20


def set_time(path, epoch):
    os.utime(path, (epoch, epoch))


def has_debuglink(objcopy, binary):
    # objcopy ends with 0 when the section to dump is missing: the dumped file tells.
    with tempfile.TemporaryDirectory() as tmp:
        link = Path(tmp) / 'link'
        subprocess.run([objcopy, '--dump-section', '.gnu_debuglink=' + str(link), str(binary),
                        str(Path(tmp) / 'copy')], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return link.exists()


def stage(objcopy, epoch, out_dir, symbols_dir, binaries, files):
    out_dir, symbols_dir = Path(out_dir), Path(symbols_dir)
    # objcopy stamps the PE header of a file it writes with this time, else with the clock's.
    env = dict(os.environ, SOURCE_DATE_EPOCH=str(epoch))
    out_dir.mkdir(parents=True, exist_ok=True)
    symbols_dir.mkdir(parents=True, exist_ok=True)
    for binary in map(Path, binaries):
        debug = symbols_dir / (binary.name + '.debug')
        target = out_dir / binary.name
        # A binary the build has split already names its debug file beside it.
        source = binary.with_name(binary.name + '.debug') if has_debuglink(objcopy, binary) else binary
        subprocess.run([objcopy, '--only-keep-debug', str(source), str(debug)], check=True, env=env)
        # objcopy writes beside its output first; a temporary name keeps a half-written file
        # from ever standing under the real one.
        with tempfile.TemporaryDirectory(dir=out_dir) as tmp:
            stripped = Path(tmp) / binary.name
            subprocess.run([objcopy, '--strip-all', '--remove-section=.gnu_debuglink',
                            '--add-gnu-debuglink=' + str(debug), str(binary), str(stripped)],
                           check=True, env=env)
            os.replace(stripped, target)
        set_time(debug, epoch)
        set_time(target, epoch)
    for f in map(Path, files):
        target = out_dir / f.name
        shutil.copyfile(f, target)
        set_time(target, epoch)


def text(version, source, out):
    body = Path(source).read_text(encoding='utf-8').replace('@VERSION@', version)
    body = body.replace('\r\n', '\n').replace('\n', '\r\n')
    Path(out).write_bytes(b'\xef\xbb\xbf' + body.encode('utf-8'))


def make_zip(epoch, out_zip, directory):
    stamp = time.gmtime(max(epoch, ZIP_EPOCH_MIN))[:6]
    names = sorted(p.name for p in Path(directory).iterdir() if p.is_file())
    tmp = out_zip + '.tmp'
    with zipfile.ZipFile(tmp, 'w') as z:
        for name in names:
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0  # MS-DOS attributes, no Unix mode bits
            info.external_attr = FILE_ATTRIBUTE_ARCHIVE
            z.writestr(info, (Path(directory) / name).read_bytes(), compresslevel=9)
    os.replace(tmp, out_zip)


def main(argv):
    if len(argv) < 2:
        sys.exit(__doc__)
    command, args = argv[1], argv[2:]
    if command == 'stage' and len(args) >= 4:
        binaries, files = args[4:], []
        if '--' in binaries:
            i = binaries.index('--')
            binaries, files = binaries[:i], binaries[i + 1:]
        stage(args[0], int(args[1]), args[2], args[3], binaries, files)
    elif command == 'text' and len(args) == 3:
        text(args[0], args[1], args[2])
    elif command == 'zip' and len(args) == 3:
        make_zip(int(args[0]), args[1], args[2])
    else:
        sys.exit(__doc__)


if __name__ == '__main__':
    main(sys.argv)
