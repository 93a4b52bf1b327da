// The one compilation of the glTF library's implementation.
#define TINYGLTF_IMPLEMENTATION
#include "format/gltf_library.h"
