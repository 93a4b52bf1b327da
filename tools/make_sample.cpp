// Writes the sample model that `make run` opens: a segmented worm, rearing its head, whose body
// wears a skin texture and whose head has a plain material of its own, on a spine of five bones,
// with a crawl that loops. Every view of the editor has something to show on it: faces and
// vertices, smooth normals with duplicate points along the texture seam and the neck, a lit
// textured material, and a posed skeleton with full and shared vertex weights.
//
//   make_sample OUT_DIR    writes OUT_DIR/worm.zmf and OUT_DIR/worm.bmp beside it
//
// The output depends on nothing but this program, so running it again gives the same bytes
// (the build checks the copies in examples/ that way).
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "anim/animation.h"
#include "anim/skeleton.h"
#include "format/zmf_writer.h"
#include "model/model.h"
#include "model/scripted_host.h"

namespace {

using zmf::Matrix4;
using zmf::Model;
using zmf::Vector3;
using zmf::Vertex;

constexpr double kPi = std::numbers::pi;
constexpr char kTextureFile[] = "worm.bmp";

// ---- shape
//
// The worm lies in the xy plane facing the front camera: its body runs along the ground to the
// right, then bends up through a quarter circle and rears its head. Everything is placed by
// arc length s along that spine. A ring of kSides vertices goes round the spine at each place;
// a vertex at angle a sits at radius r towards sin(a) N + cos(a) z, N being the spine's normal
// in the plane (up while the spine runs right), so angle 0 faces the camera. The body's rings
// carry one more vertex, a copy of the first with u = 1, where the texture's seam runs down the
// front.

constexpr int kSides = 16;
constexpr int kBodyRings = 17;  // s = 0, 0.25, ..., 4
constexpr double kRingStep = 0.25;
constexpr double kBodyLength = kRingStep * (kBodyRings - 1);
constexpr double kTailTip = -0.22;

// The head: rings from the neck (on the body's last ring) to the nose, then its tip.
constexpr std::array<double, 4> kHeadS = {kBodyLength, 4.22, 4.42, 4.56};
constexpr std::array<double, 4> kHeadRadius = {0.30, 0.33, 0.27, 0.15};
constexpr double kHeadTip = 4.63;

// The spine: straight along +x from its start, a quarter circle up, then straight up.
constexpr double kStartX = -1.75;
constexpr double kStartY = -0.85;
constexpr double kGround = 2.1;  // length of the straight part on the ground
constexpr double kBendRadius = 1.0;
constexpr double kBendLength = 0.5 * kPi * kBendRadius;

struct SpinePoint {
  double x, y;    // where the spine is
  double tx, ty;  // which way it runs (unit length)
};

SpinePoint Spine(double s) {
  if (s <= kGround) return {kStartX + s, kStartY, 1.0, 0.0};
  const double centreX = kStartX + kGround;
  const double centreY = kStartY + kBendRadius;
  if (s <= kGround + kBendLength) {
    const double t = (s - kGround) / kBendRadius;
    return {centreX + kBendRadius * std::sin(t), centreY - kBendRadius * std::cos(t), std::cos(t),
            std::sin(t)};
  }
  return {centreX + kBendRadius, centreY + (s - kGround - kBendLength), 0.0, 1.0};
}

// Segments bulge between creases: even rings are creases, odd ones bulges. The first 1.2 units
// narrow towards the tail's tip.
double BodyRadius(int ring) {
  const double s = kRingStep * ring;
  const double segment = ring % 2 == 0 ? 0.30 : 0.36;
  const double taper = s < 1.2 ? 0.42 + 0.58 * s / 1.2 : 1.0;
  return segment * taper;
}

// The slope of a profile at one of its points, from its neighbours (one-sided at the ends).
template <class Radius>
double Slope(int i, int count, const Radius& radius, const double* ss) {
  const int lo = i > 0 ? i - 1 : i;
  const int hi = i + 1 < count ? i + 1 : i;
  return (radius(hi) - radius(lo)) / (ss[hi] - ss[lo]);
}

Vector3 ToFloat(double x, double y, double z) {
  return {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
}

double Angle(int side) { return 2.0 * kPi * side / kSides; }

Vertex* AddVertex(Model& model, const Vector3& position, const Vector3& normal, double u,
                  double v) {
  Vertex* vertex = model.AppendVertex();
  model.SetVertex(vertex, position, normal, static_cast<float>(u), static_cast<float>(v));
  return vertex;
}

// The vertex of a ring at place s with radius r and radius slope `slope`, at angle a; its
// normal is the unit normal of the surface the rings sweep.
Vertex* AddRingVertex(Model& model, double s, double r, double slope, double a, double u,
                      double v) {
  const SpinePoint p = Spine(s);
  const double nx = -p.ty, ny = p.tx;  // the spine's normal in the plane
  const double rx = std::sin(a) * nx, ry = std::sin(a) * ny, rz = std::cos(a);
  const double length = std::sqrt(1.0 + slope * slope);
  return AddVertex(model, ToFloat(p.x + r * rx, p.y + r * ry, r * rz),
                   ToFloat((rx - slope * p.tx) / length, (ry - slope * p.ty) / length, rz / length),
                   u, v);
}

// A vertex on the spine itself (a tip), its normal along the spine times `direction`.
Vertex* AddTipVertex(Model& model, double s, double direction, double u, double v) {
  const SpinePoint p = Spine(s);
  return AddVertex(model, ToFloat(p.x, p.y, 0.0), ToFloat(direction * p.tx, direction * p.ty, 0), u,
                   v);
}

void AddFace(Model& model, Vertex* a, Vertex* b, Vertex* c, std::uint32_t material) {
  zmf::Face* face = model.faces.Allocate();
  face->a = a;
  face->b = b;
  face->c = c;
  model.AddFace(face, material);
}

// The quads between two rings, each as two faces wound counter-clockwise seen from outside.
void JoinRings(Model& model, const std::vector<Vertex*>& back, const std::vector<Vertex*>& front,
               std::uint32_t material) {
  const std::size_t n = std::min(back.size(), front.size());
  const bool closed = back.size() == kSides;  // a head ring has no seam copy: it wraps round
  for (std::size_t s = 0; s + (closed ? 0 : 1) < n; ++s) {
    const std::size_t t = (s + 1) % n;
    AddFace(model, back[s], front[s], front[t], material);
    AddFace(model, back[s], front[t], back[t], material);
  }
}

struct Ring {
  double s = 0.0;
  std::vector<Vertex*> vertices;
};

struct Worm {
  std::vector<Ring> body;  // kBodyRings rings of kSides + 1
  std::vector<Ring> head;  // kHeadS.size() rings of kSides
  Vertex* tailTip = nullptr;
  Vertex* headTip = nullptr;
};

// The body (material 0, textured: u round the body from the front seam, v from the tail to the
// neck) and the head (material 1). The head's first ring lies on the body's last: the two meet
// without a gap but each keeps its own normals and texture coordinates.
Worm BuildMesh(Model& model) {
  Worm worm;
  std::array<double, kBodyRings> bodyS{};
  for (int k = 0; k < kBodyRings; ++k) bodyS[k] = kRingStep * k;

  worm.tailTip = AddTipVertex(model, kTailTip, -1.0, 0.5, 0.0);
  for (int k = 0; k < kBodyRings; ++k) {
    const double slope = Slope(k, kBodyRings, BodyRadius, bodyS.data());
    const double v = bodyS[k] / kBodyLength;
    Ring ring{bodyS[k], {}};
    for (int side = 0; side <= kSides; ++side) {
      // The seam copy sits exactly on the first vertex.
      ring.vertices.push_back(AddRingVertex(model, bodyS[k], BodyRadius(k), slope,
                                            Angle(side % kSides),
                                            static_cast<double>(side) / kSides, v));
    }
    worm.body.push_back(std::move(ring));
  }

  const auto headRadius = [](int i) { return kHeadRadius[i]; };
  const int headRings = static_cast<int>(kHeadS.size());
  for (int i = 0; i < headRings; ++i) {
    const double slope = Slope(i, headRings, headRadius, kHeadS.data());
    Ring ring{kHeadS[i], {}};
    for (int side = 0; side < kSides; ++side) {
      ring.vertices.push_back(AddRingVertex(model, kHeadS[i], kHeadRadius[i], slope, Angle(side),
                                            static_cast<double>(side) / kSides, 1.0));
    }
    worm.head.push_back(std::move(ring));
  }
  worm.headTip = AddTipVertex(model, kHeadTip, 1.0, 0.5, 1.0);

  // Tail cap, body, head, nose cap.
  const std::vector<Vertex*>& tail = worm.body.front().vertices;
  for (int side = 0; side < kSides; ++side) {
    AddFace(model, worm.tailTip, tail[side], tail[side + 1], 0);
  }
  for (int k = 0; k + 1 < kBodyRings; ++k) {
    JoinRings(model, worm.body[k].vertices, worm.body[k + 1].vertices, 0);
  }
  for (int i = 0; i + 1 < headRings; ++i) {
    JoinRings(model, worm.head[i].vertices, worm.head[i + 1].vertices, 1);
  }
  const std::vector<Vertex*>& nose = worm.head.back().vertices;
  for (int side = 0; side < kSides; ++side) {
    AddFace(model, worm.headTip, nose[(side + 1) % kSides], nose[side], 1);
  }
  return worm;
}

// ---- materials

void SetColour(zmf::Colour& colour, float r, float g, float b) { colour = {r, g, b, 1.0f}; }

void SetMaterials(Model& model) {
  model.materialCount = 2;
  model.SetMaterialDefaults(0);
  model.SetMaterialDefaults(1);

  zmf::Material& skin = model.materials[0];
  skin.name.Set("skin");
  SetColour(skin.ambient, 0.35f, 0.35f, 0.35f);
  SetColour(skin.diffuse, 1.0f, 1.0f, 1.0f);
  SetColour(skin.specular, 0.25f, 0.25f, 0.25f);
  skin.shininess = 24;
  skin.hasTexture = 1;
  skin.textureFile = kTextureFile;
  skin.alphaMode = 0;

  zmf::Material& head = model.materials[1];
  head.name.Set("head");
  SetColour(head.ambient, 0.3f, 0.12f, 0.12f);
  SetColour(head.diffuse, 0.85f, 0.38f, 0.36f);
  SetColour(head.specular, 0.5f, 0.5f, 0.5f);
  head.shininess = 40;
}

// ---- skeleton
//
// A chain from the tail: each joint's bone moves the rings from that joint up to the next one.
// A ring exactly on a joint belongs half to each bone, so the body bends smoothly there. Each
// bone's x axis runs along the spine and its y axis along the worm's back.

struct Joint {
  const char* name;
  double s;
};
constexpr std::array<Joint, 5> kJoints = {
    {{"tail", 0.5}, {"back", 1.5}, {"middle", 2.5}, {"front", 3.5}, {"head", kBodyLength}}};

// Model space to the bone's space at place s: the spine's point there becomes the origin, its
// direction x and its normal y.
Matrix4 BoneSpaceAt(double s) {
  const SpinePoint p = Spine(s);
  Matrix4 m = Matrix4::Identity();
  m[0] = static_cast<float>(p.tx);
  m[1] = static_cast<float>(-p.ty);
  m[4] = static_cast<float>(p.ty);
  m[5] = static_cast<float>(p.tx);
  m[12] = static_cast<float>(-(p.tx * p.x + p.ty * p.y));
  m[13] = static_cast<float>(p.ty * p.x - p.tx * p.y);
  return m;
}

// The bones that move a vertex at place s: the one whose span holds it, or the two that meet at
// a joint there. The tail bone's span reaches back past its own joint to the tail's tip, and the
// head's forward to the nose.
std::vector<std::uint32_t> BonesAt(double s) {
  std::vector<std::uint32_t> bones;
  for (std::uint32_t b = 0; b < kJoints.size(); ++b) {
    const bool afterStart = b == 0 || s >= kJoints[b].s;
    const bool beforeEnd = b + 1 == kJoints.size() || s <= kJoints[b + 1].s;
    if (afterStart && beforeEnd) bones.push_back(b);
  }
  return bones;
}

void WeightVertex(Model& model, Vertex* vertex, double s) {
  for (std::uint32_t bone : BonesAt(s)) zmf::anim::AddVertexWeight(model, bone, vertex);
}

bool BuildSkeleton(Model& model, const Worm& worm) {
  // A bone's local matrix takes its parent's space to its own.
  for (std::size_t b = 0; b < kJoints.size(); ++b) {
    const Matrix4 space = BoneSpaceAt(kJoints[b].s);
    const Matrix4 local =
        b == 0 ? space
               : zmf::anim::Compose(zmf::anim::Invert(BoneSpaceAt(kJoints[b - 1].s)), space);
    const auto parent = static_cast<std::int32_t>(b) - 1;
    if (!zmf::anim::AddBone(model, kJoints[b].name, parent, local, 1.0f)) return false;
  }
  zmf::anim::EvaluateHierarchy(model);

  WeightVertex(model, worm.tailTip, kTailTip);
  for (const Ring& ring : worm.body) {
    for (Vertex* v : ring.vertices) WeightVertex(model, v, ring.s);
  }
  // The neck ring lies on the head's joint and shares its weights with the body's last ring.
  for (const Ring& ring : worm.head) {
    for (Vertex* v : ring.vertices) WeightVertex(model, v, ring.s);
  }
  WeightVertex(model, worm.headTip, kHeadTip);
  return true;
}

// ---- animation
//
// "crawl": a wave runs from the tail to the head, each joint bending about its bone's z axis
// (in the worm's plane) a quarter of the wave after the one behind it. Four poses a quarter of
// the loop apart; the fifth key repeats the first, so the loop closes without a jump.

constexpr float kCrawlSeconds = 2.0f;
constexpr std::uint32_t kCrawlKeys = 5;
constexpr std::array<double, 5> kBend = {0.0, 0.22, 0.28, 0.30, 0.34};  // radians, per joint

// A key bone's matrix takes the bone's space to its parent's: the bend about the joint, then
// the bone's rest pose (the inverse of its local matrix).
Matrix4 Pose(const Model& model, std::uint32_t bone, double phase) {
  const double angle = kBend[bone] * std::sin(2.0 * kPi * phase - 0.5 * kPi * bone);
  Matrix4 bend = Matrix4::Identity();
  bend[0] = static_cast<float>(std::cos(angle));
  bend[1] = static_cast<float>(std::sin(angle));
  bend[4] = -bend[1];
  bend[5] = bend[0];
  return zmf::anim::Compose(bend, zmf::anim::Invert(model.bones[bone].localMatrix));
}

bool BuildAnimation(Model& model) {
  if (!zmf::anim::AddAnimation(model, "crawl", kCrawlKeys, kCrawlSeconds)) return false;
  model.currentKey = 0;
  for (std::uint32_t b = 0; b < model.boneCount; ++b) {
    if (!zmf::anim::AddKeyBone(model, b)) return false;
  }
  zmf::Animation& crawl = model.animation(static_cast<std::uint32_t>(model.currentAnimation));
  for (std::uint32_t k = 0; k < kCrawlKeys; ++k) {
    const double phase = static_cast<double>(k % (kCrawlKeys - 1)) / (kCrawlKeys - 1);
    for (std::uint32_t j = 0; j < crawl.keys[k].keyBoneCount; ++j) {
      zmf::KeyBone& keyBone = crawl.keys[k].keyBones[j];
      keyBone.matrix = Pose(model, keyBone.boneIndex, phase);
    }
  }
  return true;
}

// ---- texture
//
// Earthworm skin: a dark back (u = 1/4) fading to a pale belly (u = 3/4), eight segments along
// v with dark creases between them, a saddle of redder skin two segments from the head, and a
// fine speckle.

constexpr int kTextureSide = 128;
constexpr int kSegments = 8;

struct Rgb {
  double r, g, b;
};

Rgb Mix(const Rgb& a, const Rgb& b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// A fixed pseudo-random number in [0, 1) for a pixel.
double Speckle(int x, int y) {
  std::uint32_t h =
      static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  h ^= h >> 15;
  return static_cast<double>(h & 0xFFFFu) / 65536.0;
}

Rgb SkinColour(int x, int y) {
  const double u = (x + 0.5) / kTextureSide;
  const double v = (y + 0.5) / kTextureSide;
  const Rgb back = {128, 62, 64};
  const Rgb belly = {226, 168, 156};
  const Rgb saddle = {214, 104, 84};
  const double up = 0.5 + 0.5 * std::cos(2.0 * kPi * (u - 0.25));  // 1 on the back
  Rgb c = Mix(belly, back, up);

  const double along = v * kSegments;
  const int segment = static_cast<int>(along);
  if (segment == kSegments - 2) c = Mix(c, saddle, 0.75);
  const double fromCrease = std::abs(along - segment - 0.5) * 2.0;  // 1 on a crease
  double shade = 1.0 - 0.45 * std::pow(fromCrease, 6.0);
  shade *= 0.92 + 0.16 * Speckle(x, y);
  return {c.r * shade, c.g * shade, c.b * shade};
}

void PutLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint8_t Channel(double value) {
  const long rounded = std::lround(value);
  return static_cast<std::uint8_t>(rounded < 0 ? 0 : rounded > 255 ? 255 : rounded);
}

// A 24-bit BMP with the 40-byte header, rows bottom-up (each a multiple of four bytes here).
bool WriteTexture(const std::string& path) {
  constexpr std::uint32_t kRowBytes = kTextureSide * 3;
  constexpr std::uint32_t kPixelBytes = kRowBytes * kTextureSide;
  constexpr std::uint32_t kHeaderBytes = 14 + 40;
  std::vector<std::uint8_t> file;
  file.push_back('B');
  file.push_back('M');
  PutLittleEndian(file, kHeaderBytes + kPixelBytes, 4);
  PutLittleEndian(file, 0, 4);
  PutLittleEndian(file, kHeaderBytes, 4);
  PutLittleEndian(file, 40, 4);
  PutLittleEndian(file, kTextureSide, 4);
  PutLittleEndian(file, kTextureSide, 4);
  PutLittleEndian(file, 1, 2);   // planes
  PutLittleEndian(file, 24, 2);  // bits per pixel
  PutLittleEndian(file, 0, 4);   // no compression
  PutLittleEndian(file, kPixelBytes, 4);
  PutLittleEndian(file, 2835, 4);  // 72 dots per inch
  PutLittleEndian(file, 2835, 4);
  PutLittleEndian(file, 0, 4);
  PutLittleEndian(file, 0, 4);
  for (int row = kTextureSide - 1; row >= 0; --row) {
    for (int x = 0; x < kTextureSide; ++x) {
      const Rgb c = SkinColour(x, row);
      file.push_back(Channel(c.b));
      file.push_back(Channel(c.g));
      file.push_back(Channel(c.r));
    }
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  return static_cast<bool>(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_sample OUT_DIR\n");
    return 2;
  }
  const std::string folder = argv[1];
  auto host = std::make_unique<zmf::ScriptedHost>();
  auto textures = std::make_unique<zmf::RecordingTextureStore>();
  auto model = std::make_unique<Model>(*host, *textures);

  SetMaterials(*model);
  const Worm worm = BuildMesh(*model);
  if (!BuildSkeleton(*model, worm) || !BuildAnimation(*model)) {
    std::fprintf(stderr, "make_sample: the skeleton or its animation was refused\n");
    return 1;
  }
  if (!WriteTexture(folder + "/" + kTextureFile)) {
    std::fprintf(stderr, "make_sample: could not write %s/%s\n", folder.c_str(), kTextureFile);
    return 1;
  }
  if (!zmf::format::WriteModelFile(*model, folder + "/worm.zmf")) {
    std::fprintf(stderr, "make_sample: could not write %s/worm.zmf\n", folder.c_str());
    return 1;
  }
  return 0;
}
