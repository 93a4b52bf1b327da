// Copy, Cut and Paste: the clipboard texts byte for byte, the paste reader's word cursor, the
// item pastes with their questions, and scripts that exchange each kind of text through files.
#include <string>

#include "anim/animation.h"
#include "batch_fixture.h"
#include "command/clipboard_commands.h"
#include "edit/journal.h"
#include "edit/undo_redo.h"
#include "format/clipboard_text.h"
#include "model_fixture.h"

namespace zmf {
namespace {

using ::testing::ElementsAre;
using view::PanelList;
using Words = std::vector<std::string>;

class ClipboardTest : public testing::ModelTest {
 protected:
  Vertex* AddVertex(Model& m, Vector3 position) {
    Vertex* v = m.AppendVertex();
    m.SetVertex(v, position, {0, 0, 1}, 0.5f, 0.5f);
    return v;
  }

  std::string Clip() const { return std::string(clipboard.Text().value_or("(none)")); }

  // Two bones and two animations ("walk", 3 keys over 1 s, and "run", 2 keys over 2 s), each
  // key posing both bones with matrices that tell them apart; animation 0, key 0 current.
  void AddSkeleton() {
    Matrix4 local = Matrix4::Identity();
    local[12] = 1.0f;
    ASSERT_TRUE(edit::JournalAddBone(model, "hips", kNoBone, local, 1.0f));
    local[13] = 2.0f;
    ASSERT_TRUE(edit::JournalAddBone(model, "arm", 0, local, 1.0f));
    model.bones[1].poseMatrix[0] = 3.0f;
    ASSERT_TRUE(anim::AddAnimation(model, "walk", 3, 1.0f));
    ASSERT_TRUE(anim::AddAnimation(model, "run", 2, 2.0f));
    for (std::int32_t a : {0, 1}) {
      model.currentAnimation = a;
      model.currentKey = 0;
      ASSERT_TRUE(anim::AddKeyBone(model, 0));
      ASSERT_TRUE(anim::AddKeyBone(model, 1));
      Animation& animation = model.animation(static_cast<std::uint32_t>(a));
      for (std::uint32_t k = 0; k < animation.keyCount; ++k) {
        for (std::uint32_t s = 0; s < 2; ++s) {
          Matrix4& matrix = animation.keys[k].keyBones[s].matrix;
          matrix = Matrix4::Identity();
          matrix[12] = static_cast<float>(100 * a + 10 * k + s);
        }
      }
    }
    model.currentAnimation = 0;
    model.currentKey = 0;
    model.currentKeyBone = 0;
    model.currentBone = 0;
    host.ClearEvents();
  }

