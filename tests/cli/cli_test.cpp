// zmfedit --help, --list-commands, --info, --convert and --batch, run as a user runs them: the
// built program, with no display at all (no DISPLAY, no WAYLAND_DISPLAY, no Qt platform).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "command/command_table.h"
#include "command/menu_layout.h"
#include "zmf_models.h"

extern char** environ;

namespace zmf {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

struct Result {
  int exitCode = -1;
  std::string out;
  std::string errors;
};

// Runs zmfedit with the arguments, without any display in its environment.
Result RunEditor(std::vector<std::string> args) {
  TempFolder capture;
  const std::string outPath = capture.File("out"), errPath = capture.File("err");
  std::vector<char*> envp;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string_view entry = *e;
    if (!entry.starts_with("DISPLAY=") && !entry.starts_with("WAYLAND_DISPLAY=") &&
        !entry.starts_with("QT_QPA_PLATFORM=")) {
      envp.push_back(*e);
    }
  }
  envp.push_back(nullptr);
  args.insert(args.begin(), ZMFEDIT_PATH);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  for (const auto& [fd, path] : {std::pair{1, &outPath}, std::pair{2, &errPath}}) {
    posix_spawn_file_actions_addopen(&actions, fd, path->c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
  }
  Result result;
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    result.errors = std::string("cannot start zmfedit: ") + std::strerror(spawned);
    return result;
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = ReadFile(outPath);
  result.errors = ReadFile(errPath);
  return result;
}

std::string Box(const std::string& message, const std::string& detail) {
  return "ERROR: " + message + " " + detail + " The application will continue.\n";
}

// The golden model with its textures beside it, so that it loads without a message.
class CommandLineToolTest : public ::testing::Test {
 protected:
  TempFolder folder_;
  const std::string model_ = testing::CopyEverySection(folder_, "every.zmf");
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A line of --list-commands as its four tab-separated columns.
struct ListedCommand {
  std::string id, name, input, place;
};
ListedCommand ParseListed(const std::string& line) {
  ListedCommand listed;
  std::istringstream in(line);
  std::getline(in, listed.id, '\t');
  std::getline(in, listed.name, '\t');
  std::getline(in, listed.input, '\t');
  std::getline(in, listed.place);
  return listed;
}

TEST(CommandListTest, ListCommandsAndHelpShowTheWholeCommandTable) {
  const Result list = RunEditor({"--list-commands"});
  EXPECT_EQ(list.exitCode, 0) << list.errors;
  EXPECT_EQ(list.errors, "");
  const std::vector<std::string> lines = Lines(list.out);
  const auto commands = command::Commands();
  ASSERT_EQ(lines.size(), commands.size()) << list.out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const ListedCommand listed = ParseListed(lines[i]);
    const command::CommandEntry& entry = commands[i];
    EXPECT_EQ(listed.id, entry.id == 0 ? "-" : std::to_string(entry.id)) << lines[i];
    EXPECT_EQ(listed.name, entry.scriptName.empty() ? "-" : entry.scriptName) << lines[i];
    // A menu command shows where it is in the menus, anything else what it does.
    const command::MenuItem* item = command::FindMenuItem(entry.id);
    EXPECT_EQ(listed.place,
              item != nullptr ? command::MenuPathText(item->path) : std::string(entry.description))
        << lines[i];
    EXPECT_FALSE(entry.description.empty()) << lines[i];
  }
  EXPECT_EQ(lines[0], "32771\tnew\tnone\tFile > &New");
  EXPECT_EQ(lines[1], "32772\topen\topen-file\tFile > &Open ...");
  EXPECT_NE(list.out.find("\n32836\tweld-vertices\tnone\tModel > Vertices and Faces > &Weld "
                          "Vertices\n"),
            std::string::npos);
  bool idsListed = false;  // a script-only command
  for (const std::string& line : lines) {
    const ListedCommand listed = ParseListed(line);
    if (listed.name == "select-vertices") idsListed = listed.id == "-" && listed.input == "ids";
  }
  EXPECT_TRUE(idsListed);

