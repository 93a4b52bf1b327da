// Faces read onto a fresh VERTICES table have their corner chains threaded in one pass after the
// section; later FACES sections on the same table add faces one by one. Either way the loaded
// model must be the one built face by face with AddFace: the same chains in the same order, the
// same saved text and the same history under undo and redo.
#include <array>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "edit/journal.h"
#include "edit/undo_redo.h"
#include "file_fixture.h"
#include "format/zmf_reader.h"
#include "format/zmf_writer.h"
#include "model_fixture.h"
#include "zmf_models.h"

namespace zmf::testing {
namespace {

// Each vertex's corner chain as "face position.corner" in chain order (flagging a use whose
// face does not have the vertex at that corner and a lastCorner that is not the chain's end),
// then each material chain as face positions.
std::string Chains(const Model& m) {
  std::unordered_map<const Face*, std::size_t> position;
  for (const Face* f : m.faces) position.emplace(f, position.size());
  auto name = [&](CornerRef use) {
    const auto at = position.find(use.face());
    return (at != position.end() ? std::to_string(at->second) : "gone") + "." +
           std::to_string(use.corner());
  };
  std::string out;
  std::size_t index = 0;
  for (const Vertex* v : m.vertices) {
    out += "v" + std::to_string(index++) + ":";
    CornerRef last;
    std::size_t steps = 0;
    for (CornerRef use = v->firstCorner; use; use = use.next()) {
      out += " " + name(use);
      if (!position.contains(use.face()) || ++steps > 3 * position.size()) break;
      if (use.face()->Corner(use.corner()) != v) out += "(other vertex)";
      last = use;
    }
    if (v->lastCorner != last) out += " last=" + (v->lastCorner ? name(v->lastCorner) : "none");
    out += "\n";
  }
  for (std::uint32_t mat = 0; mat < kMaxMaterials; ++mat) {
    if (m.faces.chainHead(mat) == nullptr) continue;
    out += "m" + std::to_string(mat) + ":";
    for (const Face* f : m.faces.Chain(mat)) {
      const auto at = position.find(f);
      out += " " + (at != position.end() ? std::to_string(at->second) : "gone");
      if (at == position.end()) break;
    }
    out += "\n";
  }
  return out;
}

// Numbers on a quarter grid: written with six decimals and read back exactly.
float Quarter(std::mt19937& random) {
  return static_cast<float>(static_cast<int>(random() % 801) - 400) / 4;
}

// Three corners of `count` table entries, now and then repeating one or all of them.
std::array<std::uint32_t, 3> Corners(std::mt19937& random, std::uint32_t count) {
  auto any = [&] { return static_cast<std::uint32_t>(random() % count); };
  std::array<std::uint32_t, 3> k{any(), any(), any()};
  const std::uint32_t shape = random() % 8;  // 0: a = b, 1: b = c, 2: c = a, 3: all three
  if (shape == 0 || shape == 3) k[1] = k[0];
  if (shape == 1 || shape == 3) k[2] = k[1];
  if (shape == 2) k[2] = k[0];
  return k;
}

void NameMaterials(Model& m, std::uint32_t count) {
  m.materialCount = count;
  for (std::uint32_t i = 0; i < count; ++i) {
    m.SetMaterialDefaults(i);
    m.materials[i].name.Set("m" + std::to_string(i));
  }
}

// One group of journaled edits chosen by list position: vertices deleted, faces deleted, faces
// moved onto other corners (some repeated), or faces added with a repeated corner.
void Edit(Model& m, int kind, const std::vector<std::uint32_t>& picks) {
  edit::JournalGroup group(m);
  for (std::size_t i = 0; i + 2 < picks.size() && !m.vertices.empty(); i += 3) {
    auto vertex = [&](std::size_t p) { return m.vertices.Nth(picks[p] % m.vertices.count()); };
    Face* face = m.faces.empty() ? nullptr : m.faces.Nth(picks[i] % m.faces.count());
    if (kind == 0) edit::JournalDeleteVertex(m, vertex(i));
    if (kind == 1) edit::JournalDeleteFace(m, face);
    if (kind == 2) edit::JournalSetFaceVertices(m, face, vertex(i + 1), vertex(i + 2), vertex(i));
    if (kind == 3) edit::JournalAddFace(m, vertex(i + 1), vertex(i + 1), vertex(i + 2));
  }
}

class ZmfBulkLoad : public ModelTest {
 protected:
  static constexpr const char* kPath = "/nonexistent-folder/bulk.zmf";

