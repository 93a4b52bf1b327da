// A model with a scripted host and a recording texture store, and small builders for tests.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "model/host.h"
#include "model/model.h"
#include "model/scripted_host.h"

namespace zmf::testing {

// The text of the error box about `detail` (the box's own wording is checked in
// host_and_paths_test.cpp).
inline std::string ErrorBoxText(std::string_view message, std::string_view detail) {
  return MakeErrorBox(message, detail, Severity::Error).text;
}

// A float, or a matrix's sixteen, exact to the bit (as hexadecimal floats).
inline std::string ExactText(float f) {
  std::ostringstream out;
  out << std::hexfloat << f;
  return out.str();
}
inline std::string ExactText(const Matrix4& m) {
  std::string out;
  for (float f : m.m) out += ExactText(f) + ",";
  return out;
}

// What the journal restores, by id (undo re-creates records at the ends of their lists), exact
// to the bit: positions, normals, texture coordinates and their drawn copies, faces with their
// corners ("-" for a missing one) and materials, bone weights. Selection and nextId are not
// journaled and not shown.
inline std::string DumpModel(const Model& m) {
  auto id = [](const Vertex* v) { return v != nullptr ? std::to_string(v->id) : "-"; };
  std::vector<std::string> lines;
  for (const Vertex* v : m.vertices) {
    std::ostringstream line;
    line << std::hexfloat << "v" << v->id << " " << v->position.x << "," << v->position.y << ","
         << v->position.z << " n" << v->normal.x << "," << v->normal.y << "," << v->normal.z << " t"
         << v->u << "," << v->v << " s" << v->savedPosition.x << "," << v->savedPosition.y << ","
         << v->savedPosition.z << "," << v->savedNormal.x << "," << v->savedNormal.y << ","
         << v->savedNormal.z << "," << v->savedU << "," << v->savedV;
    lines.push_back(line.str());
  }
  for (const Face* f : m.faces) {
    lines.push_back("f" + std::to_string(f->id) + " " + id(f->a) + "," + id(f->b) + "," + id(f->c) +
                    " m" + std::to_string(f->material));
  }
  for (std::uint32_t b = 0; b < m.boneCount; ++b) {
    for (const VertexWeight* w : m.bones[b].weights) {
      std::ostringstream line;
      line << std::hexfloat << "w" << b << ":" << id(w->vertex) << "=" << w->weight;
      lines.push_back(line.str());
    }
  }
  std::sort(lines.begin(), lines.end());
  std::string out;
  for (const std::string& line : lines) out += line + "\n";
  return out;
}

// Each face as its corners' ids ("-1" for a missing one) and its material, in list order.
using FaceRow = std::array<std::uint32_t, 4>;
inline std::vector<FaceRow> FaceRows(const Model& m) {
  auto id = [](const Vertex* v) { return v != nullptr ? v->id : ~0u; };
  std::vector<FaceRow> rows;
  for (const Face* f : m.faces) rows.push_back({id(f->a), id(f->b), id(f->c), f->material});
  return rows;
}

// The ids of a record list, in list order and in selection order.
template <class T>
std::vector<std::uint32_t> Ids(const RecordList<T>& list) {
  std::vector<std::uint32_t> ids;
  for (const T* r : list) ids.push_back(r->id);
  return ids;
}
template <class T>
std::vector<std::uint32_t> SelectedIds(const RecordList<T>& list) {
  std::vector<std::uint32_t> ids;
  for (const T* r : list.Selected()) ids.push_back(r->id);
  return ids;
}

// A face's corner ids; empty for no face or a face with a missing corner.
inline std::vector<std::uint32_t> CornerIds(const Face* f) {
  if (f == nullptr || f->a == nullptr || f->b == nullptr || f->c == nullptr) return {};
  return {f->a->id, f->b->id, f->c->id};
}

// The corner ids of each face in material m's chain, in chain order.
inline std::vector<std::vector<std::uint32_t>> ChainCorners(Model& model, std::uint32_t m) {
  std::vector<std::vector<std::uint32_t>> faces;
  for (const Face* f : model.faces.Chain(m)) faces.push_back(CornerIds(f));
  return faces;
}

class ModelTest : public ::testing::Test {
 protected:
  Vertex* AddVertex(float x, float y, float z) {
    Vertex* v = model.AppendVertex();
    model.SetVertex(v, {x, y, z}, {0, 0, 1}, 0, 0);
    return v;
  }
  // For tests outside this namespace.
  template <class T>
  static auto Ids(const RecordList<T>& list) {
    return zmf::testing::Ids(list);
  }
  template <class T>
  static auto SelectedIds(const RecordList<T>& list) {
    return zmf::testing::SelectedIds(list);
  }

  static std::vector<Face*> FacesOf(const Vertex* v) {
    std::vector<Face*> faces;
    for (Face* used : v->Faces()) faces.push_back(used);
    return faces;
  }

  ScriptedHost host;
  RecordingTextureStore textures;
  Model model{host, textures};
};

}  // namespace zmf::testing
