// The part of the Windows-1252 rule that both platforms' converters share.
#pragma once

namespace platform {

// Windows-1252 assigns no character to these five bytes. Some converters pass
// them through as control characters and others refuse them, so they would not
// survive a round trip on every platform: they are refused on both sides.
inline bool cp1252_undefined(unsigned char c) {
  return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

}  // namespace platform