  // Reads `text` into `model` (through a real file when asked) and compares it with
  // `reference`: chains, dump, saved text, then both after the same edits, after undoing them
  // one group at a time and after redoing them.
  void ExpectLoadsAsReference(const std::string& text, std::uint32_t seed, bool throughFile) {
    if (throughFile) {
      TempFolder folder;
      WriteFile(folder.File("bulk.zmf"), text);
      format::ReadModelFile(model, folder.File("bulk.zmf"));
    } else {
      format::ReadModelText(model, text, kPath);
    }
    EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{});
    auto expectSame = [&](const char* when) {
      ASSERT_EQ(Chains(model), Chains(reference)) << when;
      ASSERT_EQ(DumpModel(model), DumpModel(reference)) << when;
    };
    ASSERT_NO_FATAL_FAILURE(expectSame("loaded"));
    ASSERT_EQ(format::WriteModelText(model), format::WriteModelText(reference));

    std::mt19937 random(seed);
    const std::uint32_t vertices = reference.vertices.count();
    constexpr int kGroups = 8;
    for (int g = 0; g < kGroups; ++g) {
      std::vector<std::uint32_t> picks(3 * (1 + random() % 4));
      for (std::uint32_t& p : picks) p = random();
      Edit(reference, g % 4, picks);
      Edit(model, g % 4, picks);
      ASSERT_NO_FATAL_FAILURE(expectSame(("edit group " + std::to_string(g)).c_str()));
    }
    for (int g = kGroups; g-- > 0;) {
      edit::Undo(reference);
      edit::Undo(model);
      ASSERT_NO_FATAL_FAILURE(expectSame(("undo of group " + std::to_string(g)).c_str()));
    }
    EXPECT_EQ(model.vertices.count(), vertices);
    for (int g = 0; g < kGroups; ++g) {
      edit::Redo(reference);
      edit::Redo(model);
      ASSERT_NO_FATAL_FAILURE(expectSame(("redo of group " + std::to_string(g)).c_str()));
    }
    EXPECT_EQ(format::WriteModelText(model), format::WriteModelText(reference));
  }

