// Importing generated files of every import format; each format's cases are in bench/import/.
// The inputs are written to a temporary folder once and read from disk as Open reads them.
#include <benchmark/benchmark.h>
