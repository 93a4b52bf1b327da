// The orthographic camera: projection, view matrix, the way back to model points, the Camera
// menu, the Reposition Camera drag and the status readouts.
#include "view/camera.h"

#include <cmath>
#include <cstdio>
#include <numbers>

namespace zmf::view {

namespace {

// The Camera menu's quarter turn, pi/2 to four decimals, and the half turn of Back.
constexpr float kQuarterTurn = 1.5708f;
constexpr float kHalfTurn = std::numbers::pi_v<float>;

// Sines and cosines rounded once from double precision; every product after them is in float.
float Cosine(float a) { return static_cast<float>(std::cos(static_cast<double>(a))); }
float Sine(float a) { return static_cast<float>(std::sin(static_cast<double>(a))); }

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
  const Vector3 d{p.x - view[12], p.y - view[13], p.z - view[14]};
  return {view[0] * d.x + view[1] * d.y + view[2] * d.z,
          view[4] * d.x + view[5] * d.y + view[6] * d.z,
          view[8] * d.x + view[9] * d.y + view[10] * d.z};
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
  return Ortho(-e, e, -e, e, -1000.0f * e, 1000.0f * e);
}

Matrix4 FitView(Camera& camera, Model& model) {
  model.ComputeBounds();
  camera.fitRadius = std::sqrt(model.radiusSquared);  // a float square root
  return ApplyProjection(camera);
}

Matrix4 BuildViewMatrix(const Camera& camera) {
  const float e = camera.HalfExtent();
  const float cp = Cosine(camera.pitch), sp = Sine(camera.pitch);
  const float cy = Cosine(camera.yaw), sy = Sine(camera.yaw);
  const float cr = Cosine(camera.roll), sr = Sine(camera.roll);
  Matrix4 m;
  m[0] = cr * cy + sy * sr * sp;
  m[1] = sr * cp;
  m[2] = sr * sp * cy - sy * cr;
  m[4] = sp * cr * sy - sr * cy;
  m[5] = cr * cp;
  m[6] = sr * sy + cy * sp * cr;
  m[8] = sy * cp;
  m[9] = -sp;
  m[10] = cp * cy;
  m[12] = camera.panX * e;
  m[13] = camera.panY * e;
  m[15] = 1.0f;
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

void CameraZero(Camera& camera) {
  camera.yaw = camera.pitch = camera.roll = 0.0f;
  camera.panX = camera.panY = 0.0f;
  camera.zoomOffset = 0.0f;
  ApplyProjection(camera);
}

void CameraReturn(Camera& camera, const SavedCamera& saved) {
  camera.yaw = saved.yaw;
  camera.pitch = saved.pitch;
  camera.roll = saved.roll;
  camera.panX = saved.panX;
  camera.panY = saved.panY;
  camera.zoomOffset = saved.zoomOffset;
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
      camera.pitch = camera.yaw = kHalfTurn;
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
