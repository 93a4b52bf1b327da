#!/usr/bin/env bash
# Fails when a file in a core folder includes a Qt, GL or EGL header: the core must build and be
# tested without a display, and only src/render and src/app may talk to the GPU or the toolkit.
#
#   check-core-includes.sh SRC_DIR    check SRC_DIR/{model,format,...}
#   check-core-includes.sh --self-test  check that the pattern catches what it must
set -euo pipefail

core_dirs=(model format edit anim material importers command view)

# Qt: <QString>, <QtCore/...>, <qopengl.h>; GL: <GL/...>, <GLES2/...>, <EGL/...>, <KHR/...>,
# <epoxy/...>. Quoted includes count too ("QString" finds the Qt header through -I).
pattern='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]((Q|Qt)[A-Za-z0-9_]*(/|>|")|q[a-z0-9_]*\.h>|GL/|GLES[0-9]*/|EGL/|KHR/|epoxy/)'

check() {
  local src=$1 found=0 dir
  for dir in "${core_dirs[@]}"; do
    [[ -d "$src/$dir" ]] || continue
    if grep -rnE --include='*.h' --include='*.hpp' --include='*.cpp' --include='*.inl' \
        "$pattern" "$src/$dir"; then
      found=1
    fi
  done
  if ((found)); then
    echo "core folders must not include Qt or GL headers (see the lines above)" >&2
    return 1
  fi
  return 0
}

self_test() {
  local tmp status=0 line
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' RETURN
  mkdir -p "$tmp/model" "$tmp/render"
  printf '#include "model/model.h"\n#include <vector>\n#include "quad.h"\n' >"$tmp/model/ok.cpp"
  # Includes outside the core folders are allowed.
  printf '#include <GL/gl.h>\n#include <QWidget>\n' >"$tmp/render/gl.cpp"
  if ! check "$tmp" >/dev/null 2>&1; then
    echo "self-test: a clean core tree was rejected" >&2
    status=1
  fi
  for line in '#include <QString>' '#include <QtCore/QObject>' '#include "QImage"' \
      '  #  include <qopengl.h>' '#include <GL/gl.h>' '#include <GLES2/gl2.h>' \
      '#include <EGL/egl.h>' '#include <epoxy/gl.h>'; do
    printf '%s\n' "$line" >"$tmp/model/bad.h"
    if check "$tmp" >/dev/null 2>&1; then
      echo "self-test: not caught: $line" >&2
      status=1
    fi
  done
  return $status
}

if [[ ${1:-} == --self-test ]]; then
  self_test
else
  check "${1:?usage: check-core-includes.sh SRC_DIR | --self-test}"
fi
