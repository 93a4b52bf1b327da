// The MD5 mesh importer: vertex placement, bones from joints, the mesh questions, reversed faces,
// the hierarchy messages, and files broken in the ways a file can be.
#include "importers/md5_mesh.h"

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "command/open_save.h"
#include "edit/undo_redo.h"
#include "file_fixture.h"
#include "model/validate_model.h"
#include "model_fixture.h"
#include "zmf_models.h"

namespace zmf {
namespace {

using testing::ErrorBoxText;

using Boxes = std::vector<std::string>;
using Rows = std::vector<testing::FaceRow>;
using testing::FaceRows;

// A file with these joint lines and mesh bodies; the counts are the lists' sizes.
std::string Md5(const std::vector<std::string>& joints, const std::vector<std::string>& meshes) {
  std::string text = "MD5Version 10\ncommandline \"\"\n\nnumJoints " +
                     std::to_string(joints.size()) + "\nnumMeshes " +
                     std::to_string(meshes.size()) + "\n\njoints {\n";
  for (const std::string& joint : joints) text += "\t" + joint + "\n";
  text += "}\n";
  for (const std::string& mesh : meshes) text += "\nmesh {\n" + mesh + "}\n";
  return text;
}

// A mesh of three vertices on joint 0 and the triangle (0, 1, 2).
std::string Triangle(const std::string& shader) {
  return "\tshader \"" + shader +
         "\"\n\tnumverts 3\n\tvert 0 ( 0 0 ) 0 1\n\tvert 1 ( 0 0 ) 0 1\n\tvert 2 ( 0 0 ) 0 1\n"
         "\tnumtris 1\n\ttri 0 0 1 2\n\tnumweights 1\n\tweight 0 0 1 ( 0 0 0 )\n";
}

const std::string kRootJoint = "\"root\" -1 ( 0 0 0 ) ( 0 0 0 )";

class Md5MeshTest : public testing::ModelTest {
 protected:
  void Import(const std::string& text) {
    model.Reset();
    host.ClearEvents();
    importers::ImportMd5MeshFrom(model, text);
  }

