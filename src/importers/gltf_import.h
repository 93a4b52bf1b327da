// glTF 2.0 files, as JSON (".gltf") or binary (".glb"): meshes, materials with base-colour
// textures, a skin and its animations.
#pragma once

#include <string_view>

#include "model/model.h"

namespace zmf::importers {

// Imports the file into the model, which the caller has emptied (material count 0, as Open sets
// it). The mapping, the inverse of ExportGltf's:
// - Meshes: every triangle primitive of every mesh the scene's nodes reach (the default scene,
//   else scene 0, else every root node); strips and fans become triangles, points and lines are
//   left out with a warning. A node's primitives that share their vertex attributes share
//   vertices. Static meshes get their node's world transform (normals by its inverse
//   transpose, the winding flipped by a mirroring one); a skinned mesh is taken as it rests.
//   Missing normals are computed as the normals command does; texture v is kept (0 is the
//   picture's top row in both). Numbers that are not finite read as 0.
// - Materials: glTF material i is slot i (beyond the 32 slots, the last one, with a warning);
//   primitives without a material get a "default" slot after them. Diffuse is baseColorFactor,
//   emission emissiveFactor, shininess 2 / roughness^4 - 2 (0 to 128), ambient 0.35 times the
//   diffuse colour, specular grey 0.5 when shininess is above 0; the ambient and specular
//   colours and the exact shininess that the editor's export keeps in the material's extras
//   (zmfAmbient, zmfSpecular, zmfShininess) replace those guesses. OPAQUE has no alpha mode, MASK
//   and BLEND take the alpha in the picture. The base-colour texture is an image file of the
//   folder, or an embedded image written once beside the file as STEM_imageN.png or .jpg (a
//   file of other bytes is never replaced: STEM_imageN-2.png and on).
// - Skin: the first skin's joints are bones in joint order, each under its nearest joint
//   ancestor (several root joints get a further "root" bone above them); the bind matrices are
//   the inverseBindMatrices; each vertex's non-zero JOINTS_0 / WEIGHTS_0 pairs are its weights.
//   The joint the exporter adds for vertices no bone holds ("unweighted") is left out.
// - Animations: one per glTF animation, its keys at the sorted times of the joint channels (at
//   most 32, spread over them, with a warning), every bone posed at every key by its node's
//   sampled translation, rotation and scale (linear, spherical, step; of a cubic spline the
//   values). Morph targets and weights channels are left out with a warning.
// Refused with a message, the model as it was handed over: a file that cannot be read or
// parsed, required extensions (Draco compression among them), buffers or images named outside
// the file's folder (an absolute path or a ".." part), accessors, buffer views or indices out
// of range, strides smaller than their elements, nodes reached twice (or a node its own
// ancestor), and counts beyond the model's tables.
bool ImportGltf(Model& model, std::string_view path);

// The same for the bytes of a .glb or .gltf file as though read from `path`, whose folder holds
// the external files and receives the embedded images.
bool ImportGltfBytes(Model& model, std::string_view bytes, std::string_view path);

}  // namespace zmf::importers
