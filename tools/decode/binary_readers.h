// Reads the three binary files back into the model's tables, for the tools
// that show a compiled scenario. Each reader refuses a file of the wrong size
// or layout with a message that says what is wrong.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "model/scenario.h"

namespace tools {

enum class BinaryKind { kLineGeometry, kService, kCells };

// The largest file of each kind a compile can write. The longest line is
// 1000000 m and the plan reaches 7000 m beyond it: 1007001 rows of at most 10
// bytes in each of two columns, and 20141 cells. A record's text has a 2-byte
// length. Tools refuse a larger file before reading it.
inline constexpr size_t kLargestLineGeometryBytes = 2 * 1007001 * 10;
inline constexpr size_t kLargestServiceBytes = 87 * (34 + 65535);
inline constexpr size_t kLargestCellBytes = 20141 * 15;
size_t largest_file(BinaryKind kind);

// The kind a file's name gives: "<scenario>_linea.dat", "<…>.sim", "<…>.dat".
bool kind_from_name(std::string_view file_name, BinaryKind* kind);

// Each returns an empty string on success, else the reason the bytes are not
// a file of that kind. A plan value that is not a finite number is refused.
std::string read_line_geometry(std::string_view bytes, model::LineTable* table);
std::string read_service(std::string_view bytes,
                         std::array<model::ServiceRecord, model::kServiceRecords>* table);
std::string read_cells(std::string_view bytes, std::vector<model::Cell>* cells);

}  // namespace tools
