// A model with a scripted host and a recording texture store, and small builders for tests.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "model/model.h"
#include "model/scripted_host.h"

namespace zmf::testing {

class ModelTest : public ::testing::Test {
 protected:
  Vertex* AddVertex(float x, float y, float z) {
    Vertex* v = model.AppendVertex();
    model.SetVertex(v, {x, y, z}, {0, 0, 1}, 0, 0);
    return v;
  }

  template <class T>
  static std::vector<std::uint32_t> Ids(const RecordList<T>& list) {
    std::vector<std::uint32_t> ids;
    for (T* r : list) ids.push_back(r->id);
    return ids;
  }

  template <class T>
  static std::vector<std::uint32_t> SelectedIds(const RecordList<T>& list) {
    std::vector<std::uint32_t> ids;
    for (T* r : list.Selected()) ids.push_back(r->id);
    return ids;
  }

  static std::vector<Face*> FacesOf(const Vertex* v) {
    std::vector<Face*> faces;
    for (FaceRef* r = v->faceRefHead; r != nullptr; r = r->next) faces.push_back(r->face);
    return faces;
  }

  ScriptedHost host;
  RecordingTextureStore textures;
  Model model{host, textures};
};

}  // namespace zmf::testing
