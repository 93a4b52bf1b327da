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
  constexpr std::uint32_t kSide = 64;
  constexpr std::uint32_t kPixels = kSide * kSide * 3;
  std::string bytes;
  auto u16 = [&](std::uint32_t v) {
    bytes += static_cast<char>(v & 0xFF);
    bytes += static_cast<char>((v >> 8) & 0xFF);
  };
  auto u32 = [&](std::uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  };
  bytes += "BM";
  u32(54 + kPixels);
  u32(0);
  u32(54);
  u32(40);
  u32(kSide);
  u32(kSide);
  u16(1);
  u16(24);
  u32(0);
  u32(kPixels);
  u32(2835);
  u32(2835);
  u32(0);
  u32(0);
  for (std::uint32_t i = 0; i < kSide * kSide; ++i) {
    bytes += static_cast<char>(blue);
    bytes += static_cast<char>(green);
    bytes += static_cast<char>(red);
  }
  return bytes;
}

}  // namespace zmf::testing
