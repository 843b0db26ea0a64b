#!/usr/bin/env bash
# Checks the built library's export table (exactly the four server entry points, module name
# PELOKEY.OCX) and that it imports only DLLs that Windows ships.
set -euo pipefail
objdump=$1
library=$2
dump=$("$objdump" -p "$library")

exports=$(awk '/Ordinal\/Name Pointer\] Table/{on=1; next} on && /^[ \t]*\[/{print $NF; next} on{on=0}' <<<"$dump" | sort)
expected=$(printf '%s\n' DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer | sort)
if [ "$exports" != "$expected" ]; then
  echo "exports differ:"; echo "$exports"; exit 1
fi
grep -Eq '^Name[[:space:]]+[0-9a-f]+ PELOKEY\.OCX$' <<<"$dump" || { echo "module name is not PELOKEY.OCX"; exit 1; }

allowed='^(kernel32|user32|gdi32|ole32|oleaut32|advapi32|msvcrt|comctl32|shell32|shlwapi|uuid|version)\.dll$'
status=0
while read -r dll; do
  lower=$(tr 'A-Z' 'a-z' <<<"$dll")
  if ! grep -Eq "$allowed" <<<"$lower"; then
    echo "imports $dll, which Windows does not ship"; status=1
  fi
done < <(awk '/DLL Name:/{print $3}' <<<"$dump")
exit $status