  MemoryClipboard clipboard;
};

constexpr const char* kTwoVertices =
    "VERTICES { POSITION_NORMAL_TEXCOORDS 2\n"
    "1.000000 2.000000 3.000000\t0.000000 0.000000 1.000000\t0.500000 0.500000\n"
    "0.000000 0.000000 0.000000\t0.000000 0.000000 1.000000\t0.500000 0.500000\n"
    "}\n";

TEST_F(ClipboardTest, TwoVerticesCopyExactlyAndPasteAtNextIdAsOneUndoStep) {
  model.vertices.Select(AddVertex(model, {1, 2, 3}));
  model.vertices.Select(AddVertex(model, {0, 0, 0}));
  EXPECT_FALSE(command::CopySelection(model, PanelList::None, clipboard));
  EXPECT_FALSE(clipboard.Text());
  ASSERT_TRUE(command::CopySelection(model, PanelList::Vertex, clipboard));
  EXPECT_EQ(Clip(), kTwoVertices);

  // A model whose ids went up to 9, with vertex 9 still selected: the pasted vertices get ids
  // 10 and 11 and join the selection after it.
  ScriptedHost otherHost;
  Model other(otherHost, textures);
  for (int i = 0; i < 10; ++i) AddVertex(other, {0, 0, 0});
  while (other.vertices.head()->id != 9) other.DeleteVertex(other.vertices.head());
  other.vertices.Select(other.vertices.head());
  EXPECT_EQ(command::PasteClipboard(other, clipboard), command::Refresh::Mesh);
  EXPECT_EQ(Ids(other.vertices), (std::vector<std::uint32_t>{9, 10, 11}));
  EXPECT_EQ(SelectedIds(other.vertices), (std::vector<std::uint32_t>{9, 10, 11}));
  EXPECT_TRUE(otherHost.events().empty());
  // Copying the pasted vertices gives the same text back.
  other.vertices.Unselect(other.vertices.head());
  MemoryClipboard again;
  ASSERT_TRUE(command::CopySelection(other, PanelList::Face, again));
  EXPECT_EQ(again.Text(), std::string(kTwoVertices) + "TRIANGLES { 0\n}\n");

  edit::Undo(other);
  EXPECT_EQ(Ids(other.vertices), (std::vector<std::uint32_t>{9}));
}

TEST_F(ClipboardTest, FacesTravelAsPositionsAmongTheCopiedVertices) {
  Vertex* v[4];
  for (int i = 0; i < 4; ++i) v[i] = AddVertex(model, {static_cast<float>(i), 0, 0});
  Face* inside = model.MakeFace(v[0], v[1], v[2]);
  Face* outside = model.MakeFace(v[1], v[2], v[3]);  // v3 is not selected
  model.faces.ClearSelection();
  model.faces.Select(outside);
  model.faces.Select(inside);
  for (int i : {2, 0, 1}) model.vertices.Select(v[i]);
  // With no vertex selected, nothing is copied.
  ASSERT_TRUE(command::CopySelection(model, PanelList::Face, clipboard));
  const std::string text =
      "VERTICES { POSITION_NORMAL_TEXCOORDS 3\n"
      "2.000000 0.000000 0.000000\t0.000000 0.000000 1.000000\t0.500000 0.500000\n"
      "0.000000 0.000000 0.000000\t0.000000 0.000000 1.000000\t0.500000 0.500000\n"
      "1.000000 0.000000 0.000000\t0.000000 0.000000 1.000000\t0.500000 0.500000\n"
      "}\nTRIANGLES { 1\n1 2 0\n}\n";
  EXPECT_EQ(Clip(), text);
  model.vertices.ClearSelection();
  EXPECT_FALSE(command::CopySelection(model, PanelList::Face, clipboard));
  EXPECT_EQ(Clip(), text);

  // Pasted faces take the current material and are selected after the faces selected before.
  ScriptedHost otherHost;
  Model other(otherHost, textures);
  other.materialCount = 2;
  other.currentMaterial = 1;
  Vertex* a = AddVertex(other, {});
  Vertex* b = AddVertex(other, {});
  other.MakeFace(a, b, AddVertex(other, {}));
  command::PasteClipboard(other, clipboard);
  EXPECT_THAT(testing::FaceRows(other),
              ElementsAre(testing::FaceRow{0, 1, 2, 1}, testing::FaceRow{4, 5, 3, 1}));
  EXPECT_EQ(SelectedIds(other.faces), (std::vector<std::uint32_t>{0, 1}));
  EXPECT_EQ(other.vertices.FindById(3)->position.x, 2.0f);
  edit::Undo(other);
  EXPECT_EQ(other.faces.count(), 1u);
  EXPECT_EQ(other.vertices.count(), 3u);
}

// A paste bigger than the lists' next chunks, into lists with gaps: the records take the next
// ids in order, the faces join the pasted vertices, Copy gives the text back, and one Undo takes
// it all away (Redo brings the same back).
TEST_F(ClipboardTest, ABigPasteIntoListsWithGapsTakesTheNextIdsAsOneUndoStep) {
  std::string text = "VERTICES { POSITION_NORMAL_TEXCOORDS 500\n";
  for (int i = 0; i < 500; ++i) {
    text += std::to_string(i) +
            ".000000 1.000000 -2.500000\t0.000000 0.000000 1.000000\t0.250000 " +
            std::to_string(i % 10) + ".000000\n";
  }
  text += "}\nTRIANGLES { 700\n";
  for (int i = 0; i < 700; ++i) {
    text += std::to_string(i % 500) + " " + std::to_string((i * 7 + 1) % 500) + " " +
            std::to_string((i * 13 + 2) % 500) + "\n";
  }
  text += "}\n";
  Vertex* v[6];
  for (int i = 0; i < 6; ++i) v[i] = AddVertex(model, {static_cast<float>(i), 0, 0});
  model.MakeFace(v[0], v[1], v[2]);
  model.MakeFace(v[3], v[4], v[5]);
  model.DeleteVertex(v[1]);
  model.DeselectAll();
  model.vertices.Select(v[4]);
  const std::string before = testing::DumpModel(model);
  clipboard.SetText(text);
  EXPECT_EQ(command::PasteClipboard(model, clipboard), command::Refresh::Mesh);
  std::vector<std::uint32_t> ids{0, 2, 3, 4, 5}, selected{4}, faceIds{1};
  for (std::uint32_t i = 6; i < 506; ++i) ids.push_back(i), selected.push_back(i);
  for (std::uint32_t i = 2; i < 702; ++i) faceIds.push_back(i);
  EXPECT_EQ(Ids(model.vertices), ids);
  EXPECT_EQ(SelectedIds(model.vertices), selected);
  EXPECT_EQ(Ids(model.faces), faceIds);
  EXPECT_EQ(SelectedIds(model.faces),
            std::vector<std::uint32_t>(faceIds.begin() + 1, faceIds.end()));
  EXPECT_EQ(testing::FaceRows(model)[700], (testing::FaceRow{6 + 199, 6 + 394, 6 + 89, 0}));
  model.vertices.Unselect(v[4]);
  MemoryClipboard again;
  ASSERT_TRUE(command::CopySelection(model, PanelList::Face, again));
  EXPECT_EQ(again.Text(), text);
  model.vertices.Select(v[4]);
  const std::string after = testing::DumpModel(model);
  edit::Undo(model);
  EXPECT_EQ(testing::DumpModel(model), before);
  edit::Redo(model);
  EXPECT_EQ(testing::DumpModel(model), after);
}

TEST_F(ClipboardTest, WordsAreSeparatedByAnyRunOfWhitespace) {
  auto read = [](std::string_view text) {
    format::ClipboardWords words(text);
    Words out;
    for (std::string_view w = words.Next(); !w.empty(); w = words.Next()) out.emplace_back(w);
    return out;
  };
  EXPECT_EQ(read("a b\tc\nd"), (Words{"a", "b", "c", "d"}));
  EXPECT_EQ(read("  a  bc \t def\n\n\tg "), (Words{"a", "bc", "def", "g"}));
  EXPECT_EQ(read("a\r\nb\r\n\r\nc\rd"), (Words{"a", "b", "c", "d"}));
  EXPECT_EQ(read(std::string_view("a b\0c", 5)), (Words{"a", "b"}));
  EXPECT_EQ(read(" \n "), Words{});

  format::ClipboardWords numbers("1.9 -1.9 abc 1e3  16777217 1e300 -nan 0x10 2.5x");
  std::vector<std::int64_t> integers;
  for (int i = 0; i < 8; ++i) integers.push_back(numbers.NextInteger().value());
  EXPECT_EQ(integers, (std::vector<std::int64_t>{1, -1, 0, 1000, 16777217, 1ll << 53, 0, 16}));
  EXPECT_EQ(numbers.NextNumber(), 2.5f);
  EXPECT_FALSE(numbers.NextNumber());
  EXPECT_FALSE(numbers.NextInteger());

  // Reading within a section stops before a lone "}", which Next() then takes, and not at a
  // word that only starts with one; a word that is not a number reads 0.
  format::ClipboardWords section("1 2 }x 3.5\n}\t4");
  float values[8] = {9, 9, 9, 9, 9, 9, 9, 9};
  EXPECT_EQ(section.NumbersBefore('}', values, 8), 4u);
  EXPECT_THAT(std::vector<float>(values, values + 5), ElementsAre(1, 2, 0, 3.5f, 9));
  EXPECT_EQ(section.Next(), "}");
  std::int64_t corners[3] = {};
  EXPECT_EQ(section.IntegersBefore('}', corners, 3), 1u);
  EXPECT_EQ(corners[0], 4);

  // A text edited by hand, with blanks doubled, leading and trailing, pastes as Copy's own.
  std::string spaced;
  for (char c : std::string(kTwoVertices)) {
    spaced += c == ' ' ? std::string("  ") : c == '\n' ? std::string(" \r\n\t") : std::string(1, c);
  }
  const std::optional<format::PastedGeometry> pasted = format::ReadGeometryClipboardText(spaced);
  ASSERT_TRUE(pasted);
  ASSERT_EQ(pasted->vertices.size(), 2u);
  EXPECT_EQ(pasted->vertices[0].position, (Vector3{1, 2, 3}));
  EXPECT_EQ(pasted->vertices[1].position, (Vector3{0, 0, 0}));
  EXPECT_EQ(pasted->vertices[1].normal, (Vector3{0, 0, 1}));
  EXPECT_EQ(pasted->vertices[1].v, 0.5f);
  clipboard.SetText(spaced);
  EXPECT_EQ(command::PasteClipboard(model, clipboard), command::Refresh::Mesh);
  MemoryClipboard copied;
  ASSERT_TRUE(command::CopySelection(model, PanelList::Vertex, copied));
  EXPECT_EQ(copied.Text(), kTwoVertices);
  EXPECT_EQ(format::KindOfClipboardText(" \n VERTICES"), format::ClipboardKind::Geometry);
  EXPECT_EQ(format::KindOfClipboardText("KEYBONE\r\n1"), format::ClipboardKind::KeyBone);
  EXPECT_EQ(format::KindOfClipboardText("VERTICESX"), format::ClipboardKind::None);
}

TEST_F(ClipboardTest, BadGeometryTextsPasteOnlyWhatTheyHold) {
  edit::JournalAddVertex(model, {7, 7, 7}, {}, 0, 0);  // an edit Undo must still find
  // A layout word of another kind: nothing, and no undo step.
  clipboard.SetText("VERTICES { POSITION_NORMAL 1\n1 2 3 4 5 6 7 8\n}\n");
  EXPECT_EQ(command::PasteClipboard(model, clipboard), command::Refresh::None);
  EXPECT_EQ(model.vertices.count(), 1u);

  // A face count far beyond the text: what is there is read, and no room is kept for the rest;
  // faces on positions outside the paste are left out, a garbage number reads 0, 1.7 reads 1.
  const std::string text =
      "VERTICES { POSITION_NORMAL_TEXCOORDS 3\n"
      "1 2 3 4 5 6 7 8\n0 0 0 0 0 0 0 0\nx 1 1 1 1 1 1 1\n}\n"
      "TRIANGLES { 1e12\n0 1 2\n0 1 3\n-1 0 1\n2 1.7 0\n0 1";
  const std::optional<format::PastedGeometry> read = format::ReadGeometryClipboardText(text);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->vertices.size(), 3u);
  EXPECT_EQ(read->vertices[2].position.x, 0.0f);
  EXPECT_EQ(read->vertices[2].v, 1.0f);
  EXPECT_EQ(read->faces, (std::vector<std::array<std::uint32_t, 3>>{{0, 1, 2}, {2, 1, 0}}));
  EXPECT_LE(read->faces.capacity(), text.size() / 6);
  // Counts beyond the entries stop at their section's end: the words after it are no numbers.
  const std::string many =
      "VERTICES { POSITION_NORMAL_TEXCOORDS 2e9\n1 2 3 4 5 6 7 8\n1 1 1 1\n}\n"
      "TRIANGLES { 3\n0 0 0\n0 0\n}\nVERTICES { POSITION_NORMAL_TEXCOORDS 1\n1 2 3 4 5 6 7 8\n}\n";
  const std::optional<format::PastedGeometry> big = format::ReadGeometryClipboardText(many);
  ASSERT_TRUE(big);
  EXPECT_EQ(big->vertices.size(), 1u);
  EXPECT_EQ(big->faces, (std::vector<std::array<std::uint32_t, 3>>{{0, 0, 0}}));
  EXPECT_LE(big->vertices.capacity(), many.size() / 16);
  const std::optional<format::PastedGeometry> over = format::ReadGeometryClipboardText(
      "VERTICES { POSITION_NORMAL_TEXCOORDS 3\n1 2 3 4 5 6 7 8\n0 0 0 0 0 0 0 0\n}\n"
      "TRIANGLES { 1\n0 1 1\n}\n");
  ASSERT_TRUE(over);
  EXPECT_EQ(over->vertices.size(), 2u);
  EXPECT_EQ(over->faces, (std::vector<std::array<std::uint32_t, 3>>{{0, 1, 1}}));
  const std::optional<format::PastedGeometry> cut =
      format::ReadGeometryClipboardText("VERTICES { POSITION_NORMAL_TEXCOORDS 5\n1 2 3 4 5 6 7");
  ASSERT_TRUE(cut);
  EXPECT_TRUE(cut->vertices.empty());
  EXPECT_EQ(command::PasteClipboard(model, MemoryClipboard()), command::Refresh::None);

