// The record table: every layout reads back the same from either end, variable fields of every
// size included, and renumbering rewrites only the words that hold ids.
#include "edit/journal_records.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace zmf::testing {
namespace {

edit::TextureSettings Texture(bool enabled, std::string file, std::uint32_t mode, float value) {
  return {enabled, std::move(file), mode, value};
}

TEST(JournalRecords, EveryRecordMeasuresAndDecodesTheSameFromEitherEnd) {
  UndoJournal journal;
  Matrix4 m;
  for (int i = 0; i < 16; ++i) m[i] = static_cast<float>(i) + 0.5f;
  const edit::MaterialColours colours{
      {1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}, 17};

  // Each writer, with its expected length.
  std::vector<std::pair<std::uint64_t, std::uint64_t>> spans;  // start, length
  auto write = [&](std::uint64_t length, auto&& writeRecord) {
    const std::uint64_t start = journal.position();
    writeRecord();
    spans.emplace_back(start, length);
    EXPECT_EQ(journal.position() - start, length) << "record " << spans.size();
  };
  write(11, [&] {
    edit::WriteRecord<edit::kAddVertex>(journal, 7u, Vector3{1, 2, 3}, Vector3{0, 0, 1}, .25f, .5f);
  });
  write(19, [&] {
    edit::WriteRecord<edit::kSetVertex>(journal, 7u, Vector3{1, 2, 3}, Vector3{}, 1.f, 2.f,
                                        Vector3{4, 5, 6}, Vector3{}, 3.f, 4.f);
  });
  write(9, [&] {
    edit::WriteRecord<edit::kSetFaceVertices>(journal, 3u, std::array<std::uint32_t, 3>{1, 2, 3},
                                              std::array<std::uint32_t, 3>{4, 5, 6});
  });
  write(4 + 0, [&] { edit::WriteRecord<edit::kAddMaterial>(journal, std::string_view()); });
  write(4 + 5, [&] { edit::WriteRecord<edit::kAddMaterial>(journal, std::string_view("metal")); });
  // A texture switched off keeps its path and alpha settings in the records.
  write(28 + 2 + 11, [&] {
    edit::WriteRecord<edit::kDeleteMaterial>(journal, 1u, std::string_view("ab"), colours,
                                             Texture(false, "stored.bmp1", 3, 1));
  });
  write(28 + 2 + 7, [&] {
    edit::WriteRecord<edit::kDeleteMaterial>(journal, 1u, std::string_view("ab"), colours,
                                             Texture(true, "tex.bmp", 7, .5f));
  });
  write(15 + 5, [&] {
    edit::WriteRecord<edit::kSetMaterialTexture>(journal, 2u, Texture(false, "", 0, 0),
                                                 Texture(false, "x.bmp", 1, 0));
  });
  write(15 + 1, [&] {
    edit::WriteRecord<edit::kSetMaterialTexture>(journal, 2u, Texture(true, "a", 5, .25f),
                                                 Texture(false, "", 0, 0));
  });
  write(15, [&] {
    edit::WriteRecord<edit::kSetMaterialTexture>(journal, 2u, Texture(false, "", 0, 0),
                                                 Texture(true, "", 2, 0));
  });
  write(22 + 4,
        [&] { edit::WriteRecord<edit::kAddBone>(journal, std::string_view("root"), -1, m, 2.5f); });
  write(39, [&] {
    edit::WriteRecord<edit::kSetBone>(journal, 0u, -1, m, 1.f, 0, Matrix4::Identity(), 2.f);
  });
  write(37, [&] {
    edit::WriteRecord<edit::kSetKeyBoneMatrix>(journal, 1u, 2u, 3u, m, Matrix4::Identity());
  });
  write(1, [&] { edit::WriteLoneWord(journal, edit::kGroupMarker); });
  write(6, [&] { edit::WriteRecord<edit::kAddPlainVertex>(journal, 8u, Vector3{1, 2, 3}); });

  for (auto [start, length] : spans) {
    SCOPED_TRACE("record at " + std::to_string(start));
    EXPECT_EQ(edit::RecordLength(journal, start), length);
    std::uint64_t found = 0;
    ASSERT_TRUE(edit::RecordStart(journal, start + length, found));
    EXPECT_EQ(found, start);
  }

  // Decoding gives back what was written, variable fields and all.
  edit::JournalRecord r;
  ASSERT_TRUE(edit::DecodeRecord(journal, spans[5].first, spans[5].first + spans[5].second, r));
  EXPECT_FALSE(r.texture.enabled);
  EXPECT_EQ(r.texture.file, "stored.bmp1");
  EXPECT_EQ(r.texture.alphaMode, 3u);
  EXPECT_EQ(r.texture.alphaValue, 1.0f);
  ASSERT_TRUE(edit::DecodeRecord(journal, spans[6].first, spans[6].first + spans[6].second, r));
  EXPECT_EQ(r.name, "ab");
  EXPECT_EQ(r.colours.specular[3], 16.0f);
  EXPECT_EQ(r.colours.shininess, 17u);
  EXPECT_TRUE(r.texture.enabled);
  EXPECT_EQ(r.texture.file, "tex.bmp");
  EXPECT_EQ(r.texture.alphaMode, 7u);
  EXPECT_EQ(r.texture.alphaValue, .5f);
  ASSERT_TRUE(edit::DecodeRecord(journal, spans[8].first, spans[8].first + spans[8].second, r));
  EXPECT_EQ(r.texture.file, "a");
  EXPECT_FALSE(r.oldTexture.enabled);
  ASSERT_TRUE(edit::DecodeRecord(journal, spans[7].first, spans[7].first + spans[7].second, r));
  EXPECT_EQ(r.oldTexture.file, "x.bmp");
  EXPECT_EQ(r.oldTexture.alphaMode, 1u);
  // The flag must be the same at both ends of the texture settings.
  journal.Overwrite(spans[7].first + spans[7].second - 2, JournalWord::Uint(1));
  EXPECT_FALSE(edit::DecodeRecord(journal, spans[7].first, spans[7].first + spans[7].second, r));
  journal.Overwrite(spans[7].first + spans[7].second - 2, JournalWord::Uint(0));
  ASSERT_TRUE(edit::DecodeRecord(journal, spans[11].first, spans[11].first + spans[11].second, r));
  EXPECT_EQ(r.matrix, m);
  EXPECT_EQ(r.oldMatrix, Matrix4::Identity());
  EXPECT_EQ(r.oldGrams, 2.0f);
  // One word short is not a record.
  EXPECT_FALSE(edit::DecodeRecord(journal, spans[11].first, spans[11].first + 38, r));
  EXPECT_FALSE(edit::DecodeRecord(journal, spans[13].first, spans[13].first + 1, r));
}

TEST(JournalRecords, RemappingRewritesOnlyTheIdWords) {
  UndoJournal journal;
  edit::WriteRecord<edit::kAddFace>(journal, 5u, std::array<std::uint32_t, 3>{1, 2, 3});
  edit::WriteRecord<edit::kSetFaceMaterial>(journal, 5u, 2u, 1u);
  edit::WriteRecord<edit::kAddVertexWeight>(journal, 4u, 3u);
  edit::WriteRecord<edit::kAddMaterial>(journal, std::string_view("id"));
  auto words = [&] {
    std::vector<std::uint32_t> all;
    for (std::uint64_t p = 0; p < journal.end(); ++p) all.push_back(journal.At(p).AsUint());
    return all;
  };
  // The face id and its corner ids change; the face materials, the weight's bone and every word
  // of the material record (a name's length and characters) stay.
  std::vector<std::uint32_t> expected = words();
  expected[1] = 1005;  // add face: face id
  expected[2] = 101;   // corners
  expected[3] = 102;
  expected[4] = 103;
  expected[7] = 1005;  // set face material: face id
  expected[13] = 103;  // add weight: vertex id after the bone
  edit::RemapJournalIds(
      journal, [](std::uint32_t id) { return id + 100; },
      [](std::uint32_t id) { return id + 1000; });
  EXPECT_EQ(words(), expected);
}

edit::BoneDeletionSnapshot Snapshot() {
  edit::BoneDeletionSnapshot s;
  s.bone = 1;
  s.rootBone = 0;
  s.bones.resize(3);
  s.bones[0].name = "root";
  s.bones[0].parentName = "NONE";
  s.bones[0].firstChild = 1;
  s.bones[0].weights = {{7, 0.5f}, {8, 1.0f}};
  s.bones[1].name = "a-rather-long-bone-name-of-31-c";
  s.bones[1].parentName = "root";
  s.bones[1].parent = 0;
  s.bones[1].nextSibling = 2;
  s.bones[1].localMatrix[13] = 2.5f;
  s.bones[1].poseMatrix[0] = -1.0f;
  s.bones[1].grams = 3.0f;
  s.bones[1].weights = {{7, 0.5f}};
  s.bones[2].parentName = "root";  // an empty name: its words are the two lengths
  s.bones[2].parent = 0;
  s.keyBones.push_back({0, 2, 5, Matrix4::Identity(), "a"});
  s.keyBones.push_back({3, 0, 0, Matrix4{}, ""});
  return s;
}

TEST(JournalRecords, ABoneDeletionMeasuresAndDecodesFromEitherEndAndItsWeightIdsAreRemapped) {
  UndoJournal journal;
  const edit::BoneDeletionSnapshot s = Snapshot();
  edit::WriteRecord<edit::kAddVertexWeight>(journal, 1u, 7u);
  const std::uint64_t start = journal.position();
  edit::WriteRecord<edit::kDeleteBone>(journal, s);
  const std::uint64_t end = journal.position();
  // Codes, index, length twice, 2 + 1 counts, per bone 41 words plus its names and two words
  // per weight, per key bone 21 words plus its name.
  const std::uint64_t words = 2 + 4 + 3 + (41 + 8 + 4) + (41 + 31 + 4 + 2) + (41 + 4) + 22 + 21;
  EXPECT_EQ(end - start, words);
  EXPECT_EQ(s.RecordWords(), words);
  EXPECT_EQ(edit::RecordLength(journal, start), words);
  std::uint64_t found = 0;
  ASSERT_TRUE(edit::RecordStart(journal, end, found));
  EXPECT_EQ(found, start);
  edit::JournalRecord r;
  ASSERT_TRUE(edit::DecodeRecord(journal, start, end, r));
  EXPECT_EQ(r.code, edit::kDeleteBone);
  EXPECT_EQ(r.deletion, s);
  EXPECT_FALSE(edit::DecodeRecord(journal, start, end - 1, r));

  // The two lone words of a deletion too big to record are no record, read either way, and
  // leave the records around them whole.
  edit::WriteLoneWord(journal, edit::kDeleteBone);
  edit::WriteLoneWord(journal, edit::kDeleteBone);
  edit::WriteRecord<edit::kAddVertexWeight>(journal, 1u, 8u);
  EXPECT_EQ(edit::RecordLength(journal, end), 1u);
  EXPECT_EQ(edit::RecordLength(journal, end + 1), 1u);
  EXPECT_FALSE(edit::RecordStart(journal, end + 2, found));
  EXPECT_FALSE(edit::RecordStart(journal, end + 1, found));
  ASSERT_TRUE(edit::RecordStart(journal, journal.end(), found));
  EXPECT_EQ(found, end + 2);

  edit::RemapJournalIds(
      journal, [](std::uint32_t id) { return id + 100; },
      [](std::uint32_t id) { return id + 1000; });
  edit::BoneDeletionSnapshot remapped = s;
  for (auto& bone : remapped.bones) {
    for (auto& weight : bone.weights) weight.first += 100;
  }
  ASSERT_TRUE(edit::DecodeRecord(journal, start, end, r));
  EXPECT_EQ(r.deletion, remapped);
  ASSERT_TRUE(edit::DecodeRecord(journal, 0, 4, r));
  EXPECT_EQ(r.id, 107u);
  ASSERT_TRUE(edit::DecodeRecord(journal, end + 2, end + 6, r));
  EXPECT_EQ(r.id, 108u);

  // A trailing index that differs from the leading one is not a record.
  journal.Overwrite(end - 2, JournalWord::Uint(2));
  EXPECT_FALSE(edit::DecodeRecord(journal, start, end, r));
}

TEST(JournalRecords, AnimationDeletionsKeyBoneDeletionsAndTransformsReadFromEitherEnd) {
  UndoJournal journal;
  Matrix4 m;
  m[13] = 2.5f;
  const edit::AnimationDeletionSnapshot animation{
      3,
      3,
      -1,
      7,
      "walk",
      1.5f,
      {{0.0f, {{1, m, "hips"}, {kUnboundKeyBone, Matrix4{}, ""}}}, {1.5f, {}}}};
  edit::ModelTransformSnapshot transform{2,
                                         {1, -2, 0.5f},
                                         {{7, {1, 2, 3}, {0, 0, 1}}, {9, {-1, 0, 0}, {0, 1, 0}}},
                                         {{0, m}},
                                         {{1, 2, 3, m}}};

  std::vector<std::pair<std::uint64_t, std::uint64_t>> spans;  // start, length
  auto write = [&](std::uint64_t length, auto&& writeRecord) {
    const std::uint64_t start = journal.position();
    writeRecord();
    spans.emplace_back(start, length);
    EXPECT_EQ(journal.position() - start, length) << "record " << spans.size();
  };
  // Codes, lead and length twice; current indices, name, time, key count; per key its time and
  // count, per key bone 17 words and its name.
  write(6 + 3 + 6 + 1 + 1 + (2 + 17 + 6 + 17 + 2) + 2,
        [&] { edit::WriteRecord<edit::kDeleteAnimation>(journal, animation); });
  write(2 + 4 + 16 + (2 + 3) + 3, [&] {
    edit::WriteRecord<edit::kDeleteKeyBone>(journal, 1u, 2u, 3u, 4u, m, std::string_view("arm"), 1,
                                            2, -1);
  });
  // Codes, lead and length twice, the values, three counts, 7 words a vertex, 17 a bone, 19 a
  // key bone.
  write(6 + 3 + 3 + 14 + 17 + 19,
        [&] { edit::WriteRecord<edit::kTransformModel>(journal, transform); });
  EXPECT_EQ(animation.RecordWords(), spans[0].second);
  EXPECT_EQ(transform.RecordWords(), spans[2].second);
  for (auto [start, length] : spans) {
    EXPECT_EQ(edit::RecordLength(journal, start), length);
    std::uint64_t found = 0;
    ASSERT_TRUE(edit::RecordStart(journal, start + length, found));
    EXPECT_EQ(found, start);
  }
  edit::JournalRecord r;
  ASSERT_TRUE(edit::DecodeRecord(journal, spans[0].first, spans[1].first, r));
  EXPECT_EQ(r.animationDeletion, animation);
  ASSERT_TRUE(edit::DecodeRecord(journal, spans[1].first, spans[2].first, r));
  EXPECT_EQ(std::tuple(r.index, r.key, r.keyBone, r.bone, r.matrix, r.name),
            std::tuple(1u, 2u, 3u, 4u, m, std::string("arm")));
  EXPECT_EQ(std::tuple(r.currentAnimation, r.currentKey, r.currentKeyBone), std::tuple(1, 2, -1));

  // Renumbering rewrites the transform's vertex ids and nothing else.
  edit::WriteLoneWord(journal, edit::kTransformModel);
  edit::WriteLoneWord(journal, edit::kTransformModel);
  const std::uint64_t lone = spans[2].first + spans[2].second;
  EXPECT_EQ(edit::RecordLength(journal, lone), 1u);
  std::uint64_t found = 0;
  EXPECT_FALSE(edit::RecordStart(journal, lone + 2, found));
  edit::RemapJournalIds(
      journal, [](std::uint32_t id) { return id + 100; },
      [](std::uint32_t id) { return id + 1000; });
  ASSERT_TRUE(edit::DecodeRecord(journal, spans[0].first, spans[1].first, r));
  EXPECT_EQ(r.animationDeletion, animation);
  ASSERT_TRUE(edit::DecodeRecord(journal, spans[2].first, lone, r));
  transform.vertices[0].id = 107;
  transform.vertices[1].id = 109;
  EXPECT_EQ(r.transform, transform);
  // Only the three transforms lead such a record.
  journal.Overwrite(spans[2].first + 1, JournalWord::Uint(3));
  EXPECT_EQ(edit::RecordLength(journal, spans[2].first), 1u);
}

TEST(JournalRecords, WrittenRecordsDropTheOldestWholeWhenTheRingIsFull) {
  UndoJournal journal(64);
  for (int i = 0; i < 6; ++i) {
    edit::WriteRecord<edit::kAddVertex>(journal, static_cast<std::uint32_t>(i), Vector3{},
                                        Vector3{}, 0.f, 0.f);
  }
  // 66 words in a ring of 64: the first record went whole, the second starts the intact part.
  EXPECT_EQ(journal.oldest(), 11u);
  std::uint64_t start = 0;
  EXPECT_TRUE(edit::RecordStart(journal, journal.end(), start));
  EXPECT_EQ(start, 55u);
  EXPECT_FALSE(edit::RecordStart(journal, 11, start));
}

}  // namespace
}  // namespace zmf::testing
