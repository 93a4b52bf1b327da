// Surface of revolution: the selected vertices, as a profile, swept round the y axis.
#pragma once

#include "model/model.h"

namespace zmf::edit {

// One undo group; nothing at all (no group) when no vertex is selected.
//
// The selected vertices in selection order are the profile P(0) ... P(n - 1), ring 0. For
// s = 1 ... 8 it adds ring s: each profile vertex turned by s x 0.698131111111111 radians about
// y (EulerMatrix(0, angle, 0), position and normal) with texture coordinates (0, 0). Each new
// vertex N(s, k) is followed by its faces to the previous ring Q: (N(s, 0), Q(0), Q(1)) for
// k = 0; (N(s, k), Q(k), Q(k + 1)) and (N(s, k), N(s, k - 1), Q(k)) in between; and
// (N(s, k), N(s, k - 1), Q(k)) for k = n - 1. Ring 8, L, is then closed to the profile with
// (L(0), L(1), P(0)); (L(k), P(k), P(k - 1)) and (L(k), L(k + 1), P(k)); (L(k), P(k), P(k - 1)).
// That is 8n vertices and 18(n - 1) faces, uncapped. A single vertex gives its eight turned
// copies and no faces. Everything added joins the selections; faces take the current material.
void RevolveSelection(Model& model);

}  // namespace zmf::edit
