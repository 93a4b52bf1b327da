#!/usr/bin/env bash
# Runs one command (a GUI test binary or the editor) on a private Xvfb display with the xcb
# platform, and with fresh runtime and config folders so that no state leaks between runs.
#
#   run-gui-test.sh COMMAND [ARGS...]
set -euo pipefail

if (($# == 0)); then
  echo "usage: run-gui-test.sh COMMAND [ARGS...]" >&2
  exit 2
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/zmf-gui.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir -m 700 "$scratch/runtime" "$scratch/config"

export XDG_RUNTIME_DIR="$scratch/runtime"
export XDG_CONFIG_HOME="$scratch/config"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

status=0
xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$@" </dev/null || status=$?
exit $status
