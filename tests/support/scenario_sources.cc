#include "tests/support/scenario_sources.h"

#include <algorithm>
#include <span>
#include <stdexcept>

#include "writers/line_block.h"
#include "writers/writers.h"

namespace testing_support {
namespace {

std::vector<std::string> with_before_end(std::span<const std::string_view> source,
                                         std::initializer_list<std::string_view> entries) {
  std::vector<std::string> lines(source.begin(), source.end());
  auto end = std::find(lines.begin(), lines.end(), "[fine]");
  if (end == lines.end()) throw std::logic_error("the source has no [fine] line");
  lines.insert(end, entries.begin(), entries.end());
  return lines;
}

}  // namespace

std::vector<std::string> line_source_with(std::initializer_list<std::string_view> entries) {
  return with_before_end(writers::line_source_lines(), entries);
}

std::vector<std::string> train_source_with(std::initializer_list<std::string_view> entries) {
  return with_before_end(writers::train_source_lines(), entries);
}

std::vector<std::string> replacing(std::vector<std::string> lines, std::string_view prefix,
                                   std::string_view line) {
  auto starts = [&](const std::string& l) { return l.rfind(prefix, 0) == 0; };
  auto it = std::find_if(lines.begin(), lines.end(), starts);
  if (it == lines.end() || std::find_if(it + 1, lines.end(), starts) != lines.end())
    throw std::logic_error("no single line starts with '" + std::string(prefix) + "'");
  *it = line;
  return lines;
}

std::string source_text(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

platform::Status write_source(platform::Env& env, const std::string& path,
                              const std::vector<std::string>& lines) {
  std::vector<std::string_view> views(lines.begin(), lines.end());
  return writers::write_lines(env, path, views);
}

}  // namespace testing_support
