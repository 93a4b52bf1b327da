#!/usr/bin/env bash
# Opens the editor on MODEL (when given). Without a display it runs the editor under Xvfb and
# writes a screenshot instead.
#
#   run-editor.sh EDITOR SCREENSHOT.png [MODEL]
set -euo pipefail

usage="usage: run-editor.sh EDITOR SCREENSHOT.png [MODEL]"
editor=${1:?$usage}
screenshot=${2:?$usage}
here=$(cd "$(dirname "$0")" && pwd)

model=()
[[ -n ${3:-} ]] && model=("$3")

if [[ -n ${DISPLAY:-} || -n ${WAYLAND_DISPLAY:-} ]]; then
  exec "$editor" "${model[@]}"
fi

"$here/run-gui-test.sh" "$editor" --screenshot "$screenshot" "${model[@]}"
echo "No display: ran the editor under Xvfb and saved a screenshot to $screenshot"
