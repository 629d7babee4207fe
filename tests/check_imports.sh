#!/bin/sh
# Lists the DLLs an executable imports and fails on any that Windows does not ship itself.
objdump=$1; exe=$2
allowed="KERNEL32.dll USER32.dll GDI32.dll SHELL32.dll COMCTL32.dll COMDLG32.dll ADVAPI32.dll WINMM.dll
msvcrt.dll msimg32.dll ole32.dll OLEAUT32.dll VERSION.dll OLEACC.dll"
status=0
for dll in $("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p'); do
    ok=no
    for a in $allowed; do
        [ "$(echo "$dll" | tr a-z A-Z)" = "$(echo "$a" | tr a-z A-Z)" ] && ok=yes
    done
    echo "$dll: $ok"
    [ $ok = yes ] || status=1
done
exit $status
