#include "platform/utf8.h"

namespace platform {
namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";

// The length of the well-formed character at `i`, or 0 when the byte there
// starts none.
size_t character_length(std::string_view text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return 1;
  size_t n = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    n = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    n = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong form
    if (lead == 0xED) high = 0x9F;  // no surrogate
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    n = 4;
    if (lead == 0xF0) low = 0x90;   // no overlong form
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (text.size() - i < n) return 0;
  if (byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (size_t k = 2; k < n; ++k)
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  return n;
}

}  // namespace

bool is_utf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const size_t n = character_length(text, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

size_t utf8_cut(std::string_view text, size_t at) {
  if (at >= text.size()) return text.size();
  while (at > 0 && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) --at;
  return at;
}

std::string valid_utf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t n = character_length(text, i);
    if (n == 0) {
      out += kReplacement;
      ++i;
    } else {
      out.append(text, i, n);
      i += n;
    }
  }
  return out;
}

}  // namespace platform
