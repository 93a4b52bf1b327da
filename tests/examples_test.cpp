// The sample models in examples/: each opens without a message, its textures included, and the
// worm that `make run` opens is weighted and animated so that its bones view holds together.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "anim/animation.h"
#include "anim/skeleton.h"
#include "format/zmf_reader.h"
#include "model_fixture.h"

namespace zmf::testing {
namespace {

const std::string kExamplesDir = ZMF_EXAMPLES_DIR;

using ExampleModelTest = ModelTest;

TEST_F(ExampleModelTest, EveryExampleOpensWithoutAMessage) {
  int opened = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kExamplesDir)) {
    if (entry.path().extension() != ".zmf") continue;
    SCOPED_TRACE(entry.path().filename().string());
    host.ClearEvents();
    format::ReadModelFile(model, entry.path().string());
    EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{});
    EXPECT_GT(model.faces.count(), 0u);
    ++opened;
  }
  EXPECT_GE(opened, 2);
}

TEST_F(ExampleModelTest, WormStaysWholeWhileItCrawls) {
  format::ReadModelFile(model, kExamplesDir + "/worm.zmf");
  ASSERT_EQ(model.materialCount, 2u);
  EXPECT_NE(model.materials[0].texture, 0u);  // worm.bmp beside it was decoded
  ASSERT_EQ(model.animationCount, 1u);

  // Every vertex is moved by weights that add up to one; the rings on joints share theirs.
  std::map<const Vertex*, float> totals;
  int shared = 0;
  for (std::uint32_t b = 0; b < model.boneCount; ++b) {
    for (const VertexWeight* w : model.bones[b].weights) {
      totals[w->vertex] += w->weight;
      shared += w->weight < 1.0f ? 1 : 0;
    }
  }
  EXPECT_EQ(totals.size(), model.vertices.count());
  for (const auto& [vertex, total] : totals) EXPECT_FLOAT_EQ(total, 1.0f) << vertex->id;
  EXPECT_GT(shared, 0);

  // The last key repeats the first, so the loop has no jump.
  const Animation& crawl = model.animation(0);
  const AnimKey& first = crawl.keys[0];
  const AnimKey& last = crawl.keys[crawl.keyCount - 1];
  ASSERT_EQ(first.keyBoneCount, model.boneCount);
  ASSERT_EQ(last.keyBoneCount, first.keyBoneCount);
  for (std::uint32_t j = 0; j < first.keyBoneCount; ++j) {
    EXPECT_EQ(last.keyBones[j].matrix, first.keyBones[j].matrix) << j;
  }

  // Posed anywhere in the loop, the seam and the neck stay closed: each duplicate pair moves as
  // one. And the pose is not the rest pose.
  model.RebuildDuplicates();
  ASSERT_GT(model.duplicates.count(), 0u);
  model.currentAnimation = 0;
  ManualClock clock;
  ASSERT_TRUE(anim::ToggleAnimationRunning(model, clock));
  for (float seconds : {0.6f, 1.1f, 1.7f}) {
    clock.Set(seconds);
    anim::PoseMesh(model, clock);
    for (const Duplicate* d : model.duplicates) {
      EXPECT_EQ(d->vertex->savedPosition, d->twin->savedPosition)
          << seconds << " " << d->vertex->id;
    }
    int moved = 0;
    for (const Vertex* v : model.vertices) moved += v->savedPosition != v->position ? 1 : 0;
    EXPECT_GT(moved, 0) << seconds;
  }
}

}  // namespace
}  // namespace zmf::testing
