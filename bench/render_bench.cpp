// Speed of the viewport's frames on Mesa's software rasterizer: the mesh and material views of a
// grid of n triangles, against a bare glDrawArrays of the same triangles in one colour (the same
// positions, three floats per corner, from client memory). The views draw from buffer objects as
// the editor does; BM_View0FrameClientArrays is the mesh view without them.
#include <EGL/egl.h>
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "bench_model.h"
#include "egl_context.h"
#include "model/model.h"
#include "render/frame.h"
#include "render/renderer.h"
#include "view/camera.h"
#include "view/editor_state.h"

namespace zmf {
namespace {

constexpr int kViewSize = 512;

// One headless context for the whole run, with the viewport's initial state.
bool ContextReady() {
  static test::EglContext context(kViewSize, kViewSize);
  static const bool ready = [] {
    if (!context.Ready()) {
      std::fprintf(stderr, "render_bench: %s\n", context.Error().c_str());
      return false;
    }
    render::SetInitialGlState();
    return true;
  }();
  return ready;
}

// Rows and columns of quads (two triangles each) for n triangles: about twice as many columns
// as rows, and exactly n triangles.
void GridShape(std::int64_t triangles, std::int64_t& rows, std::int64_t& columns) {
  const std::int64_t quads = triangles / 2;
  rows = static_cast<std::int64_t>(std::sqrt(static_cast<double>(quads) / 2.0));
  while (rows > 1 && quads % rows != 0) --rows;
  columns = quads / rows;
}

// A grid of n triangles facing the viewer across most of the view, one material, every 100th
// vertex and face selected.
void FillGrid(Model& model, std::int64_t triangles) {
  std::int64_t rows = 0, columns = 0;
  GridShape(triangles, rows, columns);
  std::vector<Vertex*> grid;
  grid.reserve(static_cast<std::size_t>((rows + 1) * (columns + 1)));
  for (std::int64_t r = 0; r <= rows; ++r) {
    for (std::int64_t c = 0; c <= columns; ++c) {
      Vertex* v = model.AppendVertex();
      const float x = -0.9f + 1.8f * static_cast<float>(c) / static_cast<float>(columns);
      const float y = -0.9f + 1.8f * static_cast<float>(r) / static_cast<float>(rows);
      model.SetVertex(v, {x, y, 0.0f}, {0.0f, 0.0f, 1.0f}, (x + 1) / 2, (1 - y) / 2);
      grid.push_back(v);
    }
  }
  auto at = [&](std::int64_t r, std::int64_t c) {
    return grid[static_cast<std::size_t>(r * (columns + 1) + c)];
  };
  for (std::int64_t r = 0; r < rows; ++r) {
    for (std::int64_t c = 0; c < columns; ++c) {
      model.MakeFace(at(r, c), at(r, c + 1), at(r + 1, c + 1));
      model.MakeFace(at(r, c), at(r + 1, c + 1), at(r + 1, c));
    }
  }
  model.DeselectAll();
  std::int64_t i = 0;
  for (Vertex* v : model.vertices) {
    if (i++ % 100 == 0) model.vertices.Select(v);
  }
  i = 0;
  for (Face* f : model.faces) {
    if (i++ % 100 == 0) model.faces.Select(f);
  }
  model.Commit();
}

// The same triangles as one array of corner positions, for the bare draw.
std::vector<float> Corners(const Model& model) {
  std::vector<float> corners;
  corners.reserve(std::size_t{model.faces.count()} * 9);
  for (const Face* f : model.faces) {
    for (const Vertex* v : {f->a, f->b, f->c}) {
      corners.insert(corners.end(), {v->savedPosition.x, v->savedPosition.y, v->savedPosition.z});
    }
  }
  return corners;
}

void BM_BareDrawArrays(benchmark::State& state) {
  if (!ContextReady()) return state.SkipWithError("no GL context");
  BenchModel b;
  FillGrid(b.model, state.range(0));
  const std::vector<float> corners = Corners(b.model);
  const auto count = static_cast<GLsizei>(corners.size() / 3);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, corners.data());
  for (auto _ : state) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor4f(0.4f, 0.4f, 0.4f, 1.0f);
    glDrawArrays(GL_TRIANGLES, 0, count);
    glFinish();
  }
  glDisableClientState(GL_VERTEX_ARRAY);
  state.counters["triangles"] = static_cast<double>(b.model.faces.count());
}

void* ProcAddress(const char* name) { return reinterpret_cast<void*>(eglGetProcAddress(name)); }

void RenderFrames(benchmark::State& state, view::ViewMode mode, bool buffers = true) {
  if (!ContextReady()) return state.SkipWithError("no GL context");
  BenchModel b;
  FillGrid(b.model, state.range(0));
  view::EditorState editor;
  editor.view = mode;
  editor.projection = view::ApplyProjection(editor.camera);
  ManualClock clock;
  render::Renderer renderer;
  if (buffers) renderer.UseBufferObjects(ProcAddress);
  renderer.DrawFrame(b.model, editor, clock);  // builds the arrays and fills the buffers
  glFinish();
  for (auto _ : state) {
    renderer.DrawFrame(b.model, editor, clock);
    glFinish();
  }
  renderer.UseBufferObjects(nullptr);  // deletes the buffers
  state.counters["triangles"] = static_cast<double>(b.model.faces.count());
}

void BM_View0Frame(benchmark::State& state) { RenderFrames(state, view::ViewMode::Mesh); }
void BM_View0FrameClientArrays(benchmark::State& state) {
  RenderFrames(state, view::ViewMode::Mesh, false);
}
void BM_View2Frame(benchmark::State& state) { RenderFrames(state, view::ViewMode::Material); }

BENCHMARK(BM_BareDrawArrays)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_View0Frame)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_View0FrameClientArrays)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_View2Frame)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zmf
