// The glTF library (tinygltf) as the program builds it: every file that uses it includes this
// header, so that all see the same settings. Pictures are neither decoded nor encoded by the
// library: the exporter hands it finished PNG or JPEG bytes, and a reader supplies its own
// image callback.
#pragma once

#define TINYGLTF_NO_STB_IMAGE
#define TINYGLTF_NO_STB_IMAGE_WRITE
#define TINYGLTF_NO_EXTERNAL_IMAGE
#include <tiny_gltf.h>
