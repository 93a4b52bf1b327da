// Selection chains: order, moves, derived face and duplicate selections.
#include "model/validate_model.h"
#include "model_fixture.h"

namespace zmf::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using Selection = ModelTest;

TEST_F(Selection, SelectingAgainMovesToTheEndAndUnselectIsSafe) {
  Vertex* p = AddVertex(0, 0, 0);
  Vertex* q = AddVertex(1, 0, 0);
  Vertex* r = AddVertex(2, 0, 0);
  Vertex* s = AddVertex(3, 0, 0);
  for (Vertex* v : {p, q, r, p}) EXPECT_TRUE(model.vertices.Select(v));
  EXPECT_FALSE(model.vertices.Select(nullptr));
  // The chain's links, ends, count and flags agree (ValidateModel); its order:
  EXPECT_THAT(ValidateModel(model), IsEmpty());
  EXPECT_THAT(SelectedIds(model.vertices), ElementsAre(q->id, r->id, p->id));

  model.vertices.Unselect(s);
  model.vertices.Unselect(nullptr);
  EXPECT_EQ(model.vertices.selCount(), 3u);

  model.vertices.Unselect(r);
  EXPECT_FALSE(r->selected);
  EXPECT_THAT(SelectedIds(model.vertices), ElementsAre(q->id, p->id));

  // Removing a selected record takes it out of the chain first.
  model.vertices.RemoveAndFree(q);
  EXPECT_THAT(ValidateModel(model), IsEmpty());
  EXPECT_THAT(SelectedIds(model.vertices), ElementsAre(p->id));
}

TEST_F(Selection, DeselectAllClearsEveryChain) {
  model.DeselectAll();  // empty model
  EXPECT_EQ(model.vertices.selCount(), 0u);
  EXPECT_EQ(model.faces.selCount(), 0u);

  Vertex* a = AddVertex(0, 0, 0);
  Vertex* b = AddVertex(0, 0, 0);
  Vertex* c = AddVertex(0, 1, 0);
  model.MakeFace(a, b, c);
  model.SelectAll();
  model.RebuildDuplicates();
  model.SelectDuplicatesOfSelection();
  ASSERT_EQ(model.duplicates.selCount(), 1u);

  model.DeselectAll();
  // With no record counted as selected, ValidateModel finds no flag left set and no chain left.
  EXPECT_EQ(model.vertices.selCount() + model.faces.selCount() + model.duplicates.selCount(), 0u);
  EXPECT_THAT(ValidateModel(model), IsEmpty());
}

TEST_F(Selection, FacesAreSelectedOnlyWhenAllCornersAre) {
  Vertex* v[4];
  for (int i = 0; i < 4; ++i) v[i] = AddVertex(float(i), 0, 0);
  Face* f = model.MakeFace(v[0], v[1], v[3]);
  Face* g = model.MakeFace(v[0], v[1], v[2]);
  model.DeselectAll();
  model.faces.Select(f);  // an earlier face selection is replaced

  for (int i = 0; i < 3; ++i) model.vertices.Select(v[i]);
  model.SelectFacesFromVertices();
  EXPECT_THAT(SelectedIds(model.faces), ElementsAre(g->id));

  model.vertices.Select(v[3]);
  model.SelectFacesFromVertices();
  EXPECT_THAT(SelectedIds(model.faces), ElementsAre(f->id, g->id));  // list order
}

TEST_F(Selection, SelectAllFollowsListOrderAndSkipsFacesWithAMissingCorner) {
  Vertex* a = AddVertex(0, 0, 0);
  Vertex* b = AddVertex(1, 0, 0);
  Vertex* c = AddVertex(0, 1, 0);
  model.vertices.Select(c);
  model.vertices.Select(a);
  Face* whole = model.MakeFace(a, b, c);
  Face* broken = model.MakeFaceFromIds(40, a->id, b->id, 99);
  model.DeselectAll();

  model.SelectAll();
  EXPECT_THAT(SelectedIds(model.vertices), ElementsAre(a->id, b->id, c->id));
  EXPECT_TRUE(whole->selected);
  EXPECT_FALSE(broken->selected);
}

TEST_F(Selection, DuplicatesFollowTheirFirstVertexOnly) {
  Vertex* v = AddVertex(1, 1, 1);
  Vertex* w = AddVertex(1, 1, 1);
  model.RebuildDuplicates();
  ASSERT_EQ(model.duplicates.count(), 1u);
  Duplicate* d = model.duplicates.head();

  model.vertices.Select(w);
  model.SelectDuplicatesOfSelection();
  EXPECT_FALSE(d->selected);

  model.vertices.Select(v);
  model.SelectDuplicatesOfSelection();
  EXPECT_TRUE(d->selected);

  model.vertices.Unselect(w);
  model.SelectDuplicatesOfSelection();
  EXPECT_TRUE(d->selected);
  EXPECT_EQ(model.duplicates.selCount(), 1u);
}

}  // namespace
}  // namespace zmf::testing
