#!/usr/bin/env bash
# Checks the includes of the source folders against the layers:
#  - a file in a core folder must not include a Qt, GL or EGL header: the core must build and be
#    tested without a display, and only src/render and src/app may talk to the GPU or the toolkit;
#  - a file may include from its own folder and from the folders below it only (the table below),
#    so that no two folders depend on each other.
#
#   check-core-includes.sh SRC_DIR      check SRC_DIR/{model,format,...}
#   check-core-includes.sh --self-test  check that both checks catch what they must
set -euo pipefail

core_dirs=(model format edit anim material importers export command script view)

# The folders each folder may include from besides its own; "*" for any.
folders=(model anim material view format edit importers export command script render app)
declare -A allowed=(
  [model]=""
  [anim]="model"
  [material]="model"
  [view]="model anim material"
  [format]="model anim material edit"
  [edit]="model anim material"
  [importers]="model anim material format edit"
  [export]="model anim material format edit"
  [command]="model anim material format edit importers export view"
  [script]="model anim material format edit importers export command view"
  [render]="model anim material view"
  [app]="*"
)

sources=(--include='*.h' --include='*.hpp' --include='*.cpp' --include='*.inl')

# Qt: <QString>, <QtCore/...>, <qopengl.h>; GL: <GL/...>, <GLES2/...>, <EGL/...>, <KHR/...>,
# <epoxy/...>. Quoted includes count too ("QString" finds the Qt header through -I).
pattern='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]((Q|Qt)[A-Za-z0-9_]*(/|>|")|q[a-z0-9_]*\.h>|GL/|GLES[0-9]*/|EGL/|KHR/|epoxy/)'

check_qt_and_gl() {
  local src=$1 found=0 dir
  for dir in "${core_dirs[@]}"; do
    [[ -d "$src/$dir" ]] || continue
    if grep -rnE "${sources[@]}" "$pattern" "$src/$dir"; then
      found=1
    fi
  done
  if ((found)); then
    echo "core folders must not include Qt or GL headers (see the lines above)" >&2
    return 1
  fi
  return 0
}

# An include of a file in one of the source folders, written from the source root ("edit/x.h",
# <edit/x.h>) or relative to it ("../edit/x.h"); the folder is the second group.
folder_include='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](\.\./)*('
folder_include+=$(IFS='|'; echo "${folders[*]}")
folder_include+=')/'

check_edges() {
  local src=$1 found=0 dir hit file text target
  for dir in "${folders[@]}"; do
    [[ -d "$src/$dir" && ${allowed[$dir]} != "*" ]] || continue
    # Each hit is FILE:LINE:TEXT.
    while IFS= read -r hit; do
      file=${hit%%:*}
      text=${hit#*:}
      file+=":${text%%:*}"
      text=${text#*:}
      target=$(sed -E "s@${folder_include}.*@\\2@" <<<"$text")
      [[ $target == "$dir" || " ${allowed[$dir]} " == *" $target "* ]] && continue
      echo "$file: $dir/ may not include from $target/ (allowed: ${allowed[$dir]:-none})"
      found=1
    done < <(grep -rnE "${sources[@]}" "$folder_include" "$src/$dir" || true)
  done
  if ((found)); then
    echo "includes must follow the folder layers (see scripts/check-core-includes.sh)" >&2
    return 1
  fi
  return 0
}

check() {
  local status=0
  check_qt_and_gl "$1" || status=1
  check_edges "$1" || status=1
  return $status
}

self_test() {
  local tmp status=0 line dir entry
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' RETURN
  for dir in "${folders[@]}"; do mkdir -p "$tmp/$dir"; done
  printf '#include "model/model.h"\n#include <vector>\n#include <format>\n#include "quad.h"\n' \
    >"$tmp/model/ok.cpp"
  printf '#include "model/model.h"\n#include "anim/skeleton.h"\n#include "material/texels.h"\n' \
    >"$tmp/format/ok.cpp"
  printf '#include "format/text_sink.h"\n#include "edit/journal.h"\n' >"$tmp/importers/ok.h"
  printf '#include "importers/x.h"\n#include "view/camera.h"\n#include "../edit/weld.h"\n#include "export/bmp_screenshot.h"\n' \
    >"$tmp/command/ok.cpp"
  printf '#include "format/atomic_file.h"\n#include "edit/journal.h"\n' >"$tmp/export/ok.cpp"
  printf '#include "command/command_table.h"\n#include "export/glintcast_export.h"\n' \
    >"$tmp/script/ok.cpp"
  printf '#include "view/camera.h"\n#include <GL/gl.h>\n' >"$tmp/render/ok.cpp"
  # The app may include anything, Qt and GL included.
  printf '#include "script/batch.h"\n#include "render/frame.h"\n#include <QWidget>\n' \
    >"$tmp/app/ok.cpp"
  if ! check "$tmp" >/dev/null 2>&1; then
    echo "self-test: a clean tree was rejected:" >&2
    check "$tmp" >&2 || true
    status=1
  fi

  # Each of these, alone, must fail the check.
  for line in '#include <QString>' '#include <QtCore/QObject>' '#include "QImage"' \
      '  #  include <qopengl.h>' '#include <GL/gl.h>' '#include <GLES2/gl2.h>' \
      '#include <EGL/egl.h>' '#include <epoxy/gl.h>'; do
    printf '%s\n' "$line" >"$tmp/model/bad.h"
    if check "$tmp" >/dev/null 2>&1; then
      echo "self-test: not caught in model/: $line" >&2
      status=1
    fi
    rm "$tmp/model/bad.h"
  done
  for entry in 'model|#include "edit/journal.h"' 'model|  # include "../edit/weld.h"' \
      'format|#include "importers/x_file.h"' 'format|#include "script/tools.h"' \
      'importers|#include "export/glintcast_export.h"' 'export|#include "command/open_save.h"' \
      'export|#include "importers/x_file.h"' 'command|#include "script/batch.h"' \
      'anim|#include "material/texels.h"' 'material|#include <command/batch.h>' \
      'edit|#include "format/zmf_reader.h"' 'view|#include "edit/journal.h"' \
      'importers|#include "command/open_save.h"' 'command|#include "render/frame.h"' \
      'render|#include "command/command_table.h"' 'render|#include "app/main_window.h"'; do
    dir=${entry%%|*}
    line=${entry#*|}
    printf '%s\n' "$line" >"$tmp/$dir/bad.cpp"
    if check "$tmp" >/dev/null 2>&1; then
      echo "self-test: not caught in $dir/: $line" >&2
      status=1
    fi
    rm "$tmp/$dir/bad.cpp"
  done
  return $status
}

if [[ ${1:-} == --self-test ]]; then
  self_test
else
  check "${1:?usage: check-core-includes.sh SRC_DIR | --self-test}"
fi
