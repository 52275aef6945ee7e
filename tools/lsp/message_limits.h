// What the server takes from a client: caps far above what an editor sends,
// so that a hostile message is answered at once, in bounded memory, and the
// session goes on.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tools::lsp {

// A message's body: twice the largest source, which an editor sends whole,
// escaped.
inline constexpr size_t kMaxBody = size_t{128} << 20;  // 128 MiB
// Arrays and objects inside one another: the protocol's messages nest a
// dozen deep.
inline constexpr size_t kMaxDepth = 64;
// Values in one message (numbers, strings, arrays, objects...): a didChange
// of 100,000 ranged edits holds about a million.
inline constexpr size_t kMaxValues = size_t{2} << 20;

// Why a body passes a cap, found by reading it once without building it;
// nothing for a body within them (it may still not be JSON).
std::optional<std::string> beyond_caps(const std::string& body);

}  // namespace tools::lsp
