// The one compilation of the glTF library's implementation.
#define TINYGLTF_IMPLEMENTATION
#include "export/gltf_library.h"
