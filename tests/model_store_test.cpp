// Vertex and face lists: ids, positions, material chains, face references, duplicates, bounds.
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "model_fixture.h"

namespace zmf::testing {
namespace {

using ::testing::ElementsAre;

using ModelStore = ModelTest;

TEST_F(ModelStore, IdsKeepGapsRenumberingRestartsThemAndFarOffIdsAreFound) {
  Vertex* v0 = AddVertex(0, 0, 0);
  Vertex* v1 = AddVertex(1, 0, 0);
  Vertex* v2 = AddVertex(2, 0, 0);
  EXPECT_THAT(Ids(model.vertices), ElementsAre(0, 1, 2));

  model.vertices.RemoveAndFree(v1);
  Vertex* v3 = AddVertex(3, 0, 0);
  EXPECT_THAT(Ids(model.vertices), ElementsAre(0, 2, 3));
  EXPECT_EQ(model.vertices.nextId(), 4u);
  EXPECT_EQ(model.vertices.FindById(1), nullptr);
  EXPECT_EQ(model.vertices.FindById(3), v3);
  EXPECT_EQ(model.vertices.FindById(4), nullptr);

  model.vertices.Renumber();
  EXPECT_THAT(Ids(model.vertices), ElementsAre(0, 1, 2));
  EXPECT_EQ(model.vertices.nextId(), 3u);
  EXPECT_EQ(model.vertices.FindById(0), v0);
  EXPECT_EQ(model.vertices.FindById(1), v2);
  EXPECT_EQ(model.vertices.FindById(2), v3);
  EXPECT_EQ(model.vertices.FindById(3), nullptr);
  EXPECT_EQ(AddVertex(4, 0, 0)->id, 3u);

  // Ids far beyond the index's reach are found, also once the index grows past them; a second
  // record under the far id is told apart in list order, and each goes cleanly.
  Vertex* far = AddVertex(0, 0, 0);
  Vertex* near = AddVertex(1, 0, 0);
  Vertex* further = AddVertex(2, 0, 0);
  model.vertices.SetId(far, 70000);       // beyond the index's reach
  model.vertices.SetId(near, 60000);      // the index grows to 60000
  model.vertices.SetId(further, 100000);  // and now past 70000
  EXPECT_EQ(model.vertices.FindById(70000), far);
  EXPECT_EQ(model.vertices.FindById(60000), near);
  EXPECT_EQ(model.vertices.FindById(100000), further);
  Vertex* twin = AddVertex(3, 0, 0);
  model.vertices.SetId(twin, 70000);
  EXPECT_EQ(model.vertices.FindById(70000), far);
  model.vertices.RemoveAndFree(far);
  EXPECT_EQ(model.vertices.FindById(70000), twin);
  model.vertices.RemoveAndFree(twin);
  EXPECT_EQ(model.vertices.FindById(70000), nullptr);

  // Positions in the list and the selection start at 0; the stress sessions check every other
  // position after every edit.
  model.vertices.Select(near);
  EXPECT_EQ(model.vertices.Nth(-1), nullptr);
  EXPECT_EQ(model.vertices.Nth(model.vertices.count()), nullptr);
  EXPECT_EQ(model.vertices.Nth(0), v0);
  EXPECT_EQ(model.vertices.NthSelected(-1), nullptr);
  EXPECT_EQ(model.vertices.NthSelected(1), nullptr);
  EXPECT_EQ(model.vertices.NthSelected(0), near);
}

// The id index is made by the first lookup after a file is read or the ids renumbered: it must
// see every change made before it as the index kept up with them would.
TEST_F(ModelStore, IdIndexMadeOnFirstLookupSeesEveryEarlierChange) {
  for (int i = 0; i < 6; ++i) AddVertex(static_cast<float>(i), 0, 0);
  model.vertices.Renumber();
  Vertex* v0 = model.vertices.Nth(0);
  Vertex* v2 = model.vertices.Nth(2);
  Vertex* v4 = model.vertices.Nth(4);
  Vertex* v5 = model.vertices.Nth(5);
  model.vertices.RemoveAndFree(model.vertices.Nth(1));
  model.vertices.SetId(v5, 2);      // shares id 2 with v2, later in list order
  model.vertices.SetId(v0, 90000);  // beyond the index's reach
  model.vertices.ReserveIds(1000);  // nothing to reserve in yet
  Vertex* added = AddVertex(9, 0, 0);
  EXPECT_EQ(added->id, 6u);
  EXPECT_EQ(model.vertices.FindById(1), nullptr);
  EXPECT_EQ(model.vertices.FindById(2), v2);
  EXPECT_EQ(model.vertices.FindById(4), v4);
  EXPECT_EQ(model.vertices.FindById(5), nullptr);
  EXPECT_EQ(model.vertices.FindById(6), added);
  EXPECT_EQ(model.vertices.FindById(90000), v0);
  EXPECT_EQ(model.vertices.FindById(0), nullptr);
  // From here the index is kept up with each change.
  model.vertices.RemoveAndFree(v2);
  EXPECT_EQ(model.vertices.FindById(2), v5);
  model.vertices.SetId(v4, 7);
  EXPECT_EQ(model.vertices.FindById(4), nullptr);
  EXPECT_EQ(model.vertices.FindById(7), v4);
  EXPECT_EQ(AddVertex(0, 0, 0)->id, 7u);  // nextId is unchanged by SetId
  EXPECT_EQ(model.vertices.FindById(7), v4);

  // A list swapped with another takes its index along, built or not.
  RecordList<Vertex> other;
  other.Swap(model.vertices);
  EXPECT_EQ(other.FindById(90000), v0);
  EXPECT_EQ(model.vertices.FindById(90000), nullptr);
  other.Swap(model.vertices);
}

TEST_F(ModelStore, FacesMadeFromIdsUnderOldOrFarIdsOrWithAMissingCorner) {
  Vertex* a = AddVertex(0, 0, 0);
  Vertex* b = AddVertex(1, 0, 0);
  Vertex* c = AddVertex(0, 1, 0);
  Face* f0 = model.MakeFace(a, b, c);
  Face* f1 = model.MakeFace(a, c, b);
  ASSERT_EQ(f1->id, 1u);

  // Re-created under id 0 while f0 still has it: the earlier record wins until it goes.
  Face* again = model.MakeFaceFromIds(0, a->id, b->id, c->id);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(model.faces.FindById(0), f0);
  model.RemoveFace(f0);
  EXPECT_EQ(model.faces.FindById(0), again);
  EXPECT_EQ(model.faces.nextId(), 3u);

  // An id far beyond the list's range is still found, without a huge index.
  Face* far = model.MakeFaceFromIds(4000000000u, a->id, b->id, c->id);
  EXPECT_EQ(model.faces.FindById(4000000000u), far);
  model.RemoveFace(far);
  EXPECT_EQ(model.faces.FindById(4000000000u), nullptr);

  // A missing corner is left null; the face takes the current material and is not selected.
  model.materialCount = 4;
  model.currentMaterial = 3;
  Face* f = model.MakeFaceFromIds(7, a->id, 99, b->id);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->id, 7u);
  EXPECT_EQ(f->b, nullptr);
  EXPECT_EQ(model.faces.chainCount(3), 1u);
  EXPECT_FALSE(f->selected);
  for (Face* face : {f0, f1, again, f}) model.RemoveFace(face);  // a null corner holds nothing
  EXPECT_FALSE(a->HasFaces());
  EXPECT_FALSE(b->HasFaces());
}

// Each vertex's face references against its faces are checked after every edit of the stress
// sessions; here, what no edit does.
TEST_F(ModelStore, NewCornersThatAreMissingAreIgnoredAndAFaceOnOneVertexHoldsItThrice) {
  Vertex* a = AddVertex(0, 0, 0);
  Vertex* b = AddVertex(1, 0, 0);
  Vertex* c = AddVertex(0, 1, 0);
  Face* g = model.MakeFace(a, b, c);
  EXPECT_TRUE(g->selected);
  model.SetFaceCorners(g, a, b, nullptr);  // ignored: a corner is missing
  EXPECT_EQ(g->c, c);
  EXPECT_THAT(FacesOf(c), ElementsAre(g));

  Face* degenerate = model.MakeFace(c, c, c);
  EXPECT_THAT(FacesOf(c), ElementsAre(g, degenerate, degenerate, degenerate));
  model.RemoveFace(degenerate);
  EXPECT_THAT(FacesOf(c), ElementsAre(g));
}

TEST_F(ModelStore, MaterialChainsStayExact) {
  Vertex* a = AddVertex(0, 0, 0);
  Vertex* b = AddVertex(1, 0, 0);
  Vertex* c = AddVertex(0, 1, 0);
  model.materialCount = 3;
  std::vector<Face*> f;
  for (std::uint32_t m : {0u, 1u, 0u, 2u, 1u}) {
    model.currentMaterial = m;
    f.push_back(model.MakeFace(a, b, c));
  }
  auto chain = [&](std::uint32_t m) {
    std::vector<Face*> faces;
    for (Face* face : model.faces.Chain(m)) faces.push_back(face);
    EXPECT_EQ(faces.size(), model.faces.chainCount(m));
    EXPECT_EQ(model.faces.chainTail(m), faces.empty() ? nullptr : faces.back());
    return faces;
  };
  EXPECT_THAT(chain(0), ElementsAre(f[0], f[2]));
  EXPECT_THAT(chain(1), ElementsAre(f[1], f[4]));

  model.SetFaceMaterial(f[0], 1);  // joins the tail of its new chain
  EXPECT_THAT(chain(0), ElementsAre(f[2]));
  EXPECT_THAT(chain(1), ElementsAre(f[1], f[4], f[0]));
  model.SetFaceMaterial(model.faces.FindById(f[4]->id), 2);
  model.SetFaceMaterial(model.faces.FindById(12345), 0);  // no such face
  model.SetFaceMaterial(f[3], 3);                         // beyond the materials in use
  EXPECT_THAT(chain(1), ElementsAre(f[1], f[0]));
  EXPECT_THAT(chain(2), ElementsAre(f[3], f[4]));

  model.RemoveFace(f[1]);
  EXPECT_THAT(chain(1), ElementsAre(f[0]));

  // Compacting the table: material 2's faces move into the emptied slot 0 and slot 2 is clean.
  model.RemoveFace(f[2]);
  model.MoveMaterialChain(0, 2);
  EXPECT_THAT(chain(0), ElementsAre(f[3], f[4]));
  EXPECT_EQ(f[3]->material, 0u);
  EXPECT_EQ(f[4]->material, 0u);
  EXPECT_TRUE(chain(2).empty());
  model.currentMaterial = 2;
  Face* fresh = model.MakeFace(a, b, c);
  EXPECT_THAT(chain(2), ElementsAre(fresh));

  Face* loose = model.faces.Allocate();
  EXPECT_FALSE(model.AddFace(loose, kMaxMaterials));
  model.faces.Free(loose);
  EXPECT_EQ(model.faces.count(), 4u);
}

TEST_F(ModelStore, DeletingAVertexTakesItsFacesAndWeights) {
  Vertex* a = AddVertex(0, 0, 0);
  Vertex* b = AddVertex(1, 0, 0);
  Vertex* c = AddVertex(0, 1, 0);
  Vertex* d = AddVertex(1, 1, 0);
  model.MakeFace(a, b, c);
  Face* kept = model.MakeFace(b, d, c);
  model.MakeFace(a, c, d);
  model.boneCount = 1;
  for (Vertex* v : {a, b}) {
    VertexWeight* w = model.bones[0].weights.Allocate();
    w->vertex = v;
    w->weight = 0.5f;
    model.bones[0].weights.Append(w);
  }
  model.RebuildDuplicates();
  model.DeleteVertex(a);
  EXPECT_EQ(model.vertices.count(), 3u);
  EXPECT_EQ(model.faces.count(), 1u);
  EXPECT_EQ(model.faces.head(), kept);
  EXPECT_EQ(model.faces.chainCount(0), 1u);
  ASSERT_EQ(model.bones[0].weights.count(), 1u);
  EXPECT_EQ(model.bones[0].weights.head()->vertex, b);
  EXPECT_TRUE(model.geometryChanged);
}

TEST_F(ModelStore, BoneWeightLookupsFollowEveryChangeToTheList) {
  Vertex* a = AddVertex(0, 0, 0);
  Vertex* b = AddVertex(1, 0, 0);
  Bone& bone = model.bones[0];
  model.boneCount = 1;
  VertexWeight* wa = bone.AddWeight(a, 0.5f);
  EXPECT_EQ(bone.FindWeight(a), wa);
  // Entries appended behind the index's back, as a file read does, are found too.
  VertexWeight* wb = bone.weights.Allocate();
  wb->vertex = b;
  bone.weights.Append(wb);
  EXPECT_EQ(bone.FindWeight(b), wb);
  bone.RemoveWeight(wa);
  EXPECT_EQ(bone.FindWeight(a), nullptr);
  // A list that holds a vertex twice answers with the first, and then with the second.
  VertexWeight* again = bone.AddWeight(b, 1.0f);
  EXPECT_EQ(bone.FindWeight(b), wb);
  bone.RemoveWeight(wb);
  EXPECT_EQ(bone.FindWeight(b), again);
  model.DeleteVertex(b);
  EXPECT_TRUE(bone.weights.empty());
  bone.weights.Clear();
  EXPECT_EQ(bone.FindWeight(a), nullptr);
}

// The first later vertex at the same position for each vertex, by a plain quadratic search.
std::vector<std::pair<Vertex*, Vertex*>> ReferencePairs(const Model& model) {
  std::vector<std::pair<Vertex*, Vertex*>> pairs;
  for (Vertex* v = model.vertices.head(); v != nullptr; v = v->next) {
    for (Vertex* w = v->next; w != nullptr; w = w->next) {
      if (v->position.x == w->position.x && v->position.y == w->position.y &&
          v->position.z == w->position.z) {
        pairs.emplace_back(v, w);
        break;
      }
    }
  }
  return pairs;
}

std::vector<std::pair<Vertex*, Vertex*>> Pairs(const Model& model) {
  std::vector<std::pair<Vertex*, Vertex*>> pairs;
  for (Duplicate* d : model.duplicates) pairs.emplace_back(d->vertex, d->twin);
  return pairs;
}

TEST_F(ModelStore, DuplicatesPairEachVertexWithItsFirstLaterMatchAsAQuadraticSearchDoes) {
  Vertex* p = AddVertex(1, 2, 3);
  Vertex* q = AddVertex(1, 2, 3);
  AddVertex(1, 2, 3.001f);
  model.RebuildDuplicates();
  EXPECT_THAT(Pairs(model), ElementsAre(std::pair(p, q)));
  EXPECT_FALSE(model.geometryChanged);

  Vertex* r = AddVertex(1, 2, 3);
  model.RebuildDuplicates();
  EXPECT_THAT(Pairs(model), ElementsAre(std::pair(p, q), std::pair(q, r)));
  EXPECT_THAT(Ids(model.duplicates), ElementsAre(0, 1));  // the list starts again from 0

  // Nothing happens while the geometry has not changed, even if positions were poked directly.
  r->position.x = 50;
  model.RebuildDuplicates();
  EXPECT_EQ(model.duplicates.count(), 2u);

  model.Reset();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  Vertex* plusZero = AddVertex(0.0f, 1, 1);
  Vertex* minusZero = AddVertex(-0.0f, 1, 1);
  AddVertex(nan, 1, 1);
  AddVertex(nan, 1, 1);
  model.RebuildDuplicates();
  EXPECT_THAT(Pairs(model), ElementsAre(std::pair(plusZero, minusZero)));

  // On a crowded grid, as a quadratic search finds them.
  model.Reset();
  std::mt19937 random(7);
  std::uniform_int_distribution<int> coordinate(-3, 3);
  std::vector<Vertex*> all;
  for (int i = 0; i < 3000; ++i) {
    all.push_back(
        AddVertex(coordinate(random) * 0.5f, coordinate(random) * 0.0f, float(coordinate(random))));
  }
  // Gaps in the list and the ids must not disturb the order of the pairs.
  for (int i = 0; i < 3000; i += 7) model.vertices.RemoveAndFree(all[i]);
  model.geometryChanged = true;
  model.RebuildDuplicates();
  EXPECT_EQ(Pairs(model), ReferencePairs(model));
  EXPECT_GT(model.duplicates.count(), 2000u);
}

// A reserved block holds the next records side by side; freed records are reused before it, a
// count the next chunk holds anyway reserves nothing, and one that cannot be had changes nothing.
TEST_F(ModelStore, PoolReservesOneBlockAndStillReusesFreedRecordsFirst) {
  Pool<Face> pool;
  pool.New();
  ASSERT_TRUE(pool.Reserve(50000));
  std::vector<Face*> block;
  for (int i = 0; i < 50000; ++i) block.push_back(pool.New());
  for (int i = 0; i < 50000; ++i) ASSERT_EQ(block[i], block[0] + i) << i;
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block[0]) % (std::uintptr_t{2} << 20), 0u);
  block[7]->id = 99;
  pool.Delete(block[5]);
  pool.Delete(block[7]);
  EXPECT_EQ(pool.New(), block[7]);
  EXPECT_EQ(block[7]->id, 0u);  // value-initialised again
  EXPECT_EQ(pool.New(), block[5]);
  Face* after = pool.New();  // past the block: growth as before
  EXPECT_TRUE(after < block.front() || after > block.back());
  EXPECT_EQ(pool.live(), 50002u);

  pool.Release();
  EXPECT_EQ(pool.live(), 0u);
  ASSERT_TRUE(pool.Reserve(3));
  Face* first = pool.New();
  EXPECT_FALSE(pool.Reserve(SIZE_MAX / 2));
  EXPECT_EQ(pool.New(), first + 1);
  EXPECT_EQ(pool.live(), 2u);
}

