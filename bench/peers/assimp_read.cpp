// Assimp's ReadFile of one file, for comparing whole processes with the editor's open
// (scripts/compare-with-assimp.sh builds it when libassimp-dev is installed). Only a measuring
// peer: the editor never links Assimp.
//
//   assimp_read FILE    prints the vertex and face counts of the scene's meshes
#include <assimp/scene.h>

#include <assimp/Importer.hpp>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: assimp_read FILE\n");
    return 2;
  }
  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFile(argv[1], 0);
  if (scene == nullptr) {
    std::fprintf(stderr, "%s\n", importer.GetErrorString());
    return 1;
  }
  unsigned long long vertices = 0, faces = 0;
  for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
    vertices += scene->mMeshes[i]->mNumVertices;
    faces += scene->mMeshes[i]->mNumFaces;
  }
  std::printf("%llu vertices, %llu faces\n", vertices, faces);
  return 0;
}
