// The ZMF writer: byte-exact text, renumbering, and saves that fail without harm.
#include "format/zmf_writer.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include "edit/journal.h"
#include "edit/journal_records.h"
#include "edit/undo_redo.h"
#include "file_fixture.h"
#include "format/zmf_reader.h"
#include "model_fixture.h"
#include "zmf_models.h"

namespace zmf {
namespace {

using testing::ErrorBoxText;

using testing::FilesIn;
using ::testing::HasSubstr;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;
using Names = std::vector<std::string>;

class ZmfWriterTest : public testing::ModelTest {
 protected:
  TempFolder folder;
};

TEST_F(ZmfWriterTest, GoldenTextsAndWhatIsLeftOut) {
  // Texture coordinates, file names without their folders, each alpha entry (none for mode
  // 10), bones with weights and animations.
  testing::BuildEverySection(model);
  EXPECT_EQ(format::WriteModelText(model), ReadFile(testing::kEverySectionFile));

  testing::BuildOneTriangle(model);
  model.animationCount = 1;  // not written: there are no bones
  model.animation(0).keyCount = 1;
  EXPECT_EQ(format::WriteModelText(model), testing::kOneTriangleText);

  // A texture whose name is only a folder has no FILE entry.
  model.materials[0].hasTexture = 1;
  model.materials[0].textureFile = "/models/tex/";
  const std::string text = format::WriteModelText(model);
  EXPECT_THAT(text, HasSubstr("\t\tTEXTURE {\n\t\t\tALPHA NONE\n\t\t}\n"));
}

TEST_F(ZmfWriterTest, TextureCoordinatesWithoutATextureAreKept) {
  // Imported or made from the view: saved although no material has a texture, and read back to
  // the bit. A single non-zero v is enough; -0 counts as none (see the golden text above).
  testing::BuildOneTriangle(model);
  Vertex* first = model.vertices.head();
  Vertex* last = model.vertices.tail();
  model.SetVertex(first, first->position, first->normal, -0.0f, 0.0f);
  model.SetVertex(last, last->position, last->normal, 0.0f, 0.1f);
  const std::string text = format::WriteModelText(model);
  EXPECT_THAT(text, HasSubstr("VERTICES { POSITION_NORMAL_TEXCOORDS 3\n"));
  EXPECT_THAT(text, HasSubstr("\t0.000000 1.000000 0.000000\t0.000000 0.000000 1.000000\t"
                              "0.000000 0.100000\n"));
  const std::string before = testing::DumpModel(model);
  format::ReadModelText(model, text, "/nonexistent-folder/m.zmf");
  EXPECT_EQ(testing::DumpModel(model), before);
  EXPECT_EQ(format::WriteModelText(model), text);

  model.vertices.tail()->v = 0.0f;
  EXPECT_EQ(format::WriteModelText(model), testing::kOneTriangleText);
}

TEST_F(ZmfWriterTest, RenumbersVerticesAndFacesInListOrder) {
  Vertex* v[4];
  for (int i = 0; i < 4; ++i) v[i] = AddVertex(float(i), 0, 0);
  testing::AddFileFace(model, v[0], v[1], v[2], 0);
  Face* kept = testing::AddFileFace(model, v[3], v[2], v[3], 0);
  model.DeleteVertex(v[0]);  // takes the first face with it
  model.DeleteVertex(v[1]);

  // Renumbered even when the file cannot be written.
  EXPECT_FALSE(format::WriteModelFile(model, "/nonexistent-folder/x.zmf"));
  EXPECT_EQ(Ids(model.vertices), (std::vector<std::uint32_t>{0, 1}));
  EXPECT_EQ(model.vertices.nextId(), 2u);
  EXPECT_EQ(kept->id, 0u);
  EXPECT_EQ(model.faces.nextId(), 1u);
  const std::string text = format::WriteModelText(model);
  EXPECT_THAT(text, HasSubstr("FACES { 1\n\t1 0 1\t0\n}\n"));
}

TEST_F(ZmfWriterTest, SavingRenumbersTheWayTheJournalFollows) {
  // Undoing the delete and the addition after it, across a save, removes that very vertex.
  Vertex* a = edit::JournalAddVertex(model, {1, 0, 0}, {0, 0, 1}, 0, 0);
  edit::JournalAddVertex(model, {2, 0, 0}, {0, 0, 1}, 0, 0);
  edit::JournalDeleteVertex(model, a);
  EXPECT_THAT(format::WriteModelText(model), HasSubstr("POSITION_NORMAL 1\n\t2.000000"));
  edit::Undo(model);
  edit::Undo(model);
  ASSERT_EQ(model.vertices.count(), 1u);
  EXPECT_EQ(model.vertices.head()->position.x, 1.0f);
}

TEST_F(ZmfWriterTest, NamesStayOneWordAndReadBackIntact) {
  // A cancelled rename leaves an empty name, a typed one may hold blanks: written as they are,
  // the reader would take the next word for the name and lose the skeleton.
  testing::BuildEverySection(model);
  model.materials[1].name.Set("dark wood");
  model.bones[0].name.Set("");
  model.bones[1].parentName.Set("");
  model.animation(0).name.Set("big\twave");
  model.animation(0).keys[0].keyBones[0].boneName.Set("");
  const std::string text = format::WriteModelText(model);
  EXPECT_THAT(text, HasSubstr("NAME dark_wood\n"));
  EXPECT_THAT(text, HasSubstr("BONE { NAME _\n"));
  EXPECT_THAT(text, HasSubstr("\t\tbig_wave 1.000000 2\n"));

  format::ReadModelText(model, text, "/nonexistent-folder/m.zmf");
  EXPECT_EQ(model.materials[1].ambient[0], 0.1f);  // the entry after the name was not eaten
  EXPECT_EQ(model.boneCount, 2u);
  EXPECT_EQ(model.bones[1].parent, 0);
  EXPECT_EQ(model.animation(0).keys[0].keyBones[0].boneIndex, 0u);
  EXPECT_EQ(model.animation(0).totalTime, 1.0f);
}

TEST_F(ZmfWriterTest, ReplacesAnOldFileKeepingItsPermissionsAndLinks) {
  const std::string path = folder.File("model.zmf");
  WriteFile(path, "old contents");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  const std::string link = folder.File("link.zmf");
  ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);

