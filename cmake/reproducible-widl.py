#!/usr/bin/env python3
"""Runs widl (the first argument) with the other arguments. When SOURCE_DATE_EPOCH is set, the
type library it writes (-o FILE.tlb) then says it was created at that time instead of now, so
that two builds of one commit embed the same bytes: widl stores its clock's time twice, as the
text of its "Created by" note and as a number of seconds (a VT_UI4 custom value)."""
import os
import re
import subprocess
import sys
import time

before = int(time.time())
status = subprocess.call(sys.argv[1:])
after = int(time.time())
epoch = os.environ.get('SOURCE_DATE_EPOCH')
args = sys.argv[2:]
if status == 0 and epoch and '-o' in args and args[args.index('-o') + 1].endswith('.tlb'):
    path = args[args.index('-o') + 1]
    data = open(path, 'rb').read()
    # The text is C's ctime(): 24 characters, whatever the date.
    stamp = time.strftime('%a %b %e %H:%M:%S %Y', time.gmtime(int(epoch))).encode('ascii')
    data, texts = re.subn(rb'(Created by WIDL version [^\n]* at )[^\n]{24}\n',
                          lambda m: m.group(1) + stamp + b'\n', data)
    numbers = 0

    def number(m):
        global numbers
        if not before <= int.from_bytes(m.group(2), 'little') <= after:
            return m.group(0)
        numbers += 1
        return m.group(1) + int(epoch).to_bytes(4, 'little')

    data = re.sub(rb'(\x13\x00)(.{4})', number, data, flags=re.DOTALL)
    if texts != 1 or numbers != 1:
        sys.exit(f'reproducible-widl: {path} holds {texts} creation notes and {numbers} times, not one each')
    open(path, 'wb').write(data)
sys.exit(status)
