#!/usr/bin/env python3
"""Lists every case of the Windows test programs with its result, from the XML files GoogleTest
wrote (one per test program or shard), and fails when a case failed or a program left no results
(it crashed or was ended before it could write them).
Usage: test-cases.py RESULTS_DIR..."""
import glob
import os
import sys
import xml.etree.ElementTree as ET


def main(dirs):
    failed, total, files = [], 0, 0
    for d in dirs:
        for path in sorted(glob.glob(os.path.join(d, "*.xml"))):
            files += 1
            test = os.path.basename(path)[:-4]
            try:
                root = ET.parse(path).getroot()
            except ET.ParseError as e:
                failed.append(f"{test}: unreadable results ({e})")
                continue
            for case in root.iter("testcase"):
                if case.get("result", "completed") == "suppressed" or case.get("status") == "notrun":
                    continue
                total += 1
                name = f"{case.get('classname')}.{case.get('name')}"
                bad = case.find("failure") is not None or case.find("error") is not None
                print(f"{'FAILED' if bad else 'ok    '} {test:42} {name} ({float(case.get('time', 0)):.1f} s)")
                if bad:
                    failed.append(f"{test}: {name}")
    print(f"test-cases: {total} cases of the Windows test programs in {files} result files, {len(failed)} failed")
    for f in failed:
        print(f"  FAILED {f}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