  std::vector<std::string> Questions() const {
    std::vector<std::string> texts;
    for (const auto& e : host.events()) {
      if (e.kind == ScriptedHost::Event::Kind::Question) texts.push_back(e.text + "|" + e.title);
    }
    return texts;
  }
};

TEST_F(Md5MeshTest, WeightsPlaceVerticesAndJointsBecomeBonesRelativeToTheirParents) {
  testing::TempFolder folder;
  const std::string path = folder.File("figure.MD5MESH");
  testing::WriteFile(path, Md5({"\"root\" -1 ( 1 0 0 ) ( 0 0 0 )",  // bone 0
                                "\"a\" 0 ( 0 0 0 ) ( 0 0 0 )",      // 1
                                "\"b\" 0 ( 4 0 0 ) ( 0 0 0 )",      // 2
                                "\"arm\" 0 ( 1 2 3 ) ( 0 0 0 )",    // 3
                                // A quarter turn about z: x goes to -y.
                                "\"turned\" 3 ( 0 0 2 ) ( 0 0 0.70710678 )"},
                               {"\tshader \"skin\"\n\tnumverts 2\n"
                                "\tvert 0 ( 0.25 0.5 ) 0 2\n\tvert 1 ( 1 1 ) 2 1\n"
                                "\tnumweights 3\n\tweight 0 1 0.25 ( 0 0 0 )\n"
                                "\tweight 1 2 0.75 ( 0 0 0 )\n\tweight 2 4 1 ( 1 0 0 )\n"}));
  host.QueueYes(true);
  EXPECT_EQ(command::OpenModel(model, path), command::Opened::Model);
  EXPECT_EQ(Questions(), std::vector<std::string>{"Load the mesh: skin?|Load Mesh"});
  EXPECT_TRUE(host.BoxTexts().empty());

  ASSERT_EQ(model.vertices.count(), 2u);
  const Vertex* v0 = model.vertices.Nth(0);
  EXPECT_EQ(v0->position, (Vector3{3, 0, 0}));
  EXPECT_EQ(v0->savedPosition, v0->position);
  EXPECT_EQ(v0->normal, (Vector3{0, 0, 1}));
  EXPECT_EQ(v0->u, 0.25f);
  EXPECT_EQ(v0->v, 0.5f);
  const Vertex* v1 = model.vertices.Nth(1);
  EXPECT_NEAR(v1->position.x, 0.0f, 1e-6f);
  EXPECT_NEAR(v1->position.y, -1.0f, 1e-6f);
  EXPECT_NEAR(v1->position.z, 2.0f, 1e-6f);

  ASSERT_EQ(model.boneCount, 5u);
  EXPECT_EQ(model.rootBone, 0);
  EXPECT_EQ(model.bones[1].weights.count(), 1u);
  EXPECT_EQ(model.bones[1].weights.head()->weight, 0.5f);
  EXPECT_EQ(model.bones[2].weights.head()->weight, 0.5f);
  EXPECT_EQ(model.bones[4].weights.head()->vertex, v1);
  EXPECT_EQ(model.bones[4].weights.head()->weight, 1.0f);

  const Bone& arm = model.bones[3];
  EXPECT_EQ(arm.name, "\"arm\"");
  EXPECT_EQ(arm.parentName, "\"root\"");
  EXPECT_EQ(model.bones[0].parentName, "NONE");
  EXPECT_EQ(arm.grams, 1.0f);
  EXPECT_EQ(arm.localMatrix, testing::Translation(0, -2, -3));
  EXPECT_EQ(arm.poseMatrix, testing::Translation(0, 2, 3));
  EXPECT_EQ(arm.bindMatrix, testing::Translation(-1, -2, -3));
  EXPECT_EQ(arm.frameMatrix, testing::Translation(1, 2, 3));
  EXPECT_EQ(model.bones[4].parent, 3);
  EXPECT_EQ(arm.firstChild, 4);
  EXPECT_THAT(ValidateModel(model, kImportedModelRules), ::testing::IsEmpty());

  // A file that cannot be read is reported.
  host.ClearEvents();
  EXPECT_FALSE(importers::ImportMd5Mesh(model, folder.File("none.md5mesh")));
  EXPECT_EQ(host.BoxTexts(),
            Boxes{ErrorBoxText("Error: couldn't open", folder.File("none.md5mesh"))});
}

TEST_F(Md5MeshTest, EachMeshIsAskedForAndItsTrianglesAreReversed) {
  const std::string text =
      Md5({kRootJoint}, {Triangle("first"), Triangle("second") +
                                                // Corners outside the mesh drop the triangle.
                                                "\tnumtris 4\n\ttri 0 0 1 2\n\ttri 1 0 1 3\n"
                                                "\ttri 2 -1 0 1\n\ttri 3 2 2 0\n"});
  host.QueueYes(false);
  host.QueueYes(true);
  Import(text);
  EXPECT_EQ(Questions(), (std::vector<std::string>{"Load the mesh: first?|Load Mesh",
                                                   "Load the mesh: second?|Load Mesh"}));
  EXPECT_EQ(model.vertices.count(), 3u);
  EXPECT_EQ(FaceRows(model), (Rows{{2, 1, 0, 0}, {0, 2, 2, 0}}));
  EXPECT_EQ(model.faces.selCount(), 2u);
  // Each face is its own undo step.
  edit::Undo(model);
  EXPECT_EQ(model.faces.count(), 1u);

  host.QueueYes(true);
  host.QueueYes(true);
  Import(text);
  EXPECT_EQ(FaceRows(model), (Rows{{2, 1, 0, 0}, {5, 4, 3, 0}, {3, 5, 5, 0}}));
  EXPECT_EQ(model.bones[0].weights.count(), 6u);
  EXPECT_THAT(ValidateModel(model, kImportedModelRules), ::testing::IsEmpty());
}

TEST_F(Md5MeshTest, YesOrNoToAllAnswersForTheMeshesStillToComeAndNamelessMeshesAreNumbered) {
  const std::string text = Md5({kRootJoint}, {Triangle(""), Triangle("b"), Triangle("c")});
  for (const char* all : {"yes-to-all", "no-to-all"}) {
    model.Reset();
    host.ClearEvents();
    host.QueueYes(false);
    host.QueueText(all);
    Import(text);
    EXPECT_EQ(Questions(), (std::vector<std::string>{"Load the mesh: mesh 1?|Load Mesh",
                                                     "Load the mesh: b?|Load Mesh"}));
    EXPECT_EQ(model.vertices.count(), std::string(all) == "yes-to-all" ? 6u : 0u);
  }
}

TEST_F(Md5MeshTest, JointsBeyondTheBoneTablePlaceVerticesButHoldNone) {
  std::vector<std::string> joints{kRootJoint};
  for (int j = 1; j < 130; ++j) {
    joints.push_back("\"j" + std::to_string(j) + "\" 0 ( " + std::to_string(j) +
                     " 0 0 ) ( 0 0 0 )");
  }
  host.SetUnscriptedAnswer(true);
  Import(Md5(joints, {"\tnumverts 2\n\tvert 0 ( 0 0 ) 0 2\n\tvert 1 ( 0 0 ) 2 1\n"
                      "\tnumweights 3\n\tweight 0 1 0.5 ( 0 0 0 )\n\tweight 1 129 0.5 ( 0 0 0 )\n"
                      "\tweight 2 128 1 ( 0 0 0 )\n"}));
  EXPECT_EQ(model.boneCount, 128u);
  EXPECT_EQ(model.bones[127].name, "\"j127\"");
  EXPECT_EQ(model.vertices.Nth(0)->position, (Vector3{65, 0, 0}));
  EXPECT_EQ(model.vertices.Nth(1)->position, (Vector3{128, 0, 0}));
  ASSERT_EQ(model.bones[1].weights.count(), 1u);
  EXPECT_EQ(model.bones[1].weights.head()->weight, 1.0f);
  std::uint32_t held = 0;
  for (const Bone& bone : model.bones) held += bone.weights.count();
  EXPECT_EQ(held, 1u);
  EXPECT_TRUE(host.BoxTexts().empty());
}

TEST_F(Md5MeshTest, BadVersionsAndBadHierarchiesAreReported) {
  host.SetUnscriptedAnswer(true);
  Import("MD5Version 6\nnumJoints 1\nnumMeshes 1\njoints {\n" + kRootJoint + "\n}\nmesh {\n" +
         Triangle("x") + "}\n");
  EXPECT_EQ(host.BoxTexts(), Boxes{ErrorBoxText("Error: bad model version", "6")});
  EXPECT_TRUE(model.vertices.empty());
  EXPECT_EQ(model.boneCount, 0u);

  const std::string kChild = "\"child\" 0 ( 0 0 0 ) ( 0 0 0 )";
  const struct {
    std::vector<std::string> joints;
    std::string box;
  } cases[] = {
      {{kRootJoint, "\"child\" 5 ( 0 0 0 ) ( 0 0 0 )"}, ErrorBoxText("Bone name not found:", "")},
      {{"\"x\" 1 ( 0 0 0 ) ( 0 0 0 )", "\"y\" 0 ( 0 0 0 ) ( 0 0 0 )"},
       ErrorBoxText("Bad bone heirarchy, no root frame:", "MD5 File")},
      {{kRootJoint, kChild, "\"other\" -1 ( 0 0 0 ) ( 0 0 0 )"},
       ErrorBoxText("Bad bone heirarchy, more than one root frame.", "MD5 File")},
      // A bone that is its own parent hangs from no root.
      {{kRootJoint, "\"self\" 1 ( 0 0 0 ) ( 0 0 0 )"},
       ErrorBoxText("Bad bone heirarchy, no root frame:", "MD5 File")},
  };
  for (const auto& c : cases) {
    Import(Md5(c.joints, {Triangle("mesh")}));
    EXPECT_EQ(host.BoxTexts(), Boxes{c.box});
    EXPECT_EQ(model.boneCount, 0u);
    EXPECT_EQ(model.rootBone, kNoBone);
    EXPECT_EQ(model.faces.count(), 1u);
    EXPECT_THAT(ValidateModel(model, kImportedModelRules), ::testing::IsEmpty());
  }
}

TEST_F(Md5MeshTest, MalformedFilesNeverLeaveTheirArrays) {
  host.SetUnscriptedAnswer(true);
  const std::string longName(100, 'n');
  const std::string longShader(300, 's');
  Import(Md5({"\"" + longName + "\" -1 ( 0 0 0 ) ( 2 2 2 )"},
             {"\tshader \"" + longShader +
                  "\"\n\tnumverts 2\n\tvert -1 ( 0 0 ) 0 1\n\tvert 2 ( 0 0 ) 0 1\n"
                  "\tvert 0 ( 0 0 ) 0 1\n\tvert 1 ( 0 0 ) -1 3\n"
                  "\tnumtris 2\n\ttri 0 0 1 1\n\ttri 7 0 0 0\n"
                  "\tnumweights 2\n\tweight 0 -1 1 ( 5 0 0 )\n\tweight 1 0 1 ( nan 0 0 )\n"
                  "\tweight 2 0 1 ( 0 0 0 )\n",
              "\tnumverts -5\n\tvert 0 ( 0 0 ) 0 1\n"}));
  EXPECT_EQ(model.bones[0].name.size(), 31u);
  EXPECT_EQ(Questions().front(), "Load the mesh: " + longShader.substr(0, 255) + "?|Load Mesh");
  ASSERT_EQ(model.vertices.count(), 2u);
  EXPECT_EQ(model.vertices.Nth(0)->position, (Vector3{0, 0, 0}));  // its one weight names no joint
  EXPECT_TRUE(std::isnan(model.vertices.Nth(1)->position.x));      // weights 0 and 1 of 2
  // Triangle 1 had no line: a zeroed entry, on vertex 0 three times.
  EXPECT_EQ(FaceRows(model), (Rows{{1, 1, 0, 0}, {0, 0, 0, 0}}));
  EXPECT_THAT(ValidateModel(model, kImportedModelRules), ::testing::IsEmpty());

  // Counts far beyond the text make no more than the text could describe. The 128 joints that no
  // line gave have no names, so their parent (joint 0) is not found.
  const std::string huge =
      "MD5Version 10\nnumJoints 2000000000\nnumMeshes 2000000000\nmesh {\n"
      "numverts 2000000000\nnumweights 2000000000\nvert 5 ( 0 0 ) 0 2000000000\n}\n";
  Import(huge);
  EXPECT_EQ(Questions().size(), 1u);
  EXPECT_GT(model.vertices.count(), 5u);
  EXPECT_LE(model.vertices.count(), huge.size() / 8 + 1);
  EXPECT_EQ(host.BoxTexts(), Boxes{ErrorBoxText("Bone name not found:", "")});
  EXPECT_THAT(ValidateModel(model, kImportedModelRules), ::testing::IsEmpty());

  // A joints block that takes the rest of the file as joints; a mesh block without a count.
  for (const std::string& text : {std::string(), std::string("mesh {\n"), std::string("joints {\n"),
                                  "numJoints 9\njoints {\n" + kRootJoint + "\n}\nmesh {\n}\n",
                                  std::string("\0\x01\xff}{", 5), Md5({}, {"\tnumverts 1\n"})}) {
    Import(text);
    EXPECT_THAT(ValidateModel(model, kImportedModelRules), ::testing::IsEmpty());
  }
}

TEST_F(Md5MeshTest, LongWeightRangesGiveWhatShortOnesWould) {
  // 100 weights of 0.01 on joints 0, 1, 2 in turn, at (0,0,0), (1,0,0) and (0,1,0); vertex 0 takes
  // them all, vertex 1 the 90 from weight 10 on (30 of each joint).
  std::string mesh = "\tnumverts 2\n\tvert 0 ( 0 0 ) 0 100\n\tvert 1 ( 0 0 ) 10 200\n";
  mesh += "\tnumweights 100\n";
  for (int i = 0; i < 100; ++i) {
    mesh += "\tweight " + std::to_string(i) + " " + std::to_string(i % 3) + " 0.01 ( 0 0 0 )\n";
  }
  host.SetUnscriptedAnswer(true);
  Import(Md5({kRootJoint, "\"x\" 0 ( 1 0 0 ) ( 0 0 0 )", "\"y\" 0 ( 0 1 0 ) ( 0 0 0 )"}, {mesh}));
  const Vector3 p0 = model.vertices.Nth(0)->position;
  const Vector3 p1 = model.vertices.Nth(1)->position;
  EXPECT_NEAR(p0.x, 0.33f, 1e-5f);
  EXPECT_NEAR(p0.y, 0.33f, 1e-5f);
  EXPECT_NEAR(p1.x, 0.30f, 1e-5f);
  EXPECT_NEAR(p1.y, 0.30f, 1e-5f);
  for (std::uint32_t b = 0; b < 3; ++b) {
    ASSERT_EQ(model.bones[b].weights.count(), 2u);
    EXPECT_EQ(model.bones[b].weights.tail()->weight, 1.0f / 3.0f);
  }
}

}  // namespace
}  // namespace zmf
