// The payload's fixed layout, shared by its writer and its reader (all
// numbers little-endian):
//   start marker      16 bytes
//   format version    u32
//   payload size      u64   from the start marker to the end marker's end
//   piece count       u32
//   pieces            each: kind u32, size u64, then its bytes
//   checksum          32 bytes: SHA-256 of everything before it
//   end marker        16 bytes
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace payload::layout {

inline constexpr size_t kMarkerSize = 16;
inline constexpr size_t kHeaderSize = kMarkerSize + 4 + 8 + 4;
inline constexpr size_t kPieceHeaderSize = 4 + 8;
inline constexpr size_t kChecksumSize = 32;
inline constexpr size_t kTrailerSize = kChecksumSize + kMarkerSize;
inline constexpr size_t kVersionOffset = kMarkerSize;
inline constexpr size_t kSizeOffset = kVersionOffset + 4;
inline constexpr size_t kCountOffset = kSizeOffset + 8;

// The kinds of piece, stored in this order, each at most once.
enum PieceKind : uint32_t {
  kScenarioName = 1,
  kTrainNumber = 2,
  kFirstFile = 3,  // then one kind per entry of kFileOrder, in its order
};

inline void put_u32(std::string* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
inline void put_u64(std::string* out, uint64_t v) {
  for (int i = 0; i < 8; ++i) out->push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
inline uint32_t get_u32(std::string_view bytes, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bytes[at + i]);
  return v;
}
inline uint64_t get_u64(std::string_view bytes, size_t at) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bytes[at + i]);
  return v;
}

}  // namespace payload::layout
