// Handlers of Copy, Cut and Paste, and the scripts' clipboard files.
#include "command/clipboard_commands.h"

#include <optional>
#include <string>

#include "edit/animation_edits.h"
#include "edit/bone_edits.h"
#include "edit/delete_selected.h"
#include "format/atomic_file.h"
#include "format/clipboard_text.h"
#include "format/file_text.h"

namespace zmf::command {
namespace {

constexpr FileFilter kTextFilter[] = {{" Text Files", "*.txt"}, {" All Files", "*"}};

constexpr std::string_view kConfirmCaption = "Confirm copy.";

// The text Copy takes from the active list; nullopt when there is nothing to take.
std::optional<std::string> CopiedText(const Model& model, view::PanelList active) {
  using view::PanelList;
  switch (active) {
    case PanelList::Vertex:
    case PanelList::Face:
      if (model.vertices.selCount() == 0) return std::nullopt;
      return format::GeometryClipboardText(model, active == PanelList::Face);
    case PanelList::Animation:
      if (!format::HasPasteTarget(model, format::ClipboardKind::Animation)) return std::nullopt;
      return format::AnimationClipboardText(static_cast<std::uint32_t>(model.currentAnimation));
    case PanelList::Key:
      if (!format::HasPasteTarget(model, format::ClipboardKind::Key)) return std::nullopt;
      return format::KeyClipboardText(static_cast<std::uint32_t>(model.currentKey));
    case PanelList::KeyBone: {
      if (!format::HasPasteTarget(model, format::ClipboardKind::KeyBone)) return std::nullopt;
      const Animation& animation =
          model.animation(static_cast<std::uint32_t>(model.currentAnimation));
      const AnimKey& key = animation.keys[static_cast<std::uint32_t>(model.currentKey)];
      return format::KeyBoneClipboardText(
          key.keyBones[static_cast<std::uint32_t>(model.currentKeyBone)].matrix);
    }
    case PanelList::Bone:
      if (!format::HasPasteTarget(model, format::ClipboardKind::Bone)) return std::nullopt;
      return format::BoneClipboardText(static_cast<std::uint32_t>(model.currentBone));
    case PanelList::None:
      break;
  }
  return std::nullopt;
}

// The question before an item paste overwrites the current item.
std::string_view ConfirmText(format::ClipboardKind kind) {
  switch (kind) {
    case format::ClipboardKind::Animation:
      return "Are you sure you want to copy over this animation? (No undo.)";
    case format::ClipboardKind::Key:
      return "Are you sure you want to copy over this animation key? (No undo.)";
    case format::ClipboardKind::KeyBone:
      return "Are you sure you want to copy over this key bone matrix? (No undo.)";
    default:
      return "Are you sure you want to copy over this bone matrix? (No undo.)";
  }
}

}  // namespace

const FileDialogOptions kClipboardLoadDialog{"Open Clipboard Text", kTextFilter, "txt"};
const FileDialogOptions kClipboardSaveDialog{"Save Clipboard Text", kTextFilter, "txt"};

bool CopySelection(Model& model, view::PanelList active, Clipboard& clipboard) {
  std::optional<std::string> text = CopiedText(model, active);
  return text && clipboard.SetText(std::move(*text));
}

Refresh CutSelection(Model& model, view::PanelList active, Clipboard& clipboard) {
  using view::PanelList;
  if (!CopySelection(model, active, clipboard)) return Refresh::None;
  switch (active) {
    case PanelList::Vertex:
      edit::DeleteSelectedVertices(model);
      return Refresh::Mesh;
    case PanelList::Face:
      edit::DeleteSelectedFaces(model);
      return Refresh::Mesh;
    case PanelList::Animation:
      edit::JournalDeleteAnimation(model, static_cast<std::uint32_t>(model.currentAnimation));
      return Refresh::Skeleton;
    case PanelList::KeyBone:
      edit::JournalDeleteKeyBone(model, model.currentAnimation, model.currentKey,
                                 model.currentKeyBone);
      return Refresh::Skeleton;
    case PanelList::Bone:
      edit::JournalDeleteBone(model, static_cast<std::uint32_t>(model.currentBone));
      return Refresh::Skeleton;
    case PanelList::Key:
    case PanelList::None:
      break;
  }
  return Refresh::None;
}

Refresh PasteClipboard(Model& model, const Clipboard& clipboard) {
  const std::optional<std::string_view> text = clipboard.Text();
  if (!text) return Refresh::None;
  const format::ClipboardKind kind = format::KindOfClipboardText(*text);
  if (kind == format::ClipboardKind::None) return Refresh::None;
  if (kind == format::ClipboardKind::Geometry) {
    return format::PasteGeometryText(model, *text) > 0 ? Refresh::Mesh : Refresh::None;
  }
  if (!format::HasPasteTarget(model, kind)) return Refresh::None;
  if (!model.host().AskYesNo(ConfirmText(kind), kConfirmCaption)) return Refresh::None;
  bool pasted = false;
  switch (kind) {
    case format::ClipboardKind::Animation:
      pasted = format::PasteAnimationText(model, *text);
      break;
    case format::ClipboardKind::Key:
      pasted = format::PasteKeyText(model, *text);
      break;
    case format::ClipboardKind::KeyBone:
      pasted = format::PasteKeyBoneText(model, *text);
      break;
    case format::ClipboardKind::Bone:
      pasted = format::PasteBoneText(model, *text);
      break;
    default:
      break;
  }
  return pasted ? Refresh::Skeleton : Refresh::None;
}

Refresh CopyCommand(CommandContext& context) {
  if (context.clipboard == nullptr || context.editor == nullptr) return Refresh::None;
  CopySelection(context.model, context.editor->activeList, *context.clipboard);
  return Refresh::None;
}

Refresh CutCommand(CommandContext& context) {
  if (context.clipboard == nullptr || context.editor == nullptr) return Refresh::None;
  return CutSelection(context.model, context.editor->activeList, *context.clipboard);
}

Refresh PasteCommand(CommandContext& context) {
  if (context.clipboard == nullptr) return Refresh::None;
  return PasteClipboard(context.model, *context.clipboard);
}

Refresh ClipboardLoadCommand(CommandContext& context) {
  if (context.clipboard == nullptr || context.arguments.size() != 1) return Refresh::None;
  const std::string& path = context.arguments[0];
  std::string text;
  if (!format::ReadWholeFile(path, text)) {
    context.model.host().ErrorBox("Could not open file:", path, Severity::Error);
    return Refresh::None;
  }
  if (!context.clipboard->SetText(std::move(text))) {
    context.problem = "the clipboard did not take the text of " + path;
  }
  return Refresh::None;
}

Refresh ClipboardSaveCommand(CommandContext& context) {
  if (context.clipboard == nullptr || context.arguments.size() != 1) return Refresh::None;
  const std::string& path = context.arguments[0];
  const std::optional<std::string_view> text = context.clipboard->Text();
  if (!text) {
    context.problem = "the clipboard holds no text; nothing was written to " + path;
    return Refresh::None;
  }
  format::AtomicFile file(path);
  if (!file.Open() || !file.Write(*text) || !file.Commit()) {
    context.model.host().ErrorBox("Could not write to file:", path, Severity::Error);
  }
  return Refresh::None;
}

}  // namespace zmf::command
