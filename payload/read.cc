#include <iterator>

#include "payload/layout.h"
#include "payload/payload.h"

namespace payload {
namespace {

using Found = Reading::Found;

// The shortest part of a start marker taken for a payload cut short at the
// end of the file; fewer bytes could end a program by chance.
constexpr size_t kShortestMarkerPart = 4;

Reading damaged(Reading reading, std::string problem) {
  reading.found = Found::kDamaged;
  reading.problem = std::move(problem);
  return reading;
}

bool ends_with_part_of(std::string_view bytes, std::string_view marker) {
  for (size_t part = marker.size() - 1; part >= kShortestMarkerPart; --part)
    if (bytes.ends_with(marker.substr(0, part))) return true;
  return false;
}

// Reads the pieces between the header and the checksum into `contents`;
// empty when their sizes and kinds fit together, else what does not.
std::string read_pieces(std::string_view pieces, uint32_t count, Contents* contents) {
  size_t at = 0;
  uint32_t previous_kind = 0;
  for (uint32_t i = 0; i < count; ++i) {
    if (pieces.size() - at < layout::kPieceHeaderSize) return "the pieces run past the checksum";
    const uint32_t kind = layout::get_u32(pieces, at);
    const uint64_t size = layout::get_u64(pieces, at + 4);
    at += layout::kPieceHeaderSize;
    if (size > pieces.size() - at) return "a piece runs past the checksum";
    const std::string_view bytes = pieces.substr(at, size);
    at += size;
    if (kind <= previous_kind) return "pieces repeated or out of order";
    previous_kind = kind;
    if (kind == layout::kScenarioName) {
      contents->scenario_name = bytes;
    } else if (kind == layout::kTrainNumber) {
      contents->train_number = bytes;
    } else if (kind - layout::kFirstFile < std::size(kFileOrder)) {
      contents->files.push_back(File{kFileOrder[kind - layout::kFirstFile], std::string(bytes)});
    } else {
      return "a piece of unknown kind " + std::to_string(kind);
    }
  }
  if (at != pieces.size()) return "bytes between the last piece and the checksum";
  return {};
}

}  // namespace

Reading read(std::string_view executable) {
  Reading reading;
  const size_t start = executable.find(start_marker());
  if (start == std::string_view::npos) {
    if (executable.rfind(end_marker()) != std::string_view::npos)
      return damaged(reading, "the payload's start marker is damaged");
    if (ends_with_part_of(executable, start_marker()))
      return damaged(reading, "the payload is cut short");
    return reading;
  }
  reading.begin = start;
  const std::string_view rest = executable.substr(start);
  if (rest.size() < layout::kHeaderSize) return damaged(reading, "the payload is cut short");
  reading.version = layout::get_u32(rest, layout::kVersionOffset);
  if (reading.version != kFormatVersion)
    return damaged(reading, "the payload has format version " + std::to_string(reading.version) +
                                ", this program reads version " + std::to_string(kFormatVersion));
  const uint64_t size = layout::get_u64(rest, layout::kSizeOffset);
  if (size < layout::kHeaderSize + layout::kTrailerSize)
    return damaged(reading, "the payload's size is damaged");
  if (size > rest.size()) return damaged(reading, "the payload is cut short");
  const std::string_view whole = rest.substr(0, size);
  if (!whole.ends_with(end_marker()))
    return damaged(reading, "the payload's end marker is damaged");
  reading.end = start + size;
  const size_t checksum_at = size - layout::kTrailerSize;
  reading.checksum_holds =
      sha256(whole.substr(0, checksum_at)) == whole.substr(checksum_at, layout::kChecksumSize);
  const std::string_view pieces =
      whole.substr(layout::kHeaderSize, checksum_at - layout::kHeaderSize);
  if (std::string problem =
          read_pieces(pieces, layout::get_u32(rest, layout::kCountOffset), &reading.contents);
      !problem.empty())
    return damaged(reading, "the payload is damaged: " + problem);
  reading.pieces_read = true;
  if (!reading.checksum_holds)
    return damaged(reading, "the payload's checksum does not match its contents");
  if (std::string problem = contents_problem(reading.contents); !problem.empty())
    return damaged(reading, "the payload is not a scenario to install: " + problem);
  reading.found = Found::kWhole;
  return reading;
}

}  // namespace payload
