// The viewport's picture as a BMP file: 512 x 512 pixels, 16 bits each (5-5-5), rows bottom-up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "model/model.h"

namespace zmf::exporters {

inline constexpr int kScreenshotSize = kViewportSize;
// 14 bytes of file header, 40 of information header, then 512 rows of 1024 bytes.
inline constexpr std::size_t kScreenshotHeaderSize = 54;
inline constexpr std::size_t kScreenshotFileSize =
    kScreenshotHeaderSize + kScreenshotSize * kScreenshotSize * 2;

// The whole file for a frame read back as RGBA bytes, bottom row first (the order glReadPixels
// gives). `rgba` holds width x height pixels; the picture is its bottom-left 512 x 512 part,
// and whatever lies beyond a smaller frame is black.
std::vector<std::uint8_t> EncodeScreenshotBmp(std::span<const std::uint8_t> rgba, int width,
                                              int height);

// Writes EncodeScreenshotBmp's file through the atomic save. A file that cannot be written is
// reported ("Could not write to file:" with the path) and leaves any old file as it was.
bool WriteScreenshotBmp(Model& model, std::string_view path, std::span<const std::uint8_t> rgba,
                        int width, int height);

}  // namespace zmf::exporters
