// The orthographic camera of the viewport: its state, the view and projection matrices made from
// it, the way back from viewport positions to model points, the Camera menu's presets and zooms,
// the Reposition Camera drag and the two status readouts. No GL: the renderer only loads the
// matrices computed here.
#pragma once

#include <algorithm>
#include <string>

#include "model/math_types.h"
#include "model/model.h"

namespace zmf::view {

struct Camera {
  float yaw = 0.0f;    // radians, about the model's y axis
  float pitch = 0.0f;  // about the x axis
  float roll = 0.0f;   // about the z axis
  float panX = 0.0f;   // in half-viewports: 1 moves the picture by half the viewport
  float panY = 0.0f;
  float zoomOffset = 0.0f;  // model units added to fitRadius: the view's half-extent
  float fitRadius = 1.0f;   // the model's bounding radius at the last FitView
  float zoomScale = 1.0f;   // (fitRadius + zoomOffset) / fitRadius, kept by ApplyProjection
  // The viewport's size in pixels, which the box is widened to and mouse pixels are measured in.
  int viewportWidth = kViewportSize;
  int viewportHeight = kViewportSize;

  // The half-extent E: the viewport shows view coordinates -E ... E along its shorter side, and
  // as much more along the longer side as keeps the picture undistorted.
  float HalfExtent() const { return fitRadius * zoomScale; }
  // The viewport's shorter side in pixels (at least 1): the one that spans -E ... E.
  int ShorterSide() const { return std::max(1, std::min(viewportWidth, viewportHeight)); }
};

// A viewport pixel (x or y, from the left or top edge) in normalised coordinates: 0 at the
// viewport's centre, 1 half the shorter side away.
float NormalisedPixel(const Camera& camera, float pixel, bool vertical);
// The viewport's size set (each side at least 1 pixel) and the projection recomputed for it.
Matrix4 SetViewportSize(Camera& camera, int width, int height);

// What Camera > Save keeps and Camera > Return brings back (not the fit radius).
struct SavedCamera {
  float yaw = 0.0f, pitch = 0.0f, roll = 0.0f;
  float panX = 0.0f, panY = 0.0f;
  float zoomOffset = 0.0f;
};

// The largest fitRadius and the largest zoom-out (E / fitRadius): beyond them the box's near and
// far planes, and the zoom arithmetic, would leave the float range.
inline constexpr float kMaxFitRadius = 1e20f;
inline constexpr float kMaxZoomScale = 1e6f;

// Recomputes zoomScale and returns the projection: the orthographic box -E ... E on x and y
// (widened along the viewport's longer side by its aspect),
// near -1000 E, far 1000 E, in OpenGL's column order, as glOrtho computes it. A zoom offset of
// -fitRadius or less gives E = 0 (glOrtho refuses the empty box and the identity stays loaded) or
// E < 0 (the picture mirrored). Nothing is left undefined or infinite: a fitRadius that is not a
// positive size becomes 1, one beyond kMaxFitRadius becomes that, and a zoomScale beyond
// +-kMaxZoomScale (or undefined) is held there (or 1) with zoomOffset set to match.
Matrix4 ApplyProjection(Camera& camera);
// The projection of the camera as it stands (what ApplyProjection returns), for the commands
// below that apply the projection without returning it.
Matrix4 ProjectionMatrix(const Camera& camera);
// The bounding box of the model recomputed, fitRadius := its radius, and the projection applied.
// An empty model, and one too small to measure (all its points at the origin), gets radius 1; one
// whose squared radius overflows (infinite or enormous coordinates) gets kMaxFitRadius.
Matrix4 FitView(Camera& camera, Model& model);
// An imported model's fit: the zoom back to 100%, FitView, and the pan that puts the centre of the
// model's bounding box in the middle of the viewport (angles kept). The whole model shows, as the
// box's half-diagonal is never longer than the fit radius.
Matrix4 FitModel(Camera& camera, Model& model);

// T(pan) x Ry(yaw) x Rx(pitch) x Rz(roll) in OpenGL's column order, from the 32-bit angles.
Matrix4 BuildViewMatrix(const Camera& camera);

// The model point at view point p: `view` (a rotation and a translation, as BuildViewMatrix
// makes) undone as its rotation transposed applied to p less the translation.
Vector3 ViewToModel(const Matrix4& view, const Vector3& p);

// The model point under the normalised viewport position (a, b) at view depth 0, through the
// inverse of `view` (callers pass a = nx, b = -ny). The XZ form puts b on the view's z axis.
// `view` is a matrix made by BuildViewMatrix, a rotation and a translation: it is inverted as the
// rotation transposed with the translation taken off first, so it never divides. With E = 0
// every position gives the model origin.
Vector3 ScreenToModel(const Camera& camera, const Matrix4& view, float a, float b);
Vector3 ScreenToModelXZ(const Camera& camera, const Matrix4& view, float a, float b);

// Angles, pan and zoom offset to 0 (fitRadius kept), then the projection applied.
void CameraZero(Camera& camera);
// The saved fields copied back, then the projection applied.
void CameraReturn(Camera& camera, const SavedCamera& saved);
SavedCamera SaveCamera(const Camera& camera);

// The six views of the Camera menu: each sets only the angles it names. Left and Right set yaw to
// the menu's quarter turn 1.5708 (+z to the right, and to the left), Top and Bottom set pitch to
// it (+z towards the bottom of the viewport, and the top); Front sets pitch and yaw to 0 (+x to
// the right, +y up, +z towards the viewer) and Back sets pitch to 0 and yaw to pi (the model from
// behind, +x to the left, +y up). Roll and pan stay.
enum class CameraPreset { Left, Right, Top, Bottom, Front, Back };
void ApplyPreset(Camera& camera, CameraPreset preset);

// The six zooms of the Camera menu; the projection is applied.
enum class ZoomPreset { Percent800, Percent400, Percent200, Percent100, Percent50, Percent25 };
void ApplyZoom(Camera& camera, ZoomPreset zoom);

// One mouse move of the Reposition Camera mode: (dx, dy) is the move in normalised viewport
// units, the buttons are those held, shift the one captured at the button press. Left pans (or,
// with Shift, pans across and zooms), right turns (Shift rolls instead of pitching).
void DragCamera(Camera& camera, float dx, float dy, bool left, bool right, bool shift);

// The status line texts: "(%.3f,%.3f,%.3f)" of a model point, and "(%.3f,%.3f,%.3f,%.3f)" of
// yaw, pitch, roll and zoomScale.
std::string PositionReadout(const Vector3& point);
std::string CameraReadout(const Camera& camera);

}  // namespace zmf::view
