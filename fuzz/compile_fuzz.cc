// The whole compile from a pair of sources in memory. For every input: the
// status is one the compiler knows, the run is deterministic, the cell file
// has one 15-byte record per cell, and a run that ends through `errore`
// writes no binary file.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "model/file_names.h"
#include "model/status_codes.h"

namespace {

// Inputs are "<line source>\x00<train source>"; the first byte's low bit
// chooses whether the line geometry is built.
constexpr char kSplit = '\0';

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int32_t write_line_file = data[0] & 1;
  std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  size_t split = input.find(kSplit);
  std::string_view line = input.substr(0, split);
  std::string_view train =
      split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

  fuzz::CompileResult first = fuzz::compile_in_memory(line, train, write_line_file);
  fuzz::CompileResult second = fuzz::compile_in_memory(line, train, write_line_file);
  FUZZ_CHECK(first.files == second.files);
  FUZZ_CHECK(first.ended_by_errore == second.ended_by_errore);

  const model::Scenario& m = first.model;
  FUZZ_CHECK(model::status::is_known(m.status_code));
  const std::string folder = "/f";
  auto path = [&](model::FileKind kind) { return model::file_path(folder, kind, m); };
  // Both sources are gone after every compile that got past the existence check.
  if (m.status_code != model::status::kNoLineSource)
    FUZZ_CHECK(!first.files.count(path(model::FileKind::kLineSource)));

  if (first.ended_by_errore) {
    FUZZ_CHECK(!first.files.count(path(model::FileKind::kCells)));
    FUZZ_CHECK(!first.files.count(path(model::FileKind::kService)));
    FUZZ_CHECK(!first.files.count(path(model::FileKind::kLineGeometry)));
    return 0;
  }
  FUZZ_CHECK(!first.files.count(path(model::FileKind::kTrainSource)));
  const std::string& cells = first.files.at(path(model::FileKind::kCells));
  FUZZ_CHECK(cells.size() == static_cast<size_t>(m.cell_last + 1) * 15);
  FUZZ_CHECK(first.files.count(path(model::FileKind::kService)));
  FUZZ_CHECK(first.files.count(path(model::FileKind::kLineGeometry)) == (write_line_file != 0));
  return 0;
}
