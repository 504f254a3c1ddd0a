#!/usr/bin/env bash
# Checks the Windows deliverables of a build: each imports only Windows system DLLs (and the data source its two
# libraries), and each exports exactly the names that its callers bind to.
#   check-binaries.sh OBJDUMP BINDIR
set -uo pipefail
objdump=$1
bin=$2
fail=0
system_dlls='^(KERNEL32|USER32|GDI32|ADVAPI32|msvcrt|gdiplus|ole32|OLEAUT32|SHELL32|COMDLG32|COMCTL32|WINMM)\.dll$'

imports() { "$objdump" -p "$1" | sed -n 's/^\s*DLL Name: //p'; }
exports() {  # the names of the export table, one a line, sorted
  "$objdump" -p "$1" | awk '/\[Ordinal\/Name Pointer\] Table/{t=1;next} t&&/^[ \t]*\[/{print $NF;next} t&&!/^[ \t]*\[/{t=0}' |
    sort
}
check() {  # check FILE EXTRA-ALLOWED-IMPORTS EXPECTED-EXPORTS...
  local name=$1 file=$bin/$1 allowed=$2; shift 2
  if [ ! -f "$file" ]; then echo "MISSING $file"; fail=1; return; fi
  local dll
  while read -r dll; do
    if ! [[ "$dll" =~ $system_dlls ]] && ! [[ " $allowed " == *" $dll "* ]]; then
      echo "$name imports $dll, which is not a Windows system DLL"; fail=1
    fi
  done < <(imports "$file")
  if [ $# -gt 0 ]; then
    local want got
    want=$(printf '%s\n' "$@" | sort)
    got=$(exports "$file")
    if [ "$want" != "$got" ]; then
      echo "$name exports differ from the expected names:"; diff <(echo "$want") <(echo "$got"); fail=1
    fi
  fi
  [ $fail -eq 0 ] && echo "ok $name: imports $(imports "$file" | tr '\n' ' ')"
}

check LX9Pict.dll "" _CreateShading _PreShading _NegaShading _PosiShading _GetBaseData _GetIntegData \
  _CreateGData _BrightLUT _ColorFeriaBase _BackLightBase _BrightBase _GetNewCCDShutter _GetIndexData \
  _GetStandardData _GetExtendData _ShiftGraph _ChangeNegaType _ChangePosiType _ChangeRGBData _ChangeMonoData \
  _UseSizing _UseSharp _BGRToRGB _RGBToBGR
check LX9Comm.dll "" LX9_Communication LX9_ErrorComm RT1_GetError LPT1_Open LPT1_Close SetLength GetLength
check NorvikLX9.ds "LX9Pict.dll LX9Comm.dll" DS_Entry
check TWAIN_32.DLL "" DSM_Entry
check lx9acquire.exe "TWAIN_32.DLL"
exit $fail
