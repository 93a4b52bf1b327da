// Writing the model as a ZMF file, byte for byte in the program's layout.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "format/text_sink.h"
#include "model/model.h"
#include "model/progress.h"

namespace zmf::format {

// How texture files are named: by file name alone (the pictures lie beside the model, where the
// reader looks), or by absolute path (recovery files, written far from the model's folder).
enum class TextureNames { FileName, AbsolutePath };

// Writes the whole model to `path`. A model without vertices writes nothing and says nothing.
// Otherwise the vertex and face ids are first renumbered 0, 1, 2, ... in list order, the undo
// journal with them (they stay so even when the file cannot be written), then the file is
// replaced only once all of it was
// written; any failure reports "Could not write to file:" with the path and leaves an old file
// as it was. True when the file was written.
bool WriteModelFile(Model& model, std::string_view path);

// The text WriteModelFile writes, after the same renumbering; empty for a model without
// vertices.
std::string WriteModelText(Model& model, TextureNames names = TextureNames::FileName);
// The same text in the blocks it was made in, without copying it into one string.
std::vector<std::string> WriteModelBlocks(Model& model, TextureNames names);

// The writer's text for a model whose ids are already renumbered; `progress` counts the
// vertices, faces, bone weights and animation frames written. Vertices carry their texture
// coordinates (POSITION_NORMAL_TEXCOORDS) when a material has a texture or a vertex has a
// non-zero u or v; otherwise they are written as POSITION_NORMAL.
void WriteModel(const Model& model, TextSink& out);
void WriteModel(const Model& model, TextSink& out, ProgressMeter& progress,
                TextureNames names = TextureNames::FileName);

// A vertex's numbers as the file and the clipboard write them: "x y z<TAB>nx ny nz", and with
// `texCoords` "<TAB>u v"; no line end.
void PutVertexValues(TextSink& out, const Vertex& v, bool texCoords);

// How a name is written: one word, so that the reader takes it back as one. Whitespace inside a
// name becomes '_' and an empty name is written as "_"; every other name is written as it is.
void PutName(TextSink& out, std::string_view name);

}  // namespace zmf::format
