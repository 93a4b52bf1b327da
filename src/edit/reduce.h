// Reducing the vertex selection by repeated collapse of its cheapest edge.
#pragma once

#include "model/model.h"

namespace zmf::edit {

// Removes `percent` of the selected vertices (count x percent / 100, truncated) by collapsing,
// one at a time, the cheapest edge (V, O) from a selected vertex V: V is deleted and O moves to
// the midpoint with the mean normal and texture coordinates. The cost weighs the squared
// distance against the model's radius and adds the squared normal and texture differences;
// on equal costs the edge met first (selection order, then V's faces in order) wins. Vertices
// of duplicate pairs (seams) are deselected first and never collapsed. Stops early when no edge
// costs less than 100 x the squared radius. One undo group, empty when the count comes to 0;
// nothing at all when no vertex is selected. Not-a-number percent counts as 0.
void ReduceSelectedVertices(Model& model, double percent);

}  // namespace zmf::edit
