// The orthographic camera: projection, view matrix, the way back to model points, the Camera
// menu, the Reposition Camera drag and the status readouts.
#include "view/camera.h"

#include <cmath>
#include <cstdio>
#include <numbers>
#include <tuple>

#include "model/transforms.h"

namespace zmf::view {

namespace {

// The Camera menu's quarter turn, pi/2 to four decimals, and the half turn of Back about y.
constexpr float kQuarterTurn = 1.5708f;
constexpr float kHalfTurn = std::numbers::pi_v<float>;

// The identity multiplied by glOrtho's box, in float. glOrtho refuses a box of zero width, height
// or depth and leaves the matrix as it was: the identity.
Matrix4 Ortho(float left, float right, float bottom, float top, float nearVal, float farVal) {
  Matrix4 m = Matrix4::Identity();
  if (left == right || bottom == top || nearVal == farVal) return m;
  m[0] = 2.0f / (right - left);
  m[5] = 2.0f / (top - bottom);
  m[10] = -2.0f / (farVal - nearVal);
  m[12] = -(right + left) / (right - left);
  m[13] = -(top + bottom) / (top - bottom);
  m[14] = -(farVal + nearVal) / (farVal - nearVal);
  return m;
}

}  // namespace

Vector3 ViewToModel(const Matrix4& view, const Vector3& p) {
  return InverseRotate(view, {p.x - view[12], p.y - view[13], p.z - view[14]});
}

Matrix4 ApplyProjection(Camera& camera) {
  if (!(camera.fitRadius > 0.0f)) camera.fitRadius = 1.0f;  // zero, negative or undefined
  if (camera.fitRadius > kMaxFitRadius) camera.fitRadius = kMaxFitRadius;
  float scale = (camera.fitRadius + camera.zoomOffset) / camera.fitRadius;
  if (!(std::fabs(scale) <= kMaxZoomScale)) {
    scale = std::isnan(scale) ? 1.0f : std::copysign(kMaxZoomScale, scale);
    camera.zoomOffset = scale * camera.fitRadius - camera.fitRadius;
  }
  camera.zoomScale = scale;
  return ProjectionMatrix(camera);
}

Matrix4 ProjectionMatrix(const Camera& camera) {
  const float e = camera.HalfExtent();
  const float shorter = static_cast<float>(camera.ShorterSide());
  // Exactly E on the shorter side (and both sides of a square viewport).
  const float ex = camera.viewportWidth > camera.ShorterSide()
                       ? e * (static_cast<float>(camera.viewportWidth) / shorter)
                       : e;
  const float ey = camera.viewportHeight > camera.ShorterSide()
                       ? e * (static_cast<float>(camera.viewportHeight) / shorter)
                       : e;
  return Ortho(-ex, ex, -ey, ey, -1000.0f * e, 1000.0f * e);
}

float NormalisedPixel(const Camera& camera, float pixel, bool vertical) {
  const float half = static_cast<float>(camera.ShorterSide()) / 2.0f;
  const float centre =
      static_cast<float>(vertical ? camera.viewportHeight : camera.viewportWidth) / 2.0f;
  return (pixel - centre) / half;
}

Matrix4 SetViewportSize(Camera& camera, int width, int height) {
  camera.viewportWidth = std::max(1, width);
  camera.viewportHeight = std::max(1, height);
  return ProjectionMatrix(camera);
}

Matrix4 FitView(Camera& camera, Model& model) {
  model.ComputeBounds();
  camera.fitRadius = std::sqrt(model.radiusSquared);  // a float square root
  return ApplyProjection(camera);
}

Matrix4 FitModel(Camera& camera, Model& model) {
  camera.zoomOffset = 0.0f;
  camera.panX = camera.panY = 0.0f;
  const Matrix4 projection = FitView(camera, model);
  if (model.vertices.count() == 0) return projection;
  const Vector3 centre{(model.boundsMin.x + model.boundsMax.x) * 0.5f,
                       (model.boundsMin.y + model.boundsMax.y) * 0.5f,
                       (model.boundsMin.z + model.boundsMax.z) * 0.5f};
  const Vector3 shown = TransformPoint(BuildViewMatrix(camera), centre);
  const float e = camera.HalfExtent();
  if (std::isfinite(shown.x) && std::isfinite(shown.y) && e > 0.0f) {
    camera.panX = -shown.x / e;
    camera.panY = -shown.y / e;
  }
  return projection;
}

Matrix4 BuildViewMatrix(const Camera& camera) {
  const float e = camera.HalfExtent();
  Matrix4 m = EulerMatrix(camera.pitch, camera.yaw, camera.roll);
  m[12] = camera.panX * e;
  m[13] = camera.panY * e;
  return m;
}

Vector3 ScreenToModel(const Camera& camera, const Matrix4& view, float a, float b) {
  const float e = camera.HalfExtent();
  return ViewToModel(view, {a * e, b * e, 0.0f});
}

Vector3 ScreenToModelXZ(const Camera& camera, const Matrix4& view, float a, float b) {
  const float e = camera.HalfExtent();
  return ViewToModel(view, {a * e, 0.0f, b * e});
}

void CameraZero(Camera& camera) { CameraReturn(camera, SavedCamera{}); }

void CameraReturn(Camera& camera, const SavedCamera& saved) {
  std::tie(camera.yaw, camera.pitch, camera.roll, camera.panX, camera.panY, camera.zoomOffset) =
      std::tie(saved.yaw, saved.pitch, saved.roll, saved.panX, saved.panY, saved.zoomOffset);
  ApplyProjection(camera);
}

SavedCamera SaveCamera(const Camera& camera) {
  return {camera.yaw, camera.pitch, camera.roll, camera.panX, camera.panY, camera.zoomOffset};
}

void ApplyPreset(Camera& camera, CameraPreset preset) {
  switch (preset) {
    case CameraPreset::Left:
      camera.yaw = kQuarterTurn;
      break;
    case CameraPreset::Right:
      camera.yaw = -kQuarterTurn;
      break;
    case CameraPreset::Top:
      camera.pitch = kQuarterTurn;
      break;
    case CameraPreset::Bottom:
      camera.pitch = -kQuarterTurn;
      break;
    case CameraPreset::Front:
      camera.pitch = camera.yaw = 0.0f;
      break;
    case CameraPreset::Back:
      camera.pitch = 0.0f;
      camera.yaw = kHalfTurn;
      break;
  }
}

void ApplyZoom(Camera& camera, ZoomPreset zoom) {
  float radii = 0.0f;  // zoomOffset in fit radii
  switch (zoom) {
    case ZoomPreset::Percent800:
      radii = -0.875f;
      break;
    case ZoomPreset::Percent400:
      radii = -0.75f;
      break;
    case ZoomPreset::Percent200:
      radii = -0.5f;
      break;
    case ZoomPreset::Percent100:
      radii = 0.0f;
      break;
    case ZoomPreset::Percent50:
      radii = 2.0f;
      break;
    case ZoomPreset::Percent25:
      radii = 4.0f;
      break;
  }
  camera.zoomOffset = radii * camera.fitRadius;
  ApplyProjection(camera);
}

void DragCamera(Camera& camera, float dx, float dy, bool left, bool right, bool shift) {
  if (left) {
    camera.panX += dx;
    if (shift) {
      // Down zooms in, up zooms out, by the extent shown: a quarter viewport halves it.
      camera.zoomOffset -= dy * camera.fitRadius * camera.zoomScale;
      ApplyProjection(camera);
    } else {
      camera.panY -= dy;  // the picture follows the cursor (screen down is view -y)
    }
  }
  if (right) {
    camera.yaw += 2.0f * dx;
    if (shift) {
      camera.roll += 2.0f * dy;
    } else {
      camera.pitch += 2.0f * dy;
    }
  }
}

std::string PositionReadout(const Vector3& point) {
  char text[200];  // four "%.3f" of the largest float fit
  std::snprintf(text, sizeof text, "(%.3f,%.3f,%.3f)", static_cast<double>(point.x),
                static_cast<double>(point.y), static_cast<double>(point.z));
  return text;
}

std::string CameraReadout(const Camera& camera) {
  char text[200];
  std::snprintf(text, sizeof text, "(%.3f,%.3f,%.3f,%.3f)", static_cast<double>(camera.yaw),
                static_cast<double>(camera.pitch), static_cast<double>(camera.roll),
                static_cast<double>(camera.zoomScale));
  return text;
}

}  // namespace zmf::view
