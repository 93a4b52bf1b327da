// The viewport camera: projection, view matrix and its inverse, menu presets, drags, readouts;
// the pacing of its frames.
#include "view/camera.h"

#include <gtest/gtest.h>

#include <array>
#include <cfloat>
#include <cmath>
#include <random>

#include "model/transforms.h"
#include "model_fixture.h"
#include "view/frame_pacer.h"

namespace zmf::testing {
namespace {

using view::Camera;

// Positional: yaw, pitch, roll, panX, panY, zoomOffset, fitRadius; the projection applied.
Camera MakeCamera(float yaw, float pitch, float roll, float panX, float panY, float zoom, float r) {
  Camera camera{yaw, pitch, roll, panX, panY, zoom, r};
  view::ApplyProjection(camera);
  return camera;
}

TEST(Camera, ProjectionIsGlOrthoAndNeverUndefined) {
  Camera camera{.zoomOffset = -2.0f, .fitRadius = 4.0f};  // E = 2
  Matrix4 expected = Matrix4::Identity();
  expected[0] = expected[5] = 0.5f;
  expected[10] = -0.0005f;  // -2 / (far - near), near -2000, far 2000
  EXPECT_EQ(view::ApplyProjection(camera), expected);
  EXPECT_EQ(camera.zoomScale, 0.5f);
  camera.zoomOffset = -6.0f;  // E = -2: mirrored, depth too
  expected[0] = expected[5] = -0.5f;
  expected[10] = 0.0005f;
  EXPECT_EQ(view::ApplyProjection(camera), expected);
  camera.zoomOffset = -4.0f;  // E = 0: glOrtho refuses the box; every position is the origin
  EXPECT_EQ(view::ApplyProjection(camera), Matrix4::Identity());
  EXPECT_EQ(view::ScreenToModel(camera, view::BuildViewMatrix(camera), 0.7f, -0.2f), Vector3{});

  camera.fitRadius = 0.0f;
  camera.zoomOffset = NAN;
  view::ApplyProjection(camera);
  EXPECT_EQ(camera.fitRadius, 1.0f);
  EXPECT_EQ(camera.zoomOffset, 0.0f);
  // Zooming out far beyond the float range stops at the largest zoom-out; zooming in works.
  for (int i = 0; i < 200; ++i) view::DragCamera(camera, 0, -2.0f, true, false, true);
  EXPECT_EQ(camera.zoomScale, view::kMaxZoomScale);
  for (float x : view::ProjectionMatrix(camera).m) EXPECT_TRUE(std::isfinite(x));
  view::DragCamera(camera, 0, 0.75f, true, false, true);
  EXPECT_FLOAT_EQ(camera.zoomScale, 0.25f * view::kMaxZoomScale);
}

TEST(Camera, AViewportOfAnyShapeWidensTheBoxAlongItsLongerSide) {
  Camera camera{.zoomOffset = -2.0f, .fitRadius = 4.0f};  // E = 2
  view::ApplyProjection(camera);
  Matrix4 m = view::SetViewportSize(camera, 1024, 512);
  EXPECT_EQ(std::pair(m[0], m[5]), std::pair(0.25f, 0.5f));  // x -4 ... 4, y -2 ... 2
  EXPECT_EQ(m[10], -2.0f / 4000.0f);                         // the depth stays +-1000 E
  m = view::SetViewportSize(camera, 300, 600);
  EXPECT_EQ(std::pair(m[0], m[5]), std::pair(0.5f, 0.25f));
  // Pixels: 0 at the centre, 1 half the shorter side away.
  EXPECT_EQ(view::NormalisedPixel(camera, 0.0f, false), -1.0f);
  EXPECT_EQ(view::NormalisedPixel(camera, 0.0f, true), -2.0f);
  EXPECT_EQ(view::NormalisedPixel(camera, 375.0f, true), 0.5f);
  // No size is ever empty.
  view::SetViewportSize(camera, 0, -5);
  EXPECT_EQ(std::pair(camera.viewportWidth, camera.viewportHeight), std::pair(1, 1));
  EXPECT_EQ(view::ProjectionMatrix(camera)[0], 0.5f);
}

TEST_F(ModelTest, FitViewTakesTheRadiusAndAlwaysAPositiveSize) {
  Camera camera{.zoomOffset = 5.0f};
  const Matrix4 fitted = view::FitView(camera, model);
  EXPECT_EQ(fitted, view::ProjectionMatrix(camera));
  EXPECT_EQ(camera.zoomScale, 6.0f);  // empty: radius 1, the zoom offset kept
  AddVertex(0, 0, 0);
  view::FitView(camera, model);
  EXPECT_EQ(camera.fitRadius, 1.0f);  // radius 0
  AddVertex(3, 4, 0);
  view::FitView(camera, model);
  EXPECT_EQ(camera.zoomScale, 2.0f);
  AddVertex(INFINITY, 0, 0);
  view::FitView(camera, model);
  EXPECT_EQ(camera.fitRadius, view::kMaxFitRadius);
}

TEST(Camera, EachPresetShowsTheModelFromItsSideWithAConsistentUp) {
  // Where the model's +x, +y and +z land in view space (x right, y up, z towards the viewer).
  struct Case {
    view::CameraPreset preset;
    std::array<Vector3, 3> axes;
  };
  const Case cases[] = {
      {view::CameraPreset::Front, {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}},
      {view::CameraPreset::Back, {{{-1, 0, 0}, {0, 1, 0}, {0, 0, -1}}}},
      {view::CameraPreset::Left, {{{0, 0, -1}, {0, 1, 0}, {1, 0, 0}}}},
      {view::CameraPreset::Right, {{{0, 0, 1}, {0, 1, 0}, {-1, 0, 0}}}},
      {view::CameraPreset::Top, {{{1, 0, 0}, {0, 0, 1}, {0, -1, 0}}}},
      {view::CameraPreset::Bottom, {{{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}}},
  };
  const Vector3 unit[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  for (const Case& c : cases) {
    Camera camera{.roll = 0.3f, .panX = 0.5f, .zoomOffset = 1.0f, .fitRadius = 10.0f};
    view::CameraZero(camera);
    view::ApplyPreset(camera, c.preset);
    const Matrix4 view = view::BuildViewMatrix(camera);
    for (int a = 0; a < 3; ++a) {
      const Vector3 got = TransformPoint(view, unit[a]);
      EXPECT_NEAR(got.x, c.axes[a].x, 1e-5f) << int(c.preset) << " axis " << a;
      EXPECT_NEAR(got.y, c.axes[a].y, 1e-5f) << int(c.preset) << " axis " << a;
      EXPECT_NEAR(got.z, c.axes[a].z, 1e-5f) << int(c.preset) << " axis " << a;
    }
  }

  // The shared Euler rotation bit for bit, and the pan in half-extents (E = 4).
  Camera camera = MakeCamera(0.4f, -1.2f, 2.5f, 0.25f, -0.5f, 2.0f, 2.0f);
  Matrix4 expected = EulerMatrix(-1.2f, 0.4f, 2.5f);
  expected[12] = 1.0f;
  expected[13] = -2.0f;
  EXPECT_EQ(view::BuildViewMatrix(camera), expected);
  // Back sets pitch and yaw from any view; roll and pan stay.
  view::ApplyPreset(camera, view::CameraPreset::Back);
  expected = EulerMatrix(0.0f, 3.14159265f, 2.5f);
  expected[12] = 1.0f;
  expected[13] = -2.0f;
  EXPECT_EQ(view::BuildViewMatrix(camera), expected);
}

TEST(Camera, ZoomPresetsSetTheExtentInRadii) {
  const float extents[] = {1.25f, 2.5f, 5.0f, 10.0f, 30.0f, 50.0f};
  for (int i = 0; i < 6; ++i) {
    Camera camera{.zoomOffset = 7.0f, .fitRadius = 10.0f};
    view::ApplyZoom(camera, static_cast<view::ZoomPreset>(i));
    EXPECT_EQ(view::ProjectionMatrix(camera)[0], 1.0f / extents[i]) << i;
  }
}

TEST(Camera, ReturnBringsBackTheSavedViewButNotTheRadius) {
  Camera camera = MakeCamera(0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 2.0f, 4.0f);
  const Matrix4 before = view::BuildViewMatrix(camera);
  const view::SavedCamera saved = view::SaveCamera(camera);
  view::DragCamera(camera, 0.3f, 0.2f, true, true, true);
  view::ApplyZoom(camera, view::ZoomPreset::Percent25);
  view::CameraReturn(camera, saved);
  EXPECT_EQ(view::BuildViewMatrix(camera), before);
  EXPECT_EQ(view::CameraReadout(camera), "(0.100,0.200,0.300,1.500)");
  camera.fitRadius = 8.0f;  // a new file fitted in between
  view::CameraReturn(camera, saved);
  EXPECT_EQ(camera.zoomScale, 1.25f);
}

TEST(Camera, DragsPanZoomAndTurn) {
  Camera camera{.fitRadius = 10.0f};
  view::DragCamera(camera, 0.25f, 0.5f, true, false, true);  // Shift: a quarter viewport down
  EXPECT_EQ(camera.zoomOffset, -5.0f);
  EXPECT_EQ(camera.HalfExtent(), 5.0f);
  view::DragCamera(camera, 0.25f, 0.5f, true, true, false);  // both buttons, no Shift
  view::DragCamera(camera, 0, -0.25f, false, true, true);    // right with Shift rolls
  const view::SavedCamera s = view::SaveCamera(camera);
  EXPECT_EQ((std::array{s.yaw, s.pitch, s.roll, s.panX, s.panY, s.zoomOffset}),
            (std::array{0.5f, 1.0f, -0.5f, 0.5f, -0.5f, -5.0f}));
}

TEST(Camera, ScreenPositionsGoBackThroughTheViewMatrix) {
  Camera camera{.roll = 0.4f, .fitRadius = 10.0f};
  view::ApplyPreset(camera, view::CameraPreset::Top);  // the centre: the origin at depth 0
  EXPECT_EQ(view::ScreenToModel(camera, view::BuildViewMatrix(camera), 0, 0), Vector3{});
  camera = {.panX = 0.5f, .fitRadius = 10.0f};
  EXPECT_EQ(view::PositionReadout(
                view::ScreenToModel(camera, view::BuildViewMatrix(camera), 0.25f, -0.25f)),
            "(-2.500,-2.500,0.000)");
  EXPECT_EQ(view::PositionReadout({-FLT_MAX, 0, 0}).back(), ')');

  std::mt19937 random(7);
  std::uniform_real_distribution<float> angle(-7.0f, 7.0f), unit(-1.0f, 1.0f);
  for (int i = 0; i < 200; ++i) {
    camera = MakeCamera(angle(random), angle(random), angle(random), unit(random), unit(random),
                        0.0f, 3.0f);
    const float a = unit(random), b = unit(random), e = 3.0f, tolerance = 1e-5f * 2 * e;
    const Matrix4 m = view::BuildViewMatrix(camera);
    const Vector3 p = TransformPoint(m, view::ScreenToModel(camera, m, a, b));
    const Vector3 q = TransformPoint(m, view::ScreenToModelXZ(camera, m, a, b));
    EXPECT_LT(Length(p - Vector3{a * e, b * e, 0}), tolerance);
    EXPECT_LT(Length(q - Vector3{a * e, 0, b * e}), tolerance);
  }
}

TEST(FramePacer, DrawsOnlyMoreThanThirtyMillisecondsAfterTheLastFrame) {
  ManualClock clock;
  clock.Set(10.0f);
  view::FramePacer pacer(clock);  // the last frame counts as drawn at 10.0
  clock.Set(10.02f);
  EXPECT_FALSE(pacer.FrameDue());
  EXPECT_NEAR(pacer.FrameElapsed(), 0.02f, 1e-5f);
  clock.Set(10.0305f);
  EXPECT_TRUE(pacer.FrameDue());  // the skipped request did not move the last frame's time
  clock.Set(10.05f);
  EXPECT_FALSE(pacer.FrameDue());  // 0.0195 after the frame at 10.0305
  clock.Set(10.062f);
  EXPECT_TRUE(pacer.FrameDue());
  EXPECT_FALSE(pacer.FrameDue());  // a second request at the same time draws nothing

  // Exactly the interval is not enough: frames are strictly more than 0.03 s apart.
  ManualClock whole;
  view::FramePacer strict(whole);
  whole.Set(view::FramePacer::kFrameInterval);
  EXPECT_FALSE(strict.FrameDue());

  // A clock set back (a script's earlier time) starts the count again rather than stalling.
  clock.Set(1.0f);
  EXPECT_FALSE(pacer.FrameDue());
  clock.Set(1.031f);
  EXPECT_TRUE(pacer.FrameDue());
}

}  // namespace
}  // namespace zmf::testing
