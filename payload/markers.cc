#include "payload/layout.h"
#include "payload/payload.h"

namespace payload {
namespace {

// The markers' bytes ("\x89FRPAYLOAD-BEG\x1a\x01" and "...-END..."), inverted. The mask is read at
// run time, so no compiler can fold the markers back into the program's data: an installer never
// finds its own reader's constants and takes them for a payload.
constexpr unsigned char kStartInverted[layout::kMarkerSize] = {
    0x76, 0xB9, 0xAD, 0xAF, 0xBE, 0xA6, 0xB3, 0xB0, 0xBE, 0xBB, 0xD2, 0xBD, 0xBA, 0xB8, 0xE5, 0xFE};
constexpr unsigned char kEndInverted[layout::kMarkerSize] = {
    0x76, 0xB9, 0xAD, 0xAF, 0xBE, 0xA6, 0xB3, 0xB0, 0xBE, 0xBB, 0xD2, 0xBA, 0xB1, 0xBB, 0xE5, 0xFE};

std::string uninvert(const unsigned char (&inverted)[layout::kMarkerSize]) {
  volatile unsigned char mask = 0xFF;
  std::string marker;
  for (unsigned char byte : inverted) marker.push_back(static_cast<char>(byte ^ mask));
  return marker;
}

}  // namespace

std::string start_marker() { return uninvert(kStartInverted); }
std::string end_marker() { return uninvert(kEndInverted); }

}  // namespace payload
