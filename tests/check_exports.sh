#!/usr/bin/env bash
# Checks that a shipped driver binary exports exactly PLADI (and, for the DLL, imports only
# Windows system DLLs).
set -euo pipefail
kind=$1 file=$2
case $kind in
  so)
    exports=$(nm -D --defined-only "$file" | awk '{print $3}' | sort)
    if [ "$exports" != "PLADI" ]; then
      echo "exports of $file are not exactly PLADI:"; echo "$exports"; exit 1
    fi
    ;;
  dll)
    dump=$(i686-w64-mingw32-objdump -p "$file")
    exports=$(echo "$dump" | awk '/\[Ordinal\/Name Pointer\] Table/{t=1;next} t&&/^\t\[/{print $NF;next} t&&!/^\t\[/{t=0}' | sort)
    if [ "$exports" != "PLADI" ]; then
      echo "exports of $file are not exactly PLADI:"; echo "$exports"; exit 1
    fi
    imports=$(echo "$dump" | awk '/DLL Name:/{print tolower($3)}' | sort -u)
    allowed='^(kernel32|user32|gdi32|comctl32|msvcrt|advapi32|ntdll|api-ms-win-crt-[a-z0-9-]+)\.dll$'
    bad=$(echo "$imports" | grep -Ev "$allowed" || true)
    if [ -n "$bad" ]; then
      echo "$file imports non-system DLLs:"; echo "$bad"; exit 1
    fi
    echo "exports: $exports"; echo "imports: $(echo $imports)"
    ;;
  *) echo "usage: $0 so|dll FILE"; exit 2 ;;
esac
