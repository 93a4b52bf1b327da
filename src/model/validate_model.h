// Checking a Model against the rules its store keeps, for tests, the fuzz targets and the check
// that debug builds make after every command.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"

namespace zmf {

// Rules beyond the store's own that some makers of models keep.
struct ValidateOptions {
  // Every face has all three corners. The store allows a missing one (a face re-created around a
  // vertex that is gone); file reads, imports and pastes never leave one.
  bool wholeFaces = false;
  // The material table holds a material at least. Reading a ZMF file without materials leaves
  // it empty; imports never do.
  bool someMaterial = false;
  // Every key bone poses a bone of the table or is unbound. Edits may leave one on a slot beyond
  // boneCount (the bone it posed was taken away), which poses nothing; reads bind every key bone
  // afresh.
  bool boundKeyBones = false;
};

// What the ZMF reader leaves, and what the importers and Paste leave.
inline constexpr ValidateOptions kReadModelRules{.wholeFaces = true, .boundKeyBones = true};
inline constexpr ValidateOptions kImportedModelRules{
    .wholeFaces = true, .someMaterial = true, .boundKeyBones = true};

// Every rule the model breaks, one line each, naming the record or table entry ("face 7 has
// material 3, but the table holds 2"); empty when the model is sound. The rules:
// - the vertex, face and duplicate lists and each bone's weights: prev/next links and counts
//   agree; ids are unique and below nextId (not in list order: undo re-creates records at the
//   tail under their old ids); FindById finds every record under its id; the selection chain
//   holds exactly the records flagged `selected`;
// - every face corner is a live vertex (or missing, when options allow); each vertex's corner
//   chain lists exactly the corners that use it, and lastCorner is its end;
// - every duplicate pairs two distinct live vertices;
// - every face has a material below max(materialCount, 1) (a table emptied by a ZMF file
//   without materials still draws and saves its faces as material 0), materialCount is at most
//   32, and each material's chain holds exactly the faces of that material;
// - the bones form trees: parent, first child and next sibling name bones of the table or
//   kNoBone; walking down the chains of children from every bone without a parent reaches every
//   bone once, each child's parent being the bone whose chain holds it and its parentName that
//   bone's name; rootBone is kNoBone or a bone without parent or sibling (edits keep one tree
//   under it, but a load that ended early leaves its bones unlinked); each bone's index is its
//   slot; weights name live vertices, each at most once per bone, and
//   slots beyond boneCount hold none;
// - animation, key and key bone counts are within their tables, and every key bone is bound to
//   a slot of the bone table (below 128) or unbound (kUnboundKeyBone).
// After a few dozen problems the rest are summed up in one last line. Linear in the model's
// size; a chain that loops is left, not walked on.
std::vector<std::string> ValidateModel(const Model& model, ValidateOptions options = {});

// When the model breaks a rule: prints the problems to stderr, after a line naming `after` (what
// was just done to the model), and aborts. For the fuzz targets and the check below.
void AbortIfInvalid(const Model& model, std::string_view after, ValidateOptions options = {});

// AbortIfInvalid with the store's rules where NDEBUG is not defined; nothing in other builds. The
// command table runs it after every command, the batch interpreter after every script line.
void ValidateModelInDebugBuilds(const Model& model, std::string_view after);

}  // namespace zmf
