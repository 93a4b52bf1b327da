// A model with a host and texture store of its own, for the benchmarks.
#pragma once

#include "model/model.h"
#include "model/scripted_host.h"

namespace zmf {

struct BenchModel {
  ScriptedHost host;
  RecordingTextureStore textures;
  Model model{host, textures};
};

}  // namespace zmf
