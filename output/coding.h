// Little-endian encoding of the binary files' fixed-layout fields, one small
// helper per width. Records are written field by field, never dumped.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace output {

inline void put_u8(std::string* dst, uint8_t v) { dst->push_back(static_cast<char>(v)); }

inline void put_u16_le(std::string* dst, uint16_t v) {
  char buf[2] = {static_cast<char>(v & 0xff), static_cast<char>(v >> 8)};
  dst->append(buf, 2);
}

inline void put_i16_le(std::string* dst, int16_t v) { put_u16_le(dst, static_cast<uint16_t>(v)); }

inline void put_u32_le(std::string* dst, uint32_t v) {
  char buf[4] = {static_cast<char>(v & 0xff), static_cast<char>((v >> 8) & 0xff),
                 static_cast<char>((v >> 16) & 0xff), static_cast<char>(v >> 24)};
  dst->append(buf, 4);
}

inline void put_i32_le(std::string* dst, int32_t v) { put_u32_le(dst, static_cast<uint32_t>(v)); }

inline void put_f64_le(std::string* dst, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  put_u32_le(dst, static_cast<uint32_t>(bits));
  put_u32_le(dst, static_cast<uint32_t>(bits >> 32));
}

// The same encodings into a buffer already sized for them, for the large
// tables; each returns the position after what it wrote.
inline char* encode_u16_le(char* dst, uint16_t v) {
  dst[0] = static_cast<char>(v & 0xff);
  dst[1] = static_cast<char>(v >> 8);
  return dst + 2;
}
inline char* encode_i16_le(char* dst, int16_t v) {
  return encode_u16_le(dst, static_cast<uint16_t>(v));
}
inline char* encode_u32_le(char* dst, uint32_t v) {
  dst[0] = static_cast<char>(v & 0xff);
  dst[1] = static_cast<char>((v >> 8) & 0xff);
  dst[2] = static_cast<char>((v >> 16) & 0xff);
  dst[3] = static_cast<char>(v >> 24);
  return dst + 4;
}
inline char* encode_f64_le(char* dst, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  dst = encode_u32_le(dst, static_cast<uint32_t>(bits));
  return encode_u32_le(dst, static_cast<uint32_t>(bits >> 32));
}

// Readers for the same layouts, used by tools and tests that decode the files.
inline uint16_t get_u16_le(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline int16_t get_i16_le(const unsigned char* p) { return static_cast<int16_t>(get_u16_le(p)); }
inline uint32_t get_u32_le(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline int32_t get_i32_le(const unsigned char* p) { return static_cast<int32_t>(get_u32_le(p)); }
inline double get_f64_le(const unsigned char* p) {
  uint64_t bits = get_u32_le(p) | (static_cast<uint64_t>(get_u32_le(p + 4)) << 32);
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

}  // namespace output