  testing::BuildOneTriangle(model);
  EXPECT_TRUE(format::WriteModelFile(model, link));
  EXPECT_EQ(ReadFile(path), testing::kOneTriangleText);
  struct stat info {};
  ASSERT_EQ(::lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(FilesIn(folder.path()), (Names{"link.zmf", "model.zmf"}));
}

TEST_F(ZmfWriterTest, TargetsThatAreNotPlainFilesAreWrittenThroughNotReplaced) {
  // A pipe (as /dev/stdout often is) takes the text as it comes; replacing it with a file would
  // destroy it. The reading end is open before the save, so opening it for writing does not
  // wait; the text is small enough for the pipe's buffer.
  const std::string pipe = folder.File("model.fifo");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  testing::BuildOneTriangle(model);
  EXPECT_TRUE(format::WriteModelFile(model, pipe));
  std::string received(4096, '\0');
  const ssize_t got = ::read(reader, received.data(), received.size());
  ::close(reader);
  received.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  EXPECT_EQ(received, testing::kOneTriangleText);
  struct stat info {};
  ASSERT_EQ(::lstat(pipe.c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  EXPECT_EQ(FilesIn(folder.path()), Names{"model.fifo"});
  EXPECT_TRUE(host.events().empty());
}

TEST_F(ZmfWriterTest, FileNamesUpToTheSystemsLimitCanBeSaved) {
  // The temporary file beside the target must not need a longer name than the target has.
  const std::string name = std::string(250, 'm') + ".zmf";  // 254 bytes, within NAME_MAX
  testing::BuildOneTriangle(model);
  for (int save = 0; save < 2; ++save) {  // a new file, then one that is replaced
    EXPECT_TRUE(format::WriteModelFile(model, folder.File(name))) << save;
    EXPECT_EQ(ReadFile(folder.File(name)), testing::kOneTriangleText);
    EXPECT_EQ(FilesIn(folder.path()), Names{name});
  }
  EXPECT_TRUE(host.events().empty());
}

TEST_F(ZmfWriterTest, SaveThatRunsOutOfRoomLeavesTheOldFileAndReports) {
  const std::string path = folder.File("model.zmf");
  WriteFile(path, "the old model");
  testing::BuildEverySection(model);
  // A cap on the size of files this process writes: the save (over 4000 bytes) fails halfway
  // with EFBIG.
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  rlimit capped = old;
  capped.rlim_cur = 1000;
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  ::setrlimit(RLIMIT_FSIZE, &capped);
  EXPECT_FALSE(format::WriteModelFile(model, path));
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(ReadFile(path), "the old model");
  EXPECT_EQ(FilesIn(folder.path()), Names{"model.zmf"});
  EXPECT_EQ(host.BoxTexts(), Names{ErrorBoxText("Could not write to file:", path)});
}

TEST_F(ZmfWriterTest, SavesThatCannotHappenReportAndLeaveEverythingAsItWas) {
  // An empty model writes nothing and says nothing.
  EXPECT_FALSE(format::WriteModelFile(model, folder.File("empty.zmf")));
  EXPECT_EQ(format::WriteModelText(model), "");
  EXPECT_TRUE(host.events().empty());

  testing::BuildOneTriangle(model);
  // A folder that does not exist, and a target that is a folder.
  for (const std::string& path : {folder.File("missing/x.zmf"), folder.path()}) {
    host.ClearEvents();
    EXPECT_FALSE(format::WriteModelFile(model, path));
    EXPECT_EQ(host.BoxTexts(), Names{ErrorBoxText("Could not write to file:", path)});
  }
  EXPECT_TRUE(FilesIn(folder.path()).empty());

  if (::geteuid() == 0) return;  // permissions do not bind the superuser
  const std::string path = folder.File("model.zmf");
  WriteFile(path, "read only");
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);  // a read-only file
  EXPECT_FALSE(format::WriteModelFile(model, path));
  ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
  ASSERT_EQ(::chmod(folder.path().c_str(), 0555), 0);  // in a read-only folder
  EXPECT_FALSE(format::WriteModelFile(model, path));
  ::chmod(folder.path().c_str(), 0755);
  EXPECT_EQ(ReadFile(path), "read only");
  EXPECT_EQ(FilesIn(folder.path()), Names{"model.zmf"});
}

}  // namespace
}  // namespace zmf
