#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's own prefix (made on
# first use, with Japanese fonts for the dialog and menu faces and a virtual
# desktop).
# Usage: wine-run.sh PROGRAM.exe [ARGS...]
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=${KORVANE_WINEPREFIX:-$HERE/../build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="

if [ ! -f "$WINEPREFIX/.korvane-ready-2" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  reg=$(mktemp --suffix=.reg)
  cat > "$reg" <<'REG'
REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"MS Shell Dlg"="Noto Sans CJK JP"
"MS Shell Dlg 2"="Noto Sans CJK JP"
"Tahoma"="Noto Sans CJK JP"
"MS Sans Serif"="Noto Sans CJK JP"
"Microsoft Sans Serif"="Noto Sans CJK JP"
"MS UI Gothic"="Noto Sans CJK JP"
"MS Gothic"="Noto Sans CJK JP"
"ＭＳ Ｐゴシック"="Noto Sans CJK JP"
"ＭＳ ゴシック"="Noto Sans CJK JP"

; Every program runs inside one Wine virtual desktop, which draws frames and
; captions itself (no X window manager needed) and lets "wine PROGRAM" return
; the program's own exit code.
[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"
REG
  wine regedit "$reg" >/dev/null 2>&1 || true
  wineserver -w || true
  rm -f "$reg"
  touch "$WINEPREFIX/.korvane-ready-2"
fi
exec wine "$@"
