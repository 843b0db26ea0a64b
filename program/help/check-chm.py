#!/usr/bin/env python3
"""Reads the compiled help file back with chmls and checks what a viewer relies on.

Usage: check-chm.py CHMLS HELP_FILE contents|index
  contents: the language is Chinese (PRC); every page the table of contents lists can be read
            back, is not empty, decodes in its declared charset and has the entry's name as its
            title; the default topic is one of them.
  index:    every index entry points at a page in the file and, where it names one, at an
            anchor of that page; so does every link between the pages.
"""
import re
import struct
import subprocess
import sys
import tempfile
from html.parser import HTMLParser
from pathlib import Path

LANG_CHINESE_PRC = 0x804
SITEMAP_CODEPAGE = 'cp936'  # the code page of that language, in which viewers read sitemaps


class Sitemap(HTMLParser):
    """The (Name, Local) pairs of the text/sitemap objects of a .hhc or .hhk file."""

    def __init__(self):
        super().__init__()
        self.entries, self._current = [], None

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == 'object' and attrs.get('type', '').lower() == 'text/sitemap':
            self._current = {}
        elif tag == 'param' and self._current is not None:
            self._current.setdefault(attrs.get('name', '').lower(), attrs.get('value', ''))

    def handle_endtag(self, tag):
        if tag == 'object' and self._current is not None:
            self.entries.append((self._current.get('name', ''), self._current.get('local')))
            self._current = None


class Page(HTMLParser):
    def __init__(self):
        super().__init__()
        self.title, self.anchors, self.links, self._in_title = '', set(), [], False

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        self._in_title = tag == 'title'
        for key in ('name', 'id'):
            if tag == 'a' and attrs.get(key):
                self.anchors.add(attrs[key])
        if tag in ('a', 'link') and attrs.get('href'):
            self.links.append(attrs['href'])

    def handle_endtag(self, tag):
        if tag == 'title':
            self._in_title = False

    def handle_data(self, data):
        if self._in_title:
            self.title += data


def system_records(data):
    """#SYSTEM: a version, then records of (code, length, data)."""
    records, pos = {}, 4
    while pos + 4 <= len(data):
        code, size = struct.unpack_from('<HH', data, pos)
        records[code] = data[pos + 4 : pos + 4 + size]
        pos += 4 + size
    return records


def c_string(data):
    return data.split(b'\0', 1)[0].decode('ascii')


def read_page(root, name, failures):
    path = root / name
    if not path.is_file() or path.stat().st_size == 0:
        failures.append(f'{name}: missing or empty')
        return None
    raw = path.read_bytes()
    charset = re.search(rb'charset=([\w-]+)', raw)
    if not charset:
        failures.append(f'{name}: declares no charset')
        return None
    codec = {'gb2312': 'cp936'}.get(charset.group(1).decode().lower(), charset.group(1).decode())
    try:
        text = raw.decode(codec)
    except (LookupError, UnicodeDecodeError) as error:
        failures.append(f'{name}: does not decode as {charset.group(1).decode()}: {error}')
        return None
    page = Page()
    page.feed(text)
    return page


def check_target(root, target, where, failures):
    name, _, anchor = target.partition('#')
    if not (root / name).is_file():
        failures.append(f'{where}: {target}: no such page')
    elif anchor:
        page = read_page(root, name, failures)
        if page and anchor not in page.anchors:
            failures.append(f'{where}: {target}: no such anchor')


def check_contents(root, system, failures):
    lcid = struct.unpack_from('<I', system[4])[0] if 4 in system else None
    if lcid != LANG_CHINESE_PRC:
        failures.append(f'language id is {lcid!r}, not 0x804')
    sitemap = Sitemap()
    sitemap.feed((root / c_string(system[0])).read_bytes().decode(SITEMAP_CODEPAGE))
    pages = [(name, local) for name, local in sitemap.entries if local]
    if not pages:
        failures.append('the table of contents lists no page')
    for name, local in pages:
        page = read_page(root, local, failures)
        if page and page.title.strip() != name:
            failures.append(f'{local}: title {page.title.strip()!r}, listed as {name!r}')
    default = c_string(system[2])
    if default not in {local for _, local in pages}:
        failures.append(f'default topic {default} is not in the table of contents')
    return len(pages)


def check_index(root, system, failures):
    sitemap = Sitemap()
    sitemap.feed((root / c_string(system[1])).read_bytes().decode(SITEMAP_CODEPAGE))
    if not sitemap.entries:
        failures.append('the index has no entry')
    for name, local in sitemap.entries:
        check_target(root, local or '', f'index entry {name!r}', failures)
    for path in sorted(root.glob('*.htm')):
        page = read_page(root, path.name, failures)
        for link in page.links if page else []:
            if not re.match(r'[a-z]+:', link):
                check_target(root, link if not link.startswith('#') else path.name + link, path.name, failures)
    return len(sitemap.entries)


def main():
    if len(sys.argv) != 4 or sys.argv[3] not in ('contents', 'index'):
        sys.exit(__doc__)
    chmls, help_file, what = sys.argv[1], Path(sys.argv[2]), sys.argv[3]
    if not help_file.is_file() or help_file.stat().st_size == 0:
        sys.exit(f'{help_file}: missing or empty')
    with tempfile.TemporaryDirectory() as tmp:
        root = Path(tmp)
        extracted = subprocess.run([chmls, 'extractall', str(help_file), tmp], capture_output=True, text=True)
        if extracted.returncode != 0 or not (root / '#SYSTEM').is_file():
            sys.exit(f'chmls cannot read {help_file}:\n{extracted.stdout}{extracted.stderr}')
        system = system_records((root / '#SYSTEM').read_bytes())
        missing = [code for code in (0, 1, 2) if code not in system]
        if missing:
            sys.exit(f'#SYSTEM lacks the contents file, index file or default topic (codes {missing})')
        failures = []
        count = (check_contents if what == 'contents' else check_index)(root, system, failures)
    for failure in failures:
        print('FAILED:', failure)
    print(f'{what}: {count} entries checked, {len(failures)} failures')
    sys.exit(1 if failures else 0)


if __name__ == '__main__':
    main()
