#include "fuzz/payload_checks.h"

#include <iterator>
#include <string_view>
#include <vector>

#include "fuzz/require.h"
#include "payload/payload.h"

namespace fuzz {
namespace {

using Found = payload::Reading::Found;

bool same_contents(const payload::Contents& a, const payload::Contents& b) {
  if (a.scenario_name != b.scenario_name || a.train_number != b.train_number ||
      a.files.size() != b.files.size())
    return false;
  for (size_t i = 0; i < a.files.size(); ++i)
    if (a.files[i].kind != b.files[i].kind || a.files[i].bytes != b.files[i].bytes) return false;
  return true;
}

std::string check_executable(std::string_view executable) {
  const payload::Reading reading = payload::read(executable);
  switch (reading.found) {
    case Found::kNone:
      REQUIRE(reading.begin == 0 && reading.end == 0 && reading.problem.empty());
      break;
    case Found::kDamaged:
      REQUIRE(!reading.problem.empty());
      REQUIRE(reading.end <= executable.size());
      break;
    case Found::kWhole: {
      REQUIRE(reading.problem.empty() && reading.checksum_holds && reading.pieces_read);
      REQUIRE(reading.begin < reading.end && reading.end <= executable.size());
      REQUIRE(payload::contents_problem(reading.contents).empty());
      // One payload has one encoding: what was read is what was written.
      REQUIRE(payload::encode(reading.contents) ==
              executable.substr(reading.begin, reading.end - reading.begin));
      // A signature after it changes nothing.
      const payload::Reading signed_reading =
          payload::read(std::string(executable) + std::string(64, '\x5a'));
      REQUIRE(signed_reading.found == Found::kWhole && signed_reading.begin == reading.begin &&
              signed_reading.end == reading.end);
      break;
    }
  }
  return {};
}

std::string check_contents(std::string_view rest) {
  std::vector<std::string_view> fields;
  while (fields.size() < 2 + std::size(payload::kFileOrder)) {
    const size_t nul = rest.find('\0');
    fields.push_back(rest.substr(0, nul));
    if (nul == std::string_view::npos) break;
    rest.remove_prefix(nul + 1);
  }
  if (fields.size() < 4) return {};
  payload::Contents contents{std::string(fields[0]), std::string(fields[1]), {}};
  for (size_t i = 2; i < fields.size(); ++i)
    contents.files.push_back({payload::kFileOrder[i - 2], std::string(fields[i])});
  if (!payload::contents_problem(contents).empty()) return {};
  const std::string program = "MZ program";
  const payload::Reading reading = payload::read(program + payload::encode(contents));
  REQUIRE(reading.found == Found::kWhole);
  REQUIRE(reading.begin == program.size());
  REQUIRE(same_contents(reading.contents, contents));
  return {};
}

}  // namespace

std::string check_payload(const uint8_t* data, size_t size) {
  if (size == 0) return {};
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  return data[0] % 2 ? check_executable(rest) : check_contents(rest);
}

}  // namespace fuzz