  ScriptedHost referenceHost;
  RecordingTextureStore referenceTextures;
  Model reference{referenceHost, referenceTextures};
};

TEST_F(ZmfBulkLoad, WrittenRandomModelsLoadAsBuiltFaceByFace) {
  std::mt19937 random(7100);
  for (int round = 0; round < 8; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    reference.Reset();
    NameMaterials(reference, 2 + random() % 4);
    std::vector<Vertex*> all;
    for (std::uint32_t i = 50 + random() % 251; i > 0; --i) {
      const Vector3 p{Quarter(random), Quarter(random), Quarter(random)};
      all.push_back(AddFileVertex(reference, p, {Quarter(random), Quarter(random), 1}, 0, 0));
    }
    // A few vertices take many faces, so that some chains are long.
    const auto count = static_cast<std::uint32_t>(random() % 3 == 0 ? 4 : all.size());
    for (std::uint32_t i = 100 + random() % 501; i > 0; --i) {
      const auto k = Corners(random, random() % 4 == 0 ? count : std::uint32_t(all.size()));
      AddFileFace(reference, all[k[0]], all[k[1]], all[k[2]], random() % reference.materialCount);
    }
    const std::string text = format::WriteModelText(reference);
    ExpectLoadsAsReference(text, random(), round % 2 == 1);
  }
}

// Texts of one to three VERTICES sections, each followed by up to three FACES (or version 1
// TRIANGLES) sections whose faces may name vertices outside their section, materials outside
// the table, or stop short of the count; with the model the reader must make of each.
TEST_F(ZmfBulkLoad, SectionsOfHandWrittenTextsLoadAsBuiltFaceByFace) {
  std::mt19937 random(7200);
  for (int round = 0; round < 12; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const bool version1 = round % 4 == 3;
    const std::uint32_t materials = version1 ? 1 : 1 + random() % 4;
    reference.Reset();
    NameMaterials(reference, materials);
    if (version1) reference.SetMaterialDefaults(0);
    std::string text = version1 ? "ZMF\nVERSION { 1.00 }\n" : "ZMF\nVERSION { 2.00 }\n";
    if (random() % 2 == 0) text += "FACES { 1\n\t0 0 0\t0\n}\n";  // before any vertex: dropped
    for (std::uint32_t section = 1 + random() % 3; section > 0; --section) {
      const std::uint32_t size = 5 + random() % 40;
      std::vector<Vertex*> table;
      text += "VERTICES { POSITION_NORMAL " + std::to_string(size) + "\n";
      for (std::uint32_t i = 0; i < size; ++i) {
        const Vector3 p{Quarter(random), Quarter(random), Quarter(random)};
        table.push_back(AddFileVertex(reference, p, {0, 0, 1}, 0, 0));
        text += "\t" + std::to_string(p.x) + " " + std::to_string(p.y) + " " + std::to_string(p.z) +
                "\t0 0 1\n";
      }
      text += "}\n";
      for (std::uint32_t faces = random() % 4; faces > 0; --faces) {
        const std::uint32_t rows = random() % 60;
        const std::uint32_t promised = rows + (random() % 3 == 0 ? 1 + random() % 5 : 0);
        text += (version1 ? "TRIANGLES { " : "FACES { ") + std::to_string(promised) + "\n";
        for (std::uint32_t r = 0; r < rows; ++r) {
          auto k = Corners(random, size + 2);
          if (random() % 50 == 0) k[random() % 3] = 4294967295u;
          const std::uint32_t material = random() % 20 == 0 ? 40 : random() % (materials + 1);
          text += "\t" + std::to_string(k[0]) + " " + std::to_string(k[1]) + " " +
                  std::to_string(k[2]) + (version1 ? "\n" : "\t" + std::to_string(material) + "\n");
          if (k[0] >= size || k[1] >= size || k[2] >= size) continue;
          const std::uint32_t m = version1 || material >= kMaxMaterials ? 0 : material;
          AddFileFace(reference, table[k[0]], table[k[1]], table[k[2]], m);
        }
        text += "}\n";
      }
    }
    if (!version1) {
      text += "MATERIALS { " + std::to_string(materials) + "\n";
      for (std::uint32_t i = 0; i < materials; ++i) {
        text += "\tMATERIAL { NAME m" + std::to_string(i) + " }\n";
      }
      text += "}\n";
    }
    // Faces of a material beyond the table join material 0 once the file is read.
    for (std::uint32_t m = materials; m < kMaxMaterials; ++m) reference.MoveMaterialChain(0, m);
    format::WriteModelText(reference);  // renumbers the ids as the loaded model has them
    ExpectLoadsAsReference(text, random(), round % 3 == 2);
  }
}

// A file is read in blocks of 256 KiB through one buffer. Texts over several blocks, with the
// first block ending at every place around a section keyword (whose brace then comes with the
// next block), a word longer than a block, and counts that promise more or far more entries
// than the text holds, or fewer: each file loads as its text does from memory.
TEST_F(ZmfBulkLoad, FilesReadInBlocksLoadAsTheirTextsDo) {
  constexpr std::size_t kBlock = std::size_t{256} << 10;
  std::mt19937 random(7300);
  std::string rows;
  for (int i = 0; i < 9000; ++i) {
    rows += "  " + std::to_string(Quarter(random)) + " " + std::to_string(Quarter(random)) + "\t" +
            std::to_string(Quarter(random)) + " 0 0 1 0.25 0.75\n";
  }
  std::string faceRows;
  for (int i = 0; i < 30000; ++i) {
    const auto k = Corners(random, 9002);
    faceRows += std::to_string(k[0]) + " " + std::to_string(k[1]) + " " + std::to_string(k[2]) +
                " " + std::to_string(random() % 3) + (i % 7 == 0 ? "\r\n" : "\n");
  }
  const std::string faces = "FACES { 30000\n" + faceRows;
  const std::string tail = "}\nMATERIALS { 2 MATERIAL { NAME a } MATERIAL { NAME b } }\n";
  TempFolder folder;
  const std::string path = folder.File("blocks.zmf");
  auto expectSame = [&](const std::string& text) {
    WriteFile(path, text);
    ASSERT_TRUE(format::ReadModelFile(model, path));
    ASSERT_TRUE(format::ReadModelText(reference, text, path));
    ASSERT_EQ(Chains(model), Chains(reference));
    ASSERT_EQ(DumpModel(model), DumpModel(reference));
    ASSERT_EQ(format::WriteModelText(model), format::WriteModelText(reference));
  };
  const std::string head = "ZMF\nVERSION { 2.00 }\nCOMMENT { ";
  const std::string keyword = "VERTICES";
  for (std::size_t shift = 0; shift < 12; ++shift) {
    SCOPED_TRACE("shift " + std::to_string(shift));
    // The keyword ends from 6 characters before the first block's end to 6 after it.
    std::string text = head;
    while (text.size() < kBlock - 6 - keyword.size() - 3 + shift) text += "ab ";
    text.resize(kBlock - 6 - keyword.size() + shift - 3);
    text.back() = ' ';  // no filler word runs into the comment's end
    text += "} " + keyword + " { POSITION_NORMAL_TEXCOORDS " +
            (shift % 3 == 0   ? "9000"
             : shift % 3 == 1 ? "9500"
                              : "4000000000") +
            "\n" + rows + "}\n" + (shift % 2 == 0 ? faces : "FACES { 20\n" + faceRows) + tail;
    ASSERT_NO_FATAL_FAILURE(expectSame(text));
    EXPECT_EQ(model.vertices.count(), 9000u);
  }
  const std::string word(kBlock * 5 / 2, 'w');
  ASSERT_NO_FATAL_FAILURE(expectSame(head + word +
                                     " }\nVERTICES { POSITION_NORMAL_TEXCOORDS 9000\n" + rows +
                                     "}\n" + faces + tail));
  EXPECT_EQ(model.faces.count(), reference.faces.count());
  EXPECT_GT(model.faces.count(), 20000u);
}

TEST_F(ZmfBulkLoad, RepeatedCornersAndLaterSectionsGiveTheseChains) {
  format::ReadModelText(model,
                        "ZMF\n"
                        "VERTICES { POSITION 3 0 0 0 1 0 0 0 1 0 }\n"
                        "FACES { 3 0 1 2 0 1 1 0 0 2 2 2 0 }\n"
                        "FACES { 3 0 1 3 0 2 0 0 0 5 5 5 0 }\n"
                        "VERTICES { POSITION 2 0 0 1 1 0 1 }\n"
                        "FACES { 2 1 0 1 0 0 2 1 0 }\n"
                        "MATERIALS { 1 MATERIAL { NAME m0 } }\n",
                        kPath);
  EXPECT_EQ(Chains(model),
            "v0: 0.0 1.2 3.1 3.2\n"
            "v1: 0.1 1.0 1.1\n"
            "v2: 0.2 2.0 2.1 2.2 3.0\n"
            "v3: 4.1\n"
            "v4: 4.0 4.2\n"
            "m0: 0 1 2 3 4\n");
}

}  // namespace
}  // namespace zmf::testing
