// Exporting the mesh as a Glintcast ray-tracer scene (".glc").
#pragma once

#include <string>
#include <string_view>

#include "format/text_sink.h"
#include "model/model.h"

namespace zmf::exporters {

// Writes every face as three full corners (position, normal, texture coordinates), corners in
// the order c, b, a. A model without vertices writes nothing. The vertex and face ids are
// renumbered first, as the model writer does; the file is replaced only once all of it was
// written, and a failure reports "Could not write to file:" with the path. True when written.
bool ExportGlintcast(Model& model, std::string_view path);

// The scene text for the model (after the same renumbering); empty for a model without
// vertices.
std::string GlintcastText(Model& model);

void WriteGlintcast(const Model& model, format::TextSink& out);

}  // namespace zmf::exporters