TEST_F(ModelStore, BoundsStartAtTheHundredThousandBox) {
  model.boundsMin = {1, 2, 3};
  model.boundsMax = {4, 5, 6};
  model.radiusSquared = 9;
  model.ComputeBounds();  // empty: the box stays, the radius falls back to 1
  EXPECT_EQ(model.boundsMin, (Vector3{1, 2, 3}));
  EXPECT_EQ(model.boundsMax, (Vector3{4, 5, 6}));
  EXPECT_EQ(model.radiusSquared, 1.0f);

  AddVertex(-1, 2, 0.5f);
  AddVertex(3, -4, 0.5f);
  model.ComputeBounds();
  EXPECT_EQ(model.boundsMin, (Vector3{-1, -4, 0.5f}));
  EXPECT_EQ(model.boundsMax, (Vector3{3, 2, 0.5f}));
  EXPECT_FLOAT_EQ(model.radiusSquared, 1 + 16 + 0.25f);

  model.Reset();
  AddVertex(200000, 0, 0);
  model.ComputeBounds();
  EXPECT_EQ(model.boundsMin.x, 100000.0f);
  EXPECT_EQ(model.boundsMax.x, 200000.0f);
  EXPECT_EQ(model.boundsMax.y, 0.0f);
}

TEST_F(ModelStore, SetVertexWritesBothCopiesAndCommitRestoresTheRestPose) {
  Vertex* v = AddVertex(0, 0, 0);
  model.geometryChanged = false;
  model.SetVertex(v, {1, 2, 3}, {0, 1, 0}, 0.25f, 0.75f);
  EXPECT_TRUE(model.geometryChanged);
  EXPECT_EQ(v->savedPosition, (Vector3{1, 2, 3}));
  EXPECT_EQ(v->savedNormal, (Vector3{0, 1, 0}));
  EXPECT_EQ(v->savedV, 0.75f);

  v->savedPosition = {9, 9, 9};  // a pose or a drag preview
  v->savedU = 0.5f;
  v->changed = 1;
  model.Commit();
  EXPECT_EQ(v->savedPosition, (Vector3{1, 2, 3}));
  EXPECT_EQ(v->savedU, 0.25f);
  EXPECT_EQ(v->changed, 0);
}

