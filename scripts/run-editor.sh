#!/usr/bin/env bash
# Opens the editor on the first sample model in examples/ (if there is one). Without a display
# it runs the editor under Xvfb and writes a screenshot instead.
#
#   run-editor.sh EDITOR SCREENSHOT.png
set -euo pipefail

editor=${1:?usage: run-editor.sh EDITOR SCREENSHOT.png}
screenshot=${2:?usage: run-editor.sh EDITOR SCREENSHOT.png}
here=$(cd "$(dirname "$0")" && pwd)

model=()
if [[ -d examples ]]; then
  first=$(find examples -maxdepth 1 -name '*.zmf' -type f | sort | head -n 1)
  [[ -n $first ]] && model=("$first")
fi

if [[ -n ${DISPLAY:-} || -n ${WAYLAND_DISPLAY:-} ]]; then
  exec "$editor" "${model[@]}"
fi

"$here/run-gui-test.sh" "$editor" --screenshot "$screenshot" "${model[@]}"
echo "No display: ran the editor under Xvfb and saved a screenshot to $screenshot"
