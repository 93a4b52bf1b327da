// The material table's entries and their faces.
#include "material/material_table.h"

#include <string>
#include <vector>

#include "material/texture_loader.h"

namespace zmf::material {

bool AddMaterial(Model& model, std::string_view name) {
  if (name.empty() || model.materialCount >= kMaxMaterials) return false;
  const std::uint32_t slot = model.materialCount;
  // A slot given up earlier may still hold a texture object nobody else references.
  if (model.materials[slot].texture != 0) model.textures().Delete(model.materials[slot].texture);
  model.SetMaterialDefaults(slot);
  model.materials[slot].name.Set(name);
  model.materialCount = slot + 1;
  model.MarkChanged();
  return true;
}

void DeleteMaterial(Model& model, std::uint32_t index) {
  if (model.materialCount < 2 || index >= model.materialCount) return;
  model.MarkChanged();
  const std::uint32_t target = index == 0 ? 1 : index - 1;
  std::vector<Face*> stragglers;
  for (Face* f : model.faces.Chain(index)) stragglers.push_back(f);
  for (Face* f : stragglers) model.SetFaceMaterial(f, target);

  Material& gone = model.materials[index];
  if (gone.texture != 0) model.textures().Delete(gone.texture);
  gone.texture = 0;
  for (std::uint32_t m = index + 1; m < model.materialCount; ++m) {
    model.materials[m - 1] = model.materials[m];
    model.MoveMaterialChain(m - 1, m);
  }
  const std::uint32_t last = model.materialCount - 1;
  model.materials[last].texture = 0;  // its texture object moved down with it
  model.SetMaterialDefaults(last);
  model.materialCount = last;
}

bool RenameMaterial(Model& model, std::uint32_t index, std::string_view name) {
  if (name.empty() || index >= model.materialCount) return false;
  model.materials[index].name.Set(name);
  model.MarkChanged();
  return true;
}

void InsertMaterial(Model& model, std::uint32_t index, const Material& material) {
  if (model.materialCount >= kMaxMaterials || index > model.materialCount) return;
  const std::uint32_t count = model.materialCount;
  if (model.materials[count].texture != 0) model.textures().Delete(model.materials[count].texture);
  for (std::uint32_t m = count; m > index; --m) {
    model.materials[m] = model.materials[m - 1];
    model.MoveMaterialChain(m, m - 1);
  }
  model.materials[index] = material;
  model.materialCount = count + 1;
  model.MarkChanged();
}

void SetMaterialTexture(Model& model, std::uint32_t index, bool hasTexture, std::string_view file,
                        std::uint32_t alphaMode, float alphaValue) {
  if (index >= model.materialCount) return;
  model.MarkChanged();
  Material& m = model.materials[index];
  // Copied first: the caller may pass the material's own path (switching the texture back on).
  std::string path(file);
  m.alphaValue = alphaValue;
  m.hasTexture = hasTexture ? 1 : 0;
  m.alphaMode = alphaMode;
  m.textureFile = path;
  if (!hasTexture) return;
  if (m.texture != 0) model.textures().Delete(m.texture);
  m.texture = 0;
  // Without a file there is nothing to show: an image loaded from an earlier path must not stay
  // on the material as though it were this one's.
  if (path.empty()) return;
  m.texture = LoadTexture(model.host(), model.textures(), path, alphaMode, alphaValue);
}

}  // namespace zmf::material