  // --help names every script command with its arguments and description, and the other lines
  // a script may hold.
  const Result help = RunEditor({"--help"});
  EXPECT_EQ(help.exitCode, 0) << help.errors;
  for (const char* form :
       {"--screenshot FILE.png [--batch SCRIPT] [MODEL]", "--info FILE", "--convert IN OUT",
        "--batch SCRIPT [MODEL]", "zmfedit --list-commands\n"}) {
    EXPECT_NE(help.out.find(form), std::string::npos) << form;
  }
  for (const command::CommandEntry& entry : commands) {
    const std::string id = std::to_string(entry.id);
    std::string usage(entry.scriptName);
    if (entry.input == command::CommandInput::OpenFile ||
        entry.input == command::CommandInput::SaveFile) {
      usage += " FILE";
    } else if (entry.input == command::CommandInput::Ids) {
      usage += " ID...";
    } else if (entry.input == command::CommandInput::Words) {
      usage += " " + std::string(entry.words);
    } else if (entry.input == command::CommandInput::ListPick) {
      usage = "pick " + id + " POSITION";
    } else if (entry.input == command::CommandInput::Texts) {
      usage = "apply " + id + " TEXTS...";
    }
    const std::size_t at = help.out.find("\n  " + usage + "  ");
    ASSERT_NE(at, std::string::npos) << usage;
    const std::size_t end = help.out.find('\n', at + 1);
    EXPECT_TRUE(help.out.substr(at, end - at).ends_with(entry.description)) << usage;
  }
  for (const char* line : {"\n  answer TEXT  ", "\n  cancel  ", "\n  clock SECONDS  "}) {
    EXPECT_NE(help.out.find(line), std::string::npos) << line;
  }
}

TEST_F(CommandLineToolTest, InfoPrintsCountsAndBounds) {
  const Result info = RunEditor({"--info", model_});
  EXPECT_EQ(info.exitCode, 0) << info.errors;
  EXPECT_EQ(info.errors, "");
  EXPECT_EQ(info.out,
            "vertices 4\nfaces 2\nmaterials 10\nbones 2\nanimations 1\nkeys 2\nkey bones 3\n"
            "bounds -0.100000 -2.250000 -123.456001 1.500000 2500000.000000 3.000000\n");

  // An importer's "load this mesh?" is answered Yes, as --convert answers it.
  const std::string md5 = folder_.File("tri.md5mesh");
  WriteFile(
      md5,
      "MD5Version 10\nnumJoints 1\nnumMeshes 1\njoints {\n\"root\" -1 ( 0 0 0 ) ( 0 0 0 )\n}\n"
      "mesh {\nnumverts 3\nvert 0 ( 0 0 ) 0 1\nvert 1 ( 0 0 ) 1 1\nvert 2 ( 0 0 ) 2 1\n"
      "numtris 1\ntri 0 0 1 2\nnumweights 3\nweight 0 0 1 ( 0 0 0 )\n"
      "weight 1 0 1 ( 1 0 0 )\nweight 2 0 1 ( 0 2 0 )\n}\n");
  const Result mesh = RunEditor({"--info", md5});
  EXPECT_EQ(mesh.exitCode, 0) << mesh.errors;
  EXPECT_EQ(mesh.out.substr(0, 19), "vertices 3\nfaces 1\n") << mesh.out;
  ASSERT_EQ(RunEditor({"--convert", md5, folder_.File("tri.zmf")}).exitCode, 0);
  EXPECT_EQ(RunEditor({"--info", folder_.File("tri.zmf")}).out, mesh.out);

  const std::string missing = folder_.File("missing.zmf");
  const Result none = RunEditor({"--info", missing});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_EQ(none.errors, Box("Could not open file:", missing));
  EXPECT_EQ(none.out.substr(0, 11), "vertices 0\n");
  EXPECT_NE(none.out.find("bounds none\n"), std::string::npos);

  const Result wrong = RunEditor({"--info"});
  EXPECT_EQ(wrong.exitCode, 2);
  EXPECT_EQ(wrong.errors.rfind("zmfedit: --info needs a file name\nusage:", 0), 0u) << wrong.errors;
}

TEST_F(CommandLineToolTest, ConvertWritesTheOtherFormats) {
  const Result zmf = RunEditor({"--convert", model_, folder_.File("copy.zmf")});
  EXPECT_EQ(zmf.exitCode, 0) << zmf.errors;
  const std::string copy = ReadFile(folder_.File("copy.zmf"));
  EXPECT_EQ(copy, testing::EverySectionTextReadBack());
  const Result glc = RunEditor({"--convert", model_, folder_.File("scene.glc")});
  EXPECT_EQ(glc.exitCode, 0) << glc.errors;
  EXPECT_EQ(ReadFile(folder_.File("scene.glc")).substr(0, 7), "HEADER\n");

  // An empty model writes no file, and says so.
  WriteFile(folder_.File("empty.zmf"), "ZMF\n");
  const Result empty = RunEditor({"--convert", folder_.File("empty.zmf"), folder_.File("e.zmf")});
  EXPECT_EQ(empty.exitCode, 1);
  EXPECT_EQ(empty.errors, "zmfedit: nothing was written to " + folder_.File("e.zmf") +
                              ": the model has no vertices\n");
  EXPECT_FALSE(testing::FileExists(folder_.File("e.zmf")));
}

TEST_F(CommandLineToolTest, BatchRunsAScriptOnAModel) {
  const std::string script = folder_.File("run.txt");
  ASSERT_EQ(RunEditor({"--convert", model_, folder_.File("copy.zmf")}).exitCode, 0);
  WriteFile(script, "save " + folder_.File("saved.zmf") + "\nnew\nsave " +
                        folder_.File("never.zmf") + "\n");
  const Result run = RunEditor({"--batch", script, model_});
  EXPECT_EQ(run.exitCode, 1);  // the second save had nothing to write
  EXPECT_EQ(run.errors, script + ":3: nothing was saved to " + folder_.File("never.zmf") +
                            ": the model has no vertices\n");
  const std::string saved = ReadFile(folder_.File("saved.zmf"));
  EXPECT_EQ(saved, ReadFile(folder_.File("copy.zmf")));

  WriteFile(script, "open " + model_ + "\nsave " + folder_.File("again.zmf") + "\n");
  const Result clean = RunEditor({"--batch", script});
  EXPECT_EQ(clean.exitCode, 0) << clean.errors;
  EXPECT_EQ(ReadFile(folder_.File("again.zmf")), saved);

  EXPECT_EQ(RunEditor({"--batch", folder_.File("no-script.txt")}).exitCode, 2);
}

}  // namespace
}  // namespace zmf
