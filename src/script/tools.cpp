// --info, --convert and --batch: a model with a printing host and no GPU.
#include "script/tools.h"

#include <algorithm>
#include <memory>
#include <string>

#include "command/command_table.h"
#include "command/file_commands.h"
#include "command/open_save.h"
#include "format/file_text.h"
#include "format/number_text.h"
#include "script/batch.h"

namespace zmf::script {
namespace {

struct Headless {
  explicit Headless(std::FILE* errors) : host(errors) {}
  BatchHost host;
  HeadlessTextureStore textures;
  Model model{host, textures};
};

// A model opened from `path` as --info and --convert read it: every "load this object?" question
// of the importers answered Yes.
std::unique_ptr<Headless> OpenHeadless(std::string_view path, std::FILE* errors) {
  auto headless = std::make_unique<Headless>(errors);
  headless->host.SetUnscriptedAnswer(true);
  command::OpenModel(headless->model, path);
  return headless;
}

std::string Fixed6(float value) {
  char text[format::kMaxFixed6Length];
  return std::string(text, format::FormatFixed6(text, value));
}

}  // namespace

int PrintModelInfo(std::string_view path, std::FILE* out, std::FILE* errors) {
  const std::unique_ptr<Headless> headless = OpenHeadless(path, errors);
  const Model& model = headless->model;

  std::uint64_t keys = 0;
  std::uint64_t keyBones = 0;
  for (std::uint32_t a = 0; a < model.animationCount && a < kMaxAnimations; ++a) {
    const Animation& animation = model.animation(a);
    for (std::uint32_t k = 0; k < animation.keyCount && k < kMaxKeys; ++k) {
      ++keys;
      keyBones += animation.keys[k].keyBoneCount;
    }
  }
  std::fprintf(out,
               "vertices %u\nfaces %u\nmaterials %u\nbones %u\nanimations %u\nkeys %llu\n"
               "key bones %llu\n",
               model.vertices.count(), model.faces.count(), model.materialCount, model.boneCount,
               model.animationCount, static_cast<unsigned long long>(keys),
               static_cast<unsigned long long>(keyBones));
  if (model.vertices.count() == 0) {
    std::fprintf(out, "bounds none\n");
  } else {
    std::fprintf(out, "bounds %s %s %s %s %s %s\n", Fixed6(model.boundsMin.x).c_str(),
                 Fixed6(model.boundsMin.y).c_str(), Fixed6(model.boundsMin.z).c_str(),
                 Fixed6(model.boundsMax.x).c_str(), Fixed6(model.boundsMax.y).c_str(),
                 Fixed6(model.boundsMax.z).c_str());
  }
  std::fflush(out);
  return headless->host.errorCount() > 0 ? 1 : 0;
}

int ConvertModel(std::string_view input, std::string_view output, std::FILE* errors) {
  const std::unique_ptr<Headless> headless = OpenHeadless(input, errors);
  const command::Saved saved = command::SaveModel(headless->model, output);
  if (saved == command::Saved::NothingToSave) {
    std::fprintf(errors, "zmfedit: nothing was written to %.*s: the model has no vertices\n",
                 static_cast<int>(output.size()), output.data());
  }
  return saved == command::Saved::Written && headless->host.errorCount() == 0 ? 0 : 1;
}

int RunBatchFile(std::string_view scriptPath, std::string_view modelPath, std::FILE* errors) {
  std::string script;
  if (!format::ReadWholeFile(scriptPath, script)) {
    std::fprintf(errors, "zmfedit: cannot read the script %.*s\n",
                 static_cast<int>(scriptPath.size()), scriptPath.data());
    return 2;
  }
  auto headless = std::make_unique<Headless>(errors);
  return RunBatchScript(headless->model, headless->host, script, scriptPath, errors, modelPath);
}

}  // namespace zmf::script
