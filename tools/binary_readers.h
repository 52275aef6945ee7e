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

// The kind a file's name gives: "<scenario>_linea.dat", "<…>.sim", "<…>.dat".
bool kind_from_name(std::string_view file_name, BinaryKind* kind);

// Each returns an empty string on success, else the reason the bytes are not
// a file of that kind.
std::string read_line_geometry(std::string_view bytes, model::LineTable* table);
std::string read_service(std::string_view bytes,
                         std::array<model::ServiceRecord, model::kServiceRecords>* table);
std::string read_cells(std::string_view bytes, std::vector<model::Cell>* cells);

}  // namespace tools