TEST_F(ModelStore, ResetEmptiesEverythingAndDeletesTextures) {
  Vertex* a = AddVertex(0, 0, 0);
  Vertex* b = AddVertex(1, 0, 0);
  Vertex* c = AddVertex(0, 1, 0);
  model.MakeFace(a, b, c);
  model.materialCount = 3;
  model.materials[0].name.Set("stone");
  const std::uint8_t texel[4] = {1, 2, 3, 4};
  model.materials[2].texture = textures.Create(1, 1, texel);
  model.backgroundTexture = textures.Create(1, 1, texel);
  model.boneCount = 2;
  model.currentMaterial = 2;
  model.currentBone = model.rootBone = 1;
  model.animationRunning = true;

  model.Reset();
  EXPECT_TRUE(textures.live().empty());
  EXPECT_EQ(textures.deleted().size(), 2u);
  EXPECT_EQ(model.backgroundTexture, 0u);
  EXPECT_EQ(model.materials[2].texture, 0u);
  EXPECT_EQ(model.faces.chainHead(0), nullptr);
  EXPECT_EQ(model.faces.chainCount(0), 0u);
  EXPECT_EQ(model.materialCount, 1u);
  EXPECT_EQ(model.currentMaterial, 0u);
  EXPECT_EQ(model.materials[0].name, "default");
  EXPECT_EQ(model.boneCount, 0u);
  EXPECT_EQ(model.rootBone, -1);
  EXPECT_EQ(model.currentBone, -1);
  EXPECT_TRUE(model.animationRunning);  // playback is the shell's to stop
  EXPECT_EQ(AddVertex(0, 0, 0)->id, 0u);
}

}  // namespace
}  // namespace zmf::testing
