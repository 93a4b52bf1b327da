// Writes the big benchmark model as a ZMF file, for timing whole editor processes on it.
//
//   make_big_model grid|random VERTICES OUT.zmf
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench_model.h"
#include "big_model.h"
#include "format/zmf_writer.h"

int main(int argc, char** argv) {
  const std::string order = argc == 4 ? argv[1] : "";
  const long long n = argc == 4 ? std::atoll(argv[2]) : 0;
  if ((order != "grid" && order != "random") || n <= 0) {
    std::fprintf(stderr, "usage: make_big_model grid|random VERTICES OUT.zmf\n");
    return 2;
  }
  auto b = std::make_unique<zmf::BenchModel>();
  zmf::FillBigModel(b->model, n, order == "grid" ? zmf::FaceOrder::Grid : zmf::FaceOrder::Random);
  return zmf::format::WriteModelFile(b->model, argv[3]) ? 0 : 1;
}
