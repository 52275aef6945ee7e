#include "tools/lsp/message_reader.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <istream>
#include <ostream>

namespace tools::lsp {
namespace {

constexpr size_t kMaxHeaderLine = 1024;

// A header line without its CR LF (a lone LF is taken as well). False at the
// end of the stream. A line longer than the limit is cut to it; the rest of
// the line is read and dropped.
bool header_line(std::istream& in, std::string* line, bool* too_long) {
  line->clear();
  *too_long = false;
  int c;
  bool any = false;
  while ((c = in.get()) != std::char_traits<char>::eof()) {
    any = true;
    if (c == '\n') break;
    if (line->size() < kMaxHeaderLine)
      line->push_back(static_cast<char>(c));
    else
      *too_long = true;
  }
  if (!any) return false;
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return c != std::char_traits<char>::eof() || !line->empty();
}

bool equals_ignoring_case(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

Frame MessageReader::next() {
  std::string line;
  bool too_long = false;
  bool have_length = false;
  bool any_header = false;
  size_t length = 0;
  std::string problem;
  // Headers up to the empty line. Empty lines before any header (stray line
  // ends between messages) are skipped.
  for (;;) {
    if (!header_line(in_, &line, &too_long)) return Frame{Frame::Kind::kEnd, {}};
    if (line.empty() && !too_long) {
      if (any_header) break;
      continue;
    }
    any_header = true;
    if (too_long) {
      problem = "a header line longer than " + std::to_string(kMaxHeaderLine) + " bytes";
      continue;
    }
    const size_t colon = line.find(':');
    if (colon == std::string::npos) {
      problem = "a header line without ':'";
      continue;
    }
    const std::string_view name = trimmed(std::string_view(line).substr(0, colon));
    const std::string_view value = trimmed(std::string_view(line).substr(colon + 1));
    if (!equals_ignoring_case(name, "Content-Length")) continue;  // Content-Type and others
    size_t n = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), n);
    if (error != std::errc() || end != value.data() + value.size() || value.empty()) {
      problem = "a Content-Length that is not a whole number";
      continue;
    }
    have_length = true;
    length = n;
  }
  if (!have_length && problem.empty()) problem = "no Content-Length header";
  if (!problem.empty()) return Frame{Frame::Kind::kBadHeader, problem};

  Frame frame{Frame::Kind::kMessage, {}};
  if (length > kMaxBody) {
    in_.ignore(static_cast<std::streamsize>(length));
    if (in_.eof()) return Frame{Frame::Kind::kEnd, {}};
    return Frame{Frame::Kind::kBadHeader, "a message of " + std::to_string(length) +
                                              " bytes, more than the " + std::to_string(kMaxBody) +
                                              " accepted"};
  }
  // In pieces, so that a length the stream never delivers costs no memory.
  constexpr size_t kPiece = 1 << 16;
  while (frame.body.size() < length) {
    const size_t old = frame.body.size();
    const size_t want = std::min(kPiece, length - old);
    frame.body.resize(old + want);
    in_.read(frame.body.data() + old, static_cast<std::streamsize>(want));
    const auto got = static_cast<size_t>(in_.gcount());
    if (got < want) return Frame{Frame::Kind::kEnd, {}};
  }
  return frame;
}

void write_message(std::ostream& out, const std::string& body) {
  out << "Content-Length: " << body.size() << "\r\n\r\n" << body;
  out.flush();
}

}  // namespace tools::lsp
