// The fixed meshes of Add Geometric: box, sphere, triad, pyramid, cylinder, cone and plane.
#pragma once

#include "model/model.h"

namespace zmf::edit {

// Each adds its mesh, centred on the origin and about one unit across, as one undo group. The
// new vertices and faces join the existing selections; faces take the current material.
//
// Box: 24 vertices (four per side, each with its side's normal) and 12 faces, -0.5 ... 0.5.
void AddBox(Model& model);
// Sphere of radius 0.5: an octahedron subdivided twice, 66 vertices and 128 faces.
void AddSphere(Model& model);
// Tetrahedron: 4 vertices, 4 faces.
void AddTriad(Model& model);
// Square pyramid: 5 vertices, 6 faces.
void AddPyramid(Model& model);
// Open tube along y, radius 0.5 and height 1: two rings of 8 vertices, 16 faces, no caps.
void AddCylinder(Model& model);
// Cone along y with the apex at the top: 9 vertices, 8 faces, no base.
void AddCone(Model& model);
// 17 x 17 grid in z = 0 spanning -1 ... 1, 289 vertices and 512 faces, wound clockwise seen
// from +z (against its normals).
void AddPlane(Model& model);

}  // namespace zmf::edit