  clipboard.SetText(text);
  command::PasteClipboard(model, clipboard);
  EXPECT_EQ(model.vertices.count(), 4u);
  EXPECT_EQ(model.faces.count(), 2u);
  edit::Undo(model);
  EXPECT_EQ(model.vertices.count(), 1u);
  edit::Undo(model);
  EXPECT_EQ(model.vertices.count(), 0u);
}

TEST_F(ClipboardTest, CutRemovesWhatTheActiveListCopied) {
  AddSkeleton();
  model.currentKey = 1;
  const std::string before = testing::DumpModel(model);
  const Animation walk = model.animation(0);
  // The key list: Copy then Cut both copy, and nothing changes.
  ASSERT_TRUE(command::CopySelection(model, PanelList::Key, clipboard));
  EXPECT_EQ(Clip(), "ANIMKEY 1\n");
  EXPECT_EQ(command::CutSelection(model, PanelList::Key, clipboard), command::Refresh::None);
  EXPECT_EQ(Clip(), "ANIMKEY 1\n");
  EXPECT_EQ(testing::DumpModel(model), before);
  EXPECT_EQ(model.animationCount, 2u);
  EXPECT_EQ(model.animation(0).keys[1].keyBoneCount, walk.keys[1].keyBoneCount);

  // A missing current item copies nothing, so Cut removes nothing either.
  model.currentKeyBone = -1;
  EXPECT_EQ(command::CutSelection(model, PanelList::KeyBone, clipboard), command::Refresh::None);
  model.currentKeyBone = 5;
  EXPECT_EQ(command::CutSelection(model, PanelList::KeyBone, clipboard), command::Refresh::None);
  EXPECT_EQ(Clip(), "ANIMKEY 1\n");
  EXPECT_EQ(model.animation(0).keys[1].keyBoneCount, 2u);

  model.currentKeyBone = 1;
  EXPECT_EQ(command::CutSelection(model, PanelList::KeyBone, clipboard),
            command::Refresh::Skeleton);
  EXPECT_EQ(Clip(),
            "KEYBONE 1.000000 0.000000 0.000000 0.000000 0.000000 1.000000 0.000000 0.000000 "
            "0.000000 0.000000 1.000000 0.000000 11.000000 0.000000 0.000000 1.000000\n");
  EXPECT_EQ(model.animation(0).keys[1].keyBoneCount, 1u);
  EXPECT_EQ(model.animation(0).keys[0].keyBoneCount, 2u);

  model.currentAnimation = 1;
  EXPECT_EQ(command::CutSelection(model, PanelList::Animation, clipboard),
            command::Refresh::Skeleton);
  EXPECT_EQ(Clip(), "ANIMATION 1\n");
  EXPECT_EQ(model.animationCount, 1u);
  model.currentBone = 1;
  EXPECT_EQ(command::CutSelection(model, PanelList::Bone, clipboard), command::Refresh::Skeleton);
  EXPECT_EQ(Clip(), "BONE 1\n");
  EXPECT_EQ(model.boneCount, 1u);

  // The geometry lists: the selected vertices with their faces, or the selected faces only.
  Vertex* v[4];
  for (int i = 0; i < 4; ++i) v[i] = AddVertex(model, {static_cast<float>(i), 0, 0});
  model.MakeFace(v[0], v[1], v[2]);
  model.MakeFace(v[1], v[2], v[3]);
  model.vertices.Select(v[0]);
  model.vertices.Select(v[1]);
  EXPECT_EQ(command::CutSelection(model, PanelList::Face, clipboard), command::Refresh::Mesh);
  EXPECT_EQ(model.faces.count(), 0u);
  EXPECT_EQ(model.vertices.count(), 4u);
  edit::Undo(model);
  EXPECT_EQ(model.faces.count(), 2u);
  EXPECT_EQ(command::CutSelection(model, PanelList::Vertex, clipboard), command::Refresh::Mesh);
  EXPECT_EQ(Ids(model.vertices), (std::vector<std::uint32_t>{2, 3}));
  EXPECT_EQ(model.faces.count(), 0u);
  EXPECT_EQ(command::CutSelection(model, PanelList::Vertex, clipboard), command::Refresh::None);
  edit::Undo(model);
  EXPECT_EQ(model.vertices.count(), 4u);
  EXPECT_EQ(model.faces.count(), 2u);
}

TEST_F(ClipboardTest, ItemPastesAskFirstAndFollowOnlyIndicesOfTheModel) {
  AddSkeleton();
  using Event = ScriptedHost::Event;
  auto asked = [&] {
    std::vector<std::string> texts;
    for (const Event& e : host.events()) {
      EXPECT_EQ(e.kind, Event::Kind::Question);
      EXPECT_EQ(e.title, "Confirm copy.");
      texts.push_back(e.text);
    }
    host.ClearEvents();
    return texts;
  };

  // No current animation: nothing is asked.
  model.currentAnimation = -1;
  clipboard.SetText("ANIMATION 1\n");
  EXPECT_EQ(command::PasteClipboard(model, clipboard), command::Refresh::None);
  EXPECT_TRUE(host.events().empty());
  model.currentAnimation = 0;
  EXPECT_EQ(command::PasteClipboard(model, clipboard), command::Refresh::None);  // answered No
  EXPECT_EQ(model.animation(0).keyCount, 3u);
  EXPECT_EQ(asked(), Words{"Are you sure you want to copy over this animation? (No undo.)"});
  host.QueueYes(true);
  EXPECT_EQ(command::PasteClipboard(model, clipboard), command::Refresh::Skeleton);
  asked();
  const Animation& walk = model.animation(0);
  EXPECT_EQ(walk.name, "walk");
  EXPECT_EQ(walk.keyCount, 2u);
  EXPECT_EQ(walk.totalTime, 2.0f);
  EXPECT_EQ(walk.keys[1].time, 2.0f);
  EXPECT_EQ(walk.keys[1].keyBones[1].matrix[12], 111.0f);
  EXPECT_EQ(walk.keys[1].keyBones[1].boneName, "arm");

  // Indices that are negative, not below the count or missing are not followed.
  for (const char* text : {"ANIMATION -1", "ANIMATION 2", "ANIMATION", "ANIMATION 1e10",
                           "ANIMKEY 2", "BONE 2", "BONE -3"}) {
    const std::string dump = testing::DumpModel(model);
    model.animation(0).keys[0].keyBones[0].matrix[12] = 77.0f;
    model.bones[0].localMatrix[12] = 77.0f;
    host.QueueYes(true);
    clipboard.SetText(text);
    command::PasteClipboard(model, clipboard);
    EXPECT_EQ(model.animation(0).keys[0].keyBones[0].matrix[12], 77.0f) << text;
    EXPECT_EQ(model.bones[0].localMatrix[12], 77.0f) << text;
    EXPECT_EQ(model.animation(0).keyCount, 2u) << text;
    EXPECT_EQ(testing::DumpModel(model), dump);
  }
  host.ClearEvents();

  // A key: the key bones of key 1 (1.9 cut toward zero) onto key 0, whose time stays.
  model.currentAnimation = 1;
  model.animation(1).keys[0].keyBoneCount = 1;
  host.QueueYes(true);
  clipboard.SetText("ANIMKEY 1.9\n");
  EXPECT_EQ(command::PasteClipboard(model, clipboard), command::Refresh::Skeleton);
  EXPECT_EQ(asked(), Words{"Are you sure you want to copy over this animation key? (No undo.)"});
  EXPECT_EQ(model.animation(1).keys[0].keyBoneCount, 2u);
  EXPECT_EQ(model.animation(1).keys[0].keyBones[1].matrix[12], 111.0f);
  EXPECT_EQ(model.animation(1).keys[0].time, 0.0f);

  // A key bone matrix: through the journal, so Undo takes it back; numbers the text lacks keep
  // the identity's.
  model.currentKeyBone = 1;
  const Matrix4 old = model.animation(1).keys[0].keyBones[1].matrix;
  host.QueueYes(true);
  clipboard.SetText("KEYBONE 2 abc 3");
  EXPECT_EQ(command::PasteClipboard(model, clipboard), command::Refresh::Skeleton);
  EXPECT_EQ(asked(), Words{"Are you sure you want to copy over this key bone matrix? (No undo.)"});
  Matrix4 expected = Matrix4::Identity();
  expected[0] = 2.0f;
  expected[1] = 0.0f;
  expected[2] = 3.0f;
  EXPECT_EQ(model.animation(1).keys[0].keyBones[1].matrix, expected);
  edit::Undo(model);
  EXPECT_EQ(model.animation(1).keys[0].keyBones[1].matrix, old);
  // Copied and pasted back onto another key bone, a matrix arrives unchanged.
  model.animation(1).keys[0].keyBones[1].matrix[13] = -2.25f;
  ASSERT_TRUE(command::CopySelection(model, PanelList::KeyBone, clipboard));
  model.currentKeyBone = 0;
  host.QueueYes(true);
  command::PasteClipboard(model, clipboard);
  asked();
  EXPECT_EQ(model.animation(1).keys[0].keyBones[0].matrix,
            model.animation(1).keys[0].keyBones[1].matrix);

  // A bone: its four matrices onto the current bone, which keeps its name and parent.
  ASSERT_TRUE(command::CopySelection(model, PanelList::Bone, clipboard));
  EXPECT_EQ(Clip(), "BONE 0\n");
  model.currentBone = 1;
  clipboard.SetText("BONE 0\n");
  host.QueueYes(true);
  EXPECT_EQ(command::PasteClipboard(model, clipboard), command::Refresh::Skeleton);
  EXPECT_EQ(asked(), Words{"Are you sure you want to copy over this bone matrix? (No undo.)"});
  EXPECT_EQ(model.bones[1].localMatrix, model.bones[0].localMatrix);
  EXPECT_EQ(model.bones[1].poseMatrix, model.bones[0].poseMatrix);
  EXPECT_EQ(model.bones[1].frameMatrix, model.bones[0].frameMatrix);
  EXPECT_EQ(model.bones[1].bindMatrix, model.bones[0].bindMatrix);
  EXPECT_EQ(model.bones[1].name, "arm");
  EXPECT_EQ(model.bones[1].parent, 0);

  // Other first words, and no clipboard at all, do nothing.
  clipboard.SetText("BONES 0\n");
  EXPECT_EQ(command::PasteClipboard(model, clipboard), command::Refresh::None);
  command::CommandContext context(model);
  EXPECT_EQ(command::PasteCommand(context), command::Refresh::None);
  EXPECT_TRUE(host.events().empty());
}

// ---- scripts

using ClipboardScripts = testing::BatchScriptTest;

// What follows `header` in the text, up to the end of its block ("\t}\n").
std::string Block(const std::string& text, const std::string& header) {
  const std::size_t at = text.find(header);
  if (at == std::string::npos) return "(no " + header + ")";
  const std::size_t from = at + header.size();
  return text.substr(from, text.find("\t}\n", from) - from);
}

// The MATRIX line of the named bone in a saved model.
std::string MatrixLine(const std::string& text, const std::string& bone) {
  const std::size_t at = text.find("MATRIX", text.find("NAME " + bone + "\n"));
  if (at == std::string::npos) return "(no " + bone + ")";
  return text.substr(at, text.find('\n', at) - at);
}

TEST_F(ClipboardScripts, GeometryTravelsThroughAFileIntoAnotherModel) {
  ASSERT_EQ(Run("add-triad\nsave @/triad.zmf\nselect-all\npick 524 0\ncopy\n"
                "clipboard-save @/mesh.txt\nnew\nclipboard-load @/mesh.txt\npaste\n"
                "save @/pasted.zmf\npick 520 3\ncut\n"),
            0)
      << printed;
  EXPECT_EQ(Saved("pasted.zmf"), Saved("triad.zmf"));
  const std::string text = Saved("mesh.txt");
  EXPECT_THAT(text, ::testing::StartsWith("VERTICES { POSITION_NORMAL_TEXCOORDS 4\n"));
  EXPECT_THAT(text, ::testing::EndsWith("}\nTRIANGLES { 4\n0 1 2\n0 3 1\n0 2 3\n1 3 2\n}\n"));
  // Cut from the vertex list took the vertices and their faces; Paste brings the vertices back.
  EXPECT_EQ(model.vertices.count(), 0u);
  ASSERT_EQ(Run("paste\n"), 0) << printed;
  EXPECT_EQ(model.vertices.count(), 4u);
  EXPECT_EQ(model.faces.count(), 0u);
}

TEST_F(ClipboardScripts, ItemsTravelWithinTheModel) {
  testing::WriteFile(folder.File("item.txt"), "KEYBONE 1 0 0 0 0 1 0 0 0 0 1 0 4 5 6 1\n");
  ASSERT_EQ(Run("add-triad\nadd-bone hips 0 0 0\nadd-bone arm 0 1 0\n"
                "answer walk 2 1.0\nadd-animation\nanswer run 3 3.0\nadd-animation\n"
                "deselect-all\npick 500 0\npick 553 0\nadd-key-bone\npick 554 1\n"
                "clipboard-load @/item.txt\nanswer yes\npaste\nsave @/posed.zmf\n"
                "copy\nclipboard-save @/keybone.txt\n"
                "pick 553 0\ncopy\nclipboard-save @/key.txt\npick 553 1\nanswer yes\npaste\n"
                "pick 500 0\ncopy\npick 500 1\nanswer yes\npaste\nsave @/copied.zmf\n"
                "pick 501 1\ncopy\nclipboard-save @/bone.txt\n"
                "pick 501 0\nanswer yes\npaste\nsave @/bones.zmf\n"),
            0)
      << printed;
  EXPECT_EQ(Saved("keybone.txt"),
            "KEYBONE 1.000000 0.000000 0.000000 0.000000 0.000000 1.000000 0.000000 0.000000 "
            "0.000000 0.000000 1.000000 0.000000 4.000000 5.000000 6.000000 1.000000\n");
  EXPECT_EQ(Saved("key.txt"), "ANIMKEY 0\n");
  EXPECT_EQ(Saved("bone.txt"), "BONE 1\n");
  // The pasted matrix in key 0 of walk; then key 0's key bones in key 1 too; then both keys of
  // walk in run, which kept its name and took walk's total time.
  auto posedArms = [](const std::string& text) {
    std::size_t count = 0;
    for (std::size_t at = text.find("4.000000 5.000000 6.000000 1.000000"); at != std::string::npos;
         at = text.find("4.000000 5.000000 6.000000 1.000000", at + 1)) {
      ++count;
    }
    return count;
  };
  EXPECT_EQ(posedArms(Saved("posed.zmf")), 1u);
  const std::string copied = Saved("copied.zmf");
  EXPECT_EQ(posedArms(copied), 4u);
  EXPECT_EQ(Block(copied, "\t\trun "), Block(copied, "\t\twalk "));
  EXPECT_THAT(Block(copied, "\t\trun "), ::testing::StartsWith("1.000000 2\n"));
  // The hips took the arm's matrices.
  const std::string bones = Saved("bones.zmf");
  EXPECT_EQ(MatrixLine(bones, "hips"), MatrixLine(bones, "arm"));
  EXPECT_THAT(MatrixLine(bones, "hips"),
              ::testing::EndsWith(" 0.000000 -1.000000 0.000000 1.000000 "));
}

TEST_F(ClipboardScripts, FilesThatCannotBeReadOrWrittenFailTheScript) {
  EXPECT_EQ(Run("copy\ncut\npaste\n"), 0) << printed;  // nothing active, nothing on the clipboard
  EXPECT_EQ(Run("clipboard-save @/none.txt\n"), 1);
  EXPECT_THAT(printed, ::testing::HasSubstr("the clipboard holds no text"));
  EXPECT_EQ(Run("clipboard-load @/missing.txt\n"), 1);
  EXPECT_EQ(Run("pick 520 0\n"), 1);  // no vertex selected: no such row
}

}  // namespace
}  // namespace zmf
