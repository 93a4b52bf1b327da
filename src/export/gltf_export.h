// Exporting the model as glTF 2.0: ".glb" (one binary file) or ".gltf" (JSON, with its buffer in
// NAME.bin and its textures beside it).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/model.h"

namespace zmf::exporters {

// The files of one export, built in memory.
struct GltfFiles {
  std::string main;    // the whole .glb, or the .gltf's JSON
  std::string buffer;  // .gltf only: the bytes of NAME.bin
  // .gltf only: textures written beside it (file name, bytes).
  std::vector<std::pair<std::string, std::string>> images;
  // Vertex weights left out because a vertex had more than four (each vertex keeps its four
  // largest, renormalised to sum 1).
  std::size_t droppedWeights = 0;
};

// Builds the export for `path` (".glb" gives the binary form, anything else the JSON form whose
// buffer is named after the path's file name). The mapping:
// - Axes: ZMF's are those of glTF (x right, y up, z towards the viewer of the Front view,
//   counter-clockwise front faces), so positions, normals and windings are kept as they are.
// - One mesh of one triangle primitive per material that has faces (faces of a material outside
//   the table count as material 0's, as the model writer saves them), all sharing the vertex
//   attributes: POSITION (with min and max), NORMAL (made unit length; a zero normal becomes
//   +y), TEXCOORD_0 = (u, v) unchanged, since v = 0 is the picture's top row in both; indices
//   as unsigned short up to 65535 vertices, else unsigned int.
// - Materials: baseColorFactor = diffuse, emissiveFactor = emission (each cut to 0..1),
//   metallicFactor 0, roughnessFactor = sqrt(sqrt(2 / (shininess + 2))) (the Blinn-Phong
//   exponent as a GGX roughness: 0 gives 1, 128 gives 0.35). A texture becomes the
//   baseColorTexture: a JPEG or PNG file whose alpha ZMF takes as it is (NONE, IN_FILE) is used
//   unchanged; any other picture (BMP, or an alpha made from colours or a constant) is written
//   as a PNG of the texels ZMF draws, alpha included. Alpha modes: NONE is OPAQUE; BLACK_MASK,
//   WHITE_MASK and FIRST_PIXEL are MASK with alphaCutoff 0.5; the others are BLEND. A material
//   whose texture cannot be read is exported without it. The material's extras keep what glTF
//   has no place for, for the editor's own import: zmfAmbient and zmfSpecular (red, green, blue,
//   alpha) and zmfShininess.
// - Bones: one node per bone under its parent's node (the root bone under the scene), with the
//   rest pose as TRS: the inverse of the bone's local matrix (a ZMF local matrix maps the
//   parent's frame into the bone's). inverseBindMatrices are the bind matrices (the local
//   matrices composed from the root), which invert the joints' world matrices at rest. Joint j
//   is bone j; vertices no bone holds get a further joint at the scene root that never moves.
// - Animations: for each bone that a key poses, translation and rotation channels (and scale
//   when a key scales), LINEAR, one sample per key that poses it at that key's time; a key
//   bone's matrix is the node's local transform at that key. Keys out of time order or at
//   times that are not finite are left out.
// False (nothing built) for a model without vertices.
bool BuildGltf(Model& model, std::string_view path, GltfFiles& files);

// Writes the export: the .glb, or the .bin, the textures and then the .gltf beside each other,
// each file replaced only once all of it was written. The vertex and face ids are renumbered
// first, as the model writer does. A failure reports "Could not write to file:" with the path.
// True when written; a model without vertices writes nothing and gives false.
bool ExportGltf(Model& model, std::string_view path);

}  // namespace zmf::exporters
