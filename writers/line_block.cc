#include "writers/line_block.h"

#include <cassert>

#include "platform/cp1252.h"

namespace writers {

LineBlock fill_block(std::span<const std::string_view> lines) {
  assert(lines.size() < kBlockSlots);
  LineBlock block{};
  size_t slot = 0;
  for (std::string_view line : lines) block[slot++] = line;
  block[slot] = kEndMarker;
  return block;
}

platform::Status render_block(const LineBlock& block, std::string* bytes) {
  std::string text;
  for (size_t slot = 0; slot < kBlockSlots && block[slot] != kEndMarker; ++slot) {
    text += block[slot];
    text += "\r\n";
  }
  return platform::to_cp1252(text, bytes);
}

platform::Status write_lines(platform::Env& env, const std::string& path,
                             std::span<const std::string_view> lines) {
  std::string bytes;
  if (platform::Status status = render_block(fill_block(lines), &bytes)) {
    status->path = path;
    return status;
  }
  return platform::replace_file(env, path, bytes);
}

}  // namespace writers
