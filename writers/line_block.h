// The one mechanism by which every writer turns its fixed lines into a file.
//
// A writer's lines are copied into a block of 1001 text slots, closed by the
// end marker; the slots up to the marker are written, each followed by CR LF,
// in Windows-1252. The marker itself never reaches a file.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "platform/env.h"

namespace writers {

inline constexpr std::string_view kEndMarker = "riferimento fine del file";
inline constexpr size_t kBlockSlots = 1001;

using LineBlock = std::array<std::string_view, kBlockSlots>;

// Fills a block with `lines` and the end marker after them. A block holds at
// most 1000 lines; more is a programming error.
LineBlock fill_block(std::span<const std::string_view> lines);

// The file's bytes: every slot before the end marker, CR LF after each,
// converted to Windows-1252.
platform::Status render_block(const LineBlock& block, std::string* bytes);

// Fills a block with `lines`, renders it and replaces the file at `path`.
platform::Status write_lines(platform::Env& env, const std::string& path,
                             std::span<const std::string_view> lines);

}  // namespace writers
