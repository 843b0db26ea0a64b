#!/usr/bin/env python3
"""Runs widl (the first argument) with the other arguments. The type library it writes (-o
FILE.tlb) then carries a fixed creation time instead of the clock's, so that every build of the
same IDL gives the same bytes; fixed rather than the commit's time, because a build that already
has the library does not make it again for a new commit. widl stores the time twice: as the text
of its "Created by" note and as a number of seconds (a VT_UI4 custom value)."""
import re
import subprocess
import sys
import time

FIXED_TIME = 0

before = int(time.time())
status = subprocess.call(sys.argv[1:])
after = int(time.time())
args = sys.argv[2:]
if status == 0 and '-o' in args and args[args.index('-o') + 1].endswith('.tlb'):
    path = args[args.index('-o') + 1]
    data = open(path, 'rb').read()
    # The text is C's ctime(): 24 characters, whatever the date.
    stamp = time.strftime('%a %b %e %H:%M:%S %Y', time.gmtime(FIXED_TIME)).encode('ascii')
    data, texts = re.subn(rb'(Created by WIDL version [^\n]* at )[^\n]{24}\n',
                          lambda m: m.group(1) + stamp + b'\n', data)
    numbers = 0

    def number(m):
        global numbers
        if not before <= int.from_bytes(m.group(2), 'little') <= after:
            return m.group(0)
        numbers += 1
        return m.group(1) + FIXED_TIME.to_bytes(4, 'little')

    data = re.sub(rb'(\x13\x00)(.{4})', number, data, flags=re.DOTALL)
    if texts != 1 or numbers != 1:
        sys.exit(f'reproducible-widl: {path} holds {texts} creation notes and {numbers} times, not one each')
    open(path, 'wb').write(data)
sys.exit(status)
