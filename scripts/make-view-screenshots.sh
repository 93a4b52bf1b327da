#!/usr/bin/env bash
# Takes the README's pictures of the four views: the editor opens examples/worm.zmf under Xvfb,
# a short script switches the view, selects, poses, and the window is saved as
# OUT_DIR/view-{mesh,normals,material,bones}.png; the resizable window is shown by
# OUT_DIR/window-800x640.png, window-1600x1200.png (--size) and window-scale2.png (the default
# window at device pixel ratio 2). With "all", every view is also saved at those two other sizes
# as OUT_DIR/view-VIEW-1600x1200.png and view-VIEW-scale2.png, for looking them over.
#
#   make-view-screenshots.sh EDITOR [OUT_DIR [all]]     OUT_DIR defaults to docs/
set -euo pipefail

editor=${1:?usage: make-view-screenshots.sh EDITOR [OUT_DIR]}
out=${2:-docs}
here=$(cd "$(dirname "$0")" && pwd)
model="$here/../examples/worm.zmf"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/zmf-views.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# Vertex ids of worm.zmf: 0 is the tail's tip, then 17 rings of 17 along the body (ring k, side
# s is 1 + 17k + s; side 0 faces the camera, side 16 is its copy on the texture's seam), then the
# head's 4 rings of 16 from 290 and the nose's tip, 354. Faces: 16 round the tail's tip, then 32
# between each two body rings (ring k to k + 1 from 16 + 32k).
ring() { # ring K SIDE... -> ids
  local k=$1
  shift
  local s
  for s in "$@"; do printf '%d ' $((1 + 17 * k + s)); done
}

# The front halves of three body rings and the faces between them. The back halves stay
# unselected: the older selected points are drawn after the three newest (red, green, blue), and
# a back vertex lies on the same pixel as the front one facing it.
front_faces() { # front_faces K -> ids of the front half of the faces from ring K to K + 1
  local s
  for s in 12 13 14 15 0 1 2 3; do
    printf '%d %d ' $((16 + 32 * $1 + 2 * s)) $((17 + 32 * $1 + 2 * s))
  done
}
cat >"$scratch/mesh.txt" <<SCRIPT
view-mesh
select-vertices $(ring 5 {12..16} {1..4}) $(ring 6 {12..16} {2..4}) $(ring 7 {12..15} {2..4}) $(ring 6 1) $(ring 7 1 16)
select-faces $(front_faces 5) $(front_faces 6)
SCRIPT

# The neck, where the body's last ring and the head's first lie on each other, with its
# duplicate pairs.
cat >"$scratch/normals.txt" <<SCRIPT
view-normals
select-vertices $(seq -s ' ' 273 305)
select-duplicates
SCRIPT

# The body's vertices, whose texture coordinates show as points on the skin texture.
cat >"$scratch/material.txt" <<SCRIPT
view-material
select-vertices $(seq -s ' ' 0 289)
SCRIPT

# The crawl playing, a second into the loop, with the "front" bone current and its weights.
cat >"$scratch/bones.txt" <<SCRIPT
view-bones
pick 500 0
run-animation
clock 1.25
pick 501 3
SCRIPT

shoot() { # shoot VIEW FILE [OPTION...]
  local view=$1 file=$2
  shift 2
  "$here/run-gui-test.sh" "$editor" --screenshot "$file" "$@" --batch "$scratch/$view.txt" "$model"
}

mkdir -p "$out"
for view in mesh normals material bones; do
  shoot "$view" "$out/view-$view.png"
  if [[ ${3:-} == all ]]; then
    shoot "$view" "$out/view-$view-1600x1200.png" --size 1600x1200
    QT_SCALE_FACTOR=2 shoot "$view" "$out/view-$view-scale2.png"
  fi
done
cp "$out/view-bones.png" "$out/window-800x640.png"
shoot mesh "$out/window-1600x1200.png" --size 1600x1200
QT_SCALE_FACTOR=2 shoot material "$out/window-scale2.png"
echo "Saved $out/view-{mesh,normals,material,bones}.png and $out/window-*.png"
