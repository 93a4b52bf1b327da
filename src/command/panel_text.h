// Numbers typed into prompts and edit boxes, read the way the editor has always read them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/math_types.h"

namespace zmf::command {

// An edit box's number: leading blanks skipped, then the longest number at the start; text that
// does not start with a number reads 0.
float BoxNumber(std::string_view text);

// Reads numbers separated by blanks (as "%f %f %f" does) into `values`; returns how many were
// read before the first word that is not a number as a whole ("1.5.5", "2x"); the values after
// it are left as they were.
std::size_t ScanNumbers(std::string_view text, std::span<float> values);

// The row a list pick names: the one argument as a number below `rows`; nullopt, with the
// reason in `problem`, when it is not a row of the list.
std::optional<std::uint32_t> PickedRow(std::span<const std::string> arguments, std::uint32_t rows,
                                       std::string& problem);

// A matrix from sixteen edit boxes in element order m0 ... m15; false unless there are 16.
bool MatrixFromBoxes(std::span<const std::string> boxes, Matrix4& matrix);

}  // namespace zmf::command
