// The fuzz targets that compile sources bound what a compile costs: its
// line's declared length sizes the cell track (up to 20,000 cells) and the
// track plan (up to a million points).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace fuzz {

// `text` with each run of more than five digits cut to its first five: a
// line shorter than 100 km.
inline std::string bounded_numbers(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t digits = 0;
  for (char c : text) {
    digits = (c >= '0' && c <= '9') ? digits + 1 : 0;
    if (digits <= 5) out += c;
  }
  return out;
}

// Whether an input's flag byte keeps every number as written: one input in
// eight, for the longest lines and the numbers that do not fit their field.
inline bool keeps_long_numbers(uint8_t flags) { return (flags & 0x1C) == 0x1C; }

}  // namespace fuzz
