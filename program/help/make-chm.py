#!/usr/bin/env python3
"""Compiles the help file from its UTF-8 sources.

A page's source is its body only, from its <h1> heading on: the head all pages share, titled
with that heading, and the closing tags are added here. The sources are kept in UTF-8; the
compiled file carries them in code page 936 (the GB2312 range of it, which every Chinese HTML
Help viewer reads), because the viewer decodes the contents and index files with the code page
of the file's language, and old viewers do not handle UTF-8 pages. chmcmd stamps the time of day into two places of the file; both are
cleared, so that the same sources always give the same bytes.

Usage: make-chm.py CHMCMD SOURCE_DIR STAGE_DIR OUTPUT
"""
import os
import re
import shutil
import struct
import subprocess
import sys
from pathlib import Path

PAGE_HEAD = """<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01 Transitional//EN">
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=gb2312">
<title>{title}</title>
<link rel="stylesheet" type="text/css" href="pelo.css">
</head>
<body>
"""
PAGE_TAIL = '</body>\n</html>\n'


def encode_gb2312(text, where):
    """Encodes as code page 936, accepting only characters of its GB2312 range.

    Both bytes of a GB2312 character are 0xA1 or above, so no byte of the result can be
    mistaken for ASCII by chmcmd or by the viewer's sitemap parser.
    """
    out = bytearray()
    for lineno, line in enumerate(text.splitlines(keepends=True), 1):
        for ch in line:
            if ch.isascii():
                out += ch.encode('ascii')
                continue
            try:
                code = ch.encode('cp936')
            except UnicodeEncodeError:
                code = b''
            if len(code) != 2 or code[0] < 0xA1 or code[1] < 0xA1:
                sys.exit(f'{where}:{lineno}: character U+{ord(ch):04X} {ch!r} is outside GB2312')
            out += code
    return bytes(out)


def page_head(body, where):
    """The head of the page whose body this is, titled with the body's heading."""
    heading = re.match(r'<h1>([^<>\n]+)</h1>\n', body)
    if not heading:
        sys.exit(f'{where}:1: a page begins with its <h1> heading, which is its title')
    if re.search(r'<(html|head|body|meta|title)\b|</(html|head|body)>', body, re.I):
        sys.exit(f'{where}: a page holds its body only; the head and closing tags are added')
    return PAGE_HEAD.format(title=heading.group(1))


def stage_sources(source_dir, stage_dir):
    if stage_dir.exists():
        shutil.rmtree(stage_dir)
    stage_dir.mkdir(parents=True)
    for src in sorted(source_dir.iterdir()):
        text = src.read_text(encoding='utf-8')
        data = encode_gb2312(text, src)
        if src.suffix == '.htm':
            data = encode_gb2312(page_head(text, src), src) + data + PAGE_TAIL.encode('ascii')
        (stage_dir / src.name).write_bytes(data)


def read_encint(data, pos):
    value = 0
    while True:
        byte = data[pos]
        pos += 1
        value = (value << 7) | (byte & 0x7F)
        if byte < 0x80:
            return value, pos


def find_entry(chm, wanted):
    """Section, offset and length of an archive member, from the PMGL directory chunks."""
    dir_offset = struct.unpack_from('<Q', chm, 0x48)[0]
    if chm[dir_offset : dir_offset + 4] != b'ITSP':
        sys.exit('compiled file: no directory header')
    header_len, _, chunk_size = struct.unpack_from('<III', chm, dir_offset + 8)
    chunks = dir_offset + header_len
    chunk_count = struct.unpack_from('<I', chm, dir_offset + 0x2C)[0]
    for n in range(chunk_count):
        chunk = chunks + n * chunk_size
        if chm[chunk : chunk + 4] != b'PMGL':
            continue
        free = struct.unpack_from('<I', chm, chunk + 4)[0]
        pos, end = chunk + 20, chunk + chunk_size - free
        while pos < end:
            name_len, pos = read_encint(chm, pos)
            name = chm[pos : pos + name_len].decode('utf-8')
            pos += name_len
            section, pos = read_encint(chm, pos)
            offset, pos = read_encint(chm, pos)
            length, pos = read_encint(chm, pos)
            if name == wanted:
                return section, offset, length
    sys.exit(f'compiled file: no {wanted}')


def clear_timestamps(chm):
    """Zeroes the header's time stamp and the #SYSTEM time stamp record (code 10)."""
    if chm[:4] != b'ITSF' or struct.unpack_from('<I', chm, 4)[0] != 3:
        sys.exit('compiled file: not an ITSF version 3 file')
    chm[0x10:0x14] = bytes(4)
    content0 = struct.unpack_from('<Q', chm, 0x58)[0]
    section, offset, length = find_entry(chm, '/#SYSTEM')
    if section != 0:
        sys.exit('compiled file: #SYSTEM is compressed')
    pos, end = content0 + offset + 4, content0 + offset + length
    while pos + 4 <= end:
        code, size = struct.unpack_from('<HH', chm, pos)
        if code == 10:
            chm[pos + 4 : pos + 4 + size] = bytes(size)
        pos += 4 + size


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    chmcmd, source_dir, stage_dir, output = sys.argv[1], Path(sys.argv[2]), Path(sys.argv[3]), Path(sys.argv[4])
    stage_sources(source_dir, stage_dir)
    projects = list(stage_dir.glob('*.hhp'))
    if len(projects) != 1:
        sys.exit(f'{source_dir}: needs exactly one .hhp project')
    project = projects[0]
    compiled = re.search(rb'^Compiled file=(.+?)\s*$', project.read_bytes(), re.M | re.I)
    if not compiled:
        sys.exit(f'{project.name}: no "Compiled file="')
    result = subprocess.run([chmcmd, project.name], cwd=stage_dir, capture_output=True, text=True,
                            encoding='cp936', errors='replace')
    log = result.stdout + result.stderr
    # chmcmd reports broken links and unknown files as errors yet exits with 0.
    if result.returncode != 0 or re.search(r'^(Error|Warning)', log, re.M):
        sys.exit(f'chmcmd failed:\n{log}')
    chm = bytearray((stage_dir / compiled.group(1).decode('ascii')).read_bytes())
    clear_timestamps(chm)
    partial = output.with_name(output.name + '.part')
    partial.write_bytes(chm)
    os.replace(partial, output)


if __name__ == '__main__':
    main()
