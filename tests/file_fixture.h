// Temporary folders and small files for tests that read and write real files.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace zmf::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zmf-test.XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

 private:
  std::string path_;
};

inline void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline bool FileExists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(path, ignored);
}

// The files in a folder, by name.
inline std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// A 64 x 64 24-bit bottom-up BMP of one colour: a texture the loader takes without a warning.
inline std::string SolidBmp64(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
  constexpr std::uint32_t kPixels = 64 * 64 * 3;
  std::string bytes = "BM";
  // File size, reserved, pixel offset; the info header: size, width, height, planes and bits
  // (as one 32-bit word), compression, image size, resolution, palette.
  for (std::uint32_t v :
       {54 + kPixels, 0u, 54u, 40u, 64u, 64u, 1u | 24u << 16, 0u, kPixels, 2835u, 2835u, 0u, 0u}) {
    for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((v >> shift) & 0xFF);
  }
  for (std::uint32_t i = 0; i < 64 * 64; ++i) {
    bytes += {static_cast<char>(blue), static_cast<char>(green), static_cast<char>(red)};
  }
  return bytes;
}

}  // namespace zmf::testing
