// The glTF library (tinygltf) as the program builds it: every file that uses it includes this
// header, so that all see the same settings. It sits with the file formats so that both the
// exporter and the importer may use it. Pictures are neither decoded nor encoded by the
// library: the exporter hands it finished PNG or JPEG bytes, and the importer supplies its own
// image callback that keeps the bytes as they are.
#pragma once

#define TINYGLTF_NO_STB_IMAGE
#define TINYGLTF_NO_STB_IMAGE_WRITE
#define TINYGLTF_NO_EXTERNAL_IMAGE
#include <tiny_gltf.h>
