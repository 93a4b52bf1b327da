// Moving, turning and resizing: the whole model at once, or the selected vertices, each one undo
// step.
#pragma once

#include "edit/journal_records.h"
#include "model/math_types.h"
#include "model/model.h"

namespace zmf::edit {

// Every vertex moves by t; the root bone's local translation moves by -t and the key bones that
// pose the root by +t. Not journaled. Each of the three whole-model transforms recomputes the
// bones' rest (bind and frame) matrices afterwards and touches only the keys and key bones in
// use.
void TranslateModel(Model& model, const Vector3& t);
// Turns every vertex and normal by the Euler rotation r of (pitch, yaw, roll), and every bone's
// local matrix and every key bone's matrix m becomes inverse(r) m r (its translation turned as a
// point, its rotation part turned with the model), so the mesh posed at any key is the posed mesh
// of before, turned. Not journaled.
void RotateModel(Model& model, const Vector3& pitchYawRoll);
// Scales every vertex position and the translations of all bones and key bones. Not journaled.
void ScaleModel(Model& model, const Vector3& s);

// One of the three above with its numbers (translation, angles or scale). Not journaled.
void ApplyModelTransform(Model& model, ModelTransform transform, const Vector3& values);
// The same journaled as one undo step: Undo puts back every vertex position and normal, bone
// local matrix and key bone matrix as they were, to the bit, and Redo applies the transform again.
// A model whose values would not fit in the journal's ring is transformed for good, and neither
// Undo nor Redo passes it.
void JournalTransformModel(Model& model, ModelTransform transform, const Vector3& values);

// ---- what Undo and Redo of a whole-model transform do

// The transform and the values it will change, taken before it.
ModelTransformSnapshot TakeModelTransformSnapshot(const Model& model, ModelTransform transform,
                                                  const Vector3& values);
// Puts the values back: vertices found by id, bones and key bones still in the tables (others
// are skipped), then the bones' rest matrices.
void UndoModelTransform(Model& model, const ModelTransformSnapshot& snapshot);

// Every selected vertex, in selection order, gets its position through m as a point and, when
// turnNormals, its normal through m as a direction (otherwise the normal stays exactly as it
// is), through the journaled SetVertex, all in one undo group. Nothing (no group) without a
// selected vertex. The typed transforms and the mouse's move commits share it.
void TransformSelection(Model& model, const Matrix4& m, bool turnNormals);

}  // namespace zmf::edit
