// The JPEG reader: libjpeg-turbo with an error manager that returns instead of exiting.
//
// libjpeg reports a fatal error by calling error_exit, whose standard version ends the program.
// Ours jumps back to the one function that called setjmp, which destroys the decompressor and
// returns the failure. Everything that must survive the jump lives in a `Decoder` owned by the
// caller of that function, so no value the jump skips over is lost and no destructor is skipped.
#include "material/jpeg_decoder.h"

#include <csetjmp>
#include <cstddef>
#include <new>
#include <vector>

// clang-format off
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

namespace zmf::material {
namespace {

// A progressive file may repeat scans without end; honest encoders write a dozen or so.
constexpr int kMaxScans = 500;

struct ErrorManager {
  jpeg_error_mgr pub;  // first, so libjpeg's pointer to it is a pointer to the whole
  std::jmp_buf jump;
};

struct Decoder {
  jpeg_decompress_struct info{};  // zeroed, so destroying it is safe even if creation failed
  ErrorManager errors{};
  jpeg_progress_mgr progress{};
  std::vector<std::uint8_t> pixels;
  int width = 0;
  int height = 0;
  volatile bool readingHeader = true;
};

[[noreturn]] void JumpBack(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// Warnings (a missing end marker, stray bytes) leave the picture usable and are not shown.
void Silent(j_common_ptr) {}

void LimitScans(j_common_ptr info) {
  if (!info->is_decompressor) return;
  if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans) JumpBack(info);
}

DecodeStatus Run(Decoder& d, std::span<const std::uint8_t> file, int maxSide) {
  jpeg_decompress_struct& info = d.info;
  info.err = jpeg_std_error(&d.errors.pub);
  d.errors.pub.error_exit = JumpBack;
  d.errors.pub.output_message = Silent;
  d.progress.progress_monitor = LimitScans;

  if (setjmp(d.errors.jump) != 0) {
    const bool outOfMemory = d.errors.pub.msg_code == JERR_OUT_OF_MEMORY;
    jpeg_destroy_decompress(&info);
    if (outOfMemory) return DecodeStatus::OutOfMemory;
    return d.readingHeader ? DecodeStatus::BadHeader : DecodeStatus::Unreadable;
  }

  jpeg_create_decompress(&info);
  info.progress = &d.progress;
  jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
    jpeg_destroy_decompress(&info);
    return DecodeStatus::BadHeader;
  }
  d.readingHeader = false;

  // Refused before the library reserves its own buffers for the picture.
  if (info.image_width > unsigned(maxSide) || info.image_height > unsigned(maxSide)) {
    jpeg_destroy_decompress(&info);
    return DecodeStatus::Unreadable;
  }
  info.out_color_space = JCS_EXT_BGRX;  // grayscale is expanded; CMYK cannot be and fails here
  jpeg_start_decompress(&info);
  if (info.output_components != 4) {
    jpeg_destroy_decompress(&info);
    return DecodeStatus::Unreadable;
  }

  d.width = static_cast<int>(info.output_width);
  d.height = static_cast<int>(info.output_height);
  const std::size_t stride = std::size_t(info.output_width) * 4;
  try {
    d.pixels.resize(stride * info.output_height);
  } catch (const std::bad_alloc&) {
    jpeg_destroy_decompress(&info);
    return DecodeStatus::OutOfMemory;
  }
  while (info.output_scanline < info.output_height) {
    std::uint8_t* row = d.pixels.data() + std::size_t(info.output_scanline) * stride;
    JSAMPROW rows[1] = {row};
    if (jpeg_read_scanlines(&info, rows, 1) != 1) {  // only a suspending source returns 0
      jpeg_destroy_decompress(&info);
      return DecodeStatus::Unreadable;
    }
    // The library may put anything in X; a JPEG is opaque.
    for (std::size_t x = 3; x < stride; x += 4) row[x] = 255;
  }
  // Not finished: whatever follows the last row (trailing bytes included) cannot change the
  // picture, so it is not read.
  jpeg_destroy_decompress(&info);
  return DecodeStatus::Ok;
}

}  // namespace

DecodeStatus DecodeJpeg(std::span<const std::uint8_t> file, SourceImage& image, int maxSide) {
  Decoder d;
  const DecodeStatus status = Run(d, file, maxSide);
  if (status != DecodeStatus::Ok) return status;
  image.width = d.width;
  image.height = d.height;
  image.pixels = std::move(d.pixels);
  return status;
}

}  // namespace zmf::material
