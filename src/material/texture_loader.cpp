// Texture loading: read the file, decode it, build the texels, hand them to the store.
#include "material/texture_loader.h"

#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "material/bmp_decoder.h"
#include "material/jpeg_decoder.h"
#include "material/png_decoder.h"
#include "material/source_image.h"
#include "material/texels.h"

namespace zmf::material {
namespace {

constexpr std::string_view kUnrecognized = "Unrecognized texture format:";
constexpr std::string_view kCouldNotLoad = "Could not load texture file:";
constexpr std::string_view kBadJpegHeader = "Bad Table Format in jpg:";
constexpr std::string_view kNoMemory = "Could not allocate memory for texture load:";
constexpr std::string_view kSizeWarning = "Texture files should be powers of 2 in dimension:";

// The largest picture the decoders accept, stored without compression, with room for headers
// and palette; anything longer is not read into memory.
constexpr long long kMaxFileBytes =
    static_cast<long long>(kMaxImageSide) * kMaxImageSide * 4 + (1 << 20);

enum class Format { Bmp, Jpeg, Png, Unknown };

Format FormatOf(std::string_view file) {
  // The last three characters name the format; ".jpeg", JPEG's longer spelling, is one too.
  auto upper = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
  auto endsWith = [file, upper](std::string_view ending) {
    if (file.size() < ending.size()) return false;
    const std::string_view tail = file.substr(file.size() - ending.size());
    for (std::size_t i = 0; i < ending.size(); ++i) {
      if (upper(tail[i]) != ending[i]) return false;
    }
    return true;
  };
  if (endsWith("BMP")) return Format::Bmp;
  if (endsWith("JPG") || endsWith(".JPEG")) return Format::Jpeg;
  if (endsWith("PNG")) return Format::Png;
  return Format::Unknown;
}

enum class ReadResult { Ok, CannotOpen, Failed, OutOfMemory };

ReadResult ReadWholeFile(std::string_view file, std::vector<std::uint8_t>& bytes) {
  // A name with a NUL inside would open the file named by its first part.
  if (file.find('\0') != std::string_view::npos) return ReadResult::CannotOpen;
  std::FILE* f = std::fopen(std::string(file).c_str(), "rb");
  if (f == nullptr) return ReadResult::CannotOpen;
  ReadResult result = ReadResult::Failed;
  if (std::fseek(f, 0, SEEK_END) == 0) {
    const long long size = std::ftell(f);
    if (size >= 0 && size <= kMaxFileBytes && std::fseek(f, 0, SEEK_SET) == 0) {
      try {
        bytes.resize(static_cast<std::size_t>(size));
        if (std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size()) result = ReadResult::Ok;
      } catch (const std::bad_alloc&) {
        result = ReadResult::OutOfMemory;
      }
    }
  }
  std::fclose(f);
  return result;
}

}  // namespace

std::uint32_t LoadTexture(Host& host, TextureStore& store, std::string_view file,
                          std::uint32_t alphaMode, float alphaValue) {
  if (file.size() < 3) return 0;
  const Format format = FormatOf(file);
  if (format == Format::Unknown) {
    host.ErrorBox(kUnrecognized, file, Severity::Error);
    return 0;
  }
  const bool jpeg = format == Format::Jpeg;
  // A BMP that cannot be read is one the image loader could not load; a JPEG that cannot be
  // opened is passed over silently, and one that runs out of memory says so.
  const std::string_view noMemory = jpeg ? kNoMemory : kCouldNotLoad;

  SourceImage picture;
  {
    std::vector<std::uint8_t> bytes;
    switch (ReadWholeFile(file, bytes)) {
      case ReadResult::Ok:
        break;
      case ReadResult::CannotOpen:
        if (!jpeg) host.ErrorBox(kCouldNotLoad, file, Severity::Error);
        return 0;
      case ReadResult::Failed:
        host.ErrorBox(kCouldNotLoad, file, Severity::Error);
        return 0;
      case ReadResult::OutOfMemory:
        host.ErrorBox(noMemory, file, Severity::Error);
        return 0;
    }
    const DecodeStatus status = jpeg                    ? DecodeJpeg(bytes, picture)
                                : format == Format::Png ? DecodePng(bytes, picture)
                                                        : DecodeBmp(bytes, picture);
    switch (status) {
      case DecodeStatus::Ok:
        break;
      case DecodeStatus::Unreadable:
        host.ErrorBox(kCouldNotLoad, file, Severity::Error);
        return 0;
      case DecodeStatus::BadHeader:
        host.ErrorBox(kBadJpegHeader, file, Severity::Error);
        return 0;
      case DecodeStatus::OutOfMemory:
        host.ErrorBox(noMemory, file, Severity::Error);
        return 0;
    }
  }  // the file's bytes are released before the texels are made

  if (NeedsSizeWarning(picture.width, picture.height)) {
    host.ErrorBox(kSizeWarning, file, Severity::Warning);
  }

  TextureImage texture;
  if (!BuildTexels(picture, alphaMode, alphaValue, texture)) {
    host.ErrorBox(kNoMemory, file, Severity::Error);
    return 0;
  }
  return store.Create(texture.width, texture.height, texture.rgba.data());
}

}  // namespace zmf::material
