// Writes the big benchmark models to files, for timing whole editor processes on them: the ZMF
// model in grid or random face order, and the X and 3DS files that the import benchmarks read.
//
//   make_big_model grid|random VERTICES OUT.zmf
//   make_big_model x VERTICES OUT.x
//   make_big_model 3ds VERTICES OUT.3ds
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench_model.h"
#include "big_files.h"
#include "big_model.h"
#include "format/zmf_writer.h"

int main(int argc, char** argv) {
  const std::string kind = argc == 4 ? argv[1] : "";
  const long long n = argc == 4 ? std::atoll(argv[2]) : 0;
  const bool file = kind == "x" || kind == "3ds";
  if ((!file && kind != "grid" && kind != "random") || n <= 0 || (file && n > 100000000)) {
    std::fprintf(stderr,
                 "usage: make_big_model grid|random VERTICES OUT.zmf\n"
                 "       make_big_model x VERTICES OUT.x\n"
                 "       make_big_model 3ds VERTICES OUT.3ds\n");
    return 2;
  }
  namespace big = zmf::big_files;
  const auto count = static_cast<std::uint32_t>(n);
  if (file) {
    const std::string bytes = kind == "x" ? big::MakeX(big::XSide(count)) : big::Big3ds(count);
    return big::WriteBytes(argv[3], bytes) ? 0 : 1;
  }
  auto b = std::make_unique<zmf::BenchModel>();
  zmf::FillBigModel(b->model, n, kind == "grid" ? zmf::FaceOrder::Grid : zmf::FaceOrder::Random);
  return zmf::format::WriteModelFile(b->model, argv[3]) ? 0 : 1;
}
