#!/usr/bin/env bash
# The layers as the linker sees them: the core references no symbol of Qt
# Widgets, and the script bridge knows neither the forms nor the application.
# Usage: check_layers.sh CORE_LIB BRIDGE_LIB QT_WIDGETS_LIB
set -euo pipefail
core=$1 bridge=$2 widgets=$3
status=0

widget_symbols=$(mktemp)
trap 'rm -f "$widget_symbols"' EXIT
nm -D --defined-only "$widgets" | awk '{print $NF}' | sed 's/@.*//' | sort -u >"$widget_symbols"
from_widgets=$(nm --undefined-only "$core" | awk '{print $NF}' | sort -u | comm -12 - "$widget_symbols")
if [ -n "$from_widgets" ]; then
  echo "FAIL: the core library references Qt Widgets:"
  echo "$from_widgets" | c++filt | head -20
  status=1
fi

forms=$(nm -C "$bridge" | grep -wE 'TForm1|TForm2|TFormAbout|TListSelectDlg|NembraApplication|TStringGrid' || true)
if [ -n "$forms" ]; then
  echo "FAIL: the script bridge references the forms or the application:"
  echo "$forms" | head -20
  status=1
fi

[ "$status" -eq 0 ] && echo "layers: core without widgets, bridge without forms"
exit "$status"
