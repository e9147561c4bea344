#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's own prefix (made on
# first use, with a virtual desktop and Japanese fonts for the dialog and menu
# faces: IPA Gothic, whose widths follow the Japanese Windows faces, so that
# layouts look here as they do there).
# Usage: wine-run.sh PROGRAM.exe [ARGS...]
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=${KORVANE_WINEPREFIX:-$HERE/../build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="

if [ ! -f "$WINEPREFIX/.korvane-ready-3" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  reg=$(mktemp --suffix=.reg)
  cat > "$reg" <<'REG'
REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"MS Shell Dlg"="IPAPGothic"
"MS Shell Dlg 2"="IPAPGothic"
"Tahoma"="IPAPGothic"
"MS Sans Serif"="IPAPGothic"
"Microsoft Sans Serif"="IPAPGothic"
"MS UI Gothic"="IPAPGothic"
"MS Gothic"="IPAGothic"
"ＭＳ Ｐゴシック"="IPAPGothic"
"ＭＳ ゴシック"="IPAGothic"

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
  touch "$WINEPREFIX/.korvane-ready-3"
fi
# The caption buttons' glyphs: Wine draws them in Marlett, which it finds only
# among the prefix's own fonts (without it they show as the letters 0, 1, r).
fonts=$WINEPREFIX/drive_c/windows/Fonts
if [ -d "$fonts" ] && [ ! -f "$fonts/marlett.ttf" ] && [ -f /usr/share/wine/fonts/marlett.ttf ]; then
  cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
fi
exec wine "$@"
