// The images of the three tables, exactly as the simulator reads them:
// little-endian, packed, no header.
#pragma once

#include <string>

#include "model/scenario.h"
#include "output/record_layout.h"
#include "platform/env.h"
#include "platform/status.h"

namespace output {

// Column 0 for every metre, then column 1; each element a tagged Variant.
std::string encode_line_table(const model::LineTable& table);
// The same bytes, appended to `file` in pieces of a bounded size: the plan
// of the longest line is some 20 MB.
platform::Status write_line_table(const model::LineTable& table, platform::WritableFile& file);

// The 87 records, laid out as kServiceHeadFields and kServiceTailFields say,
// with the text between them as a 2-byte length and Windows-1252 bytes.
// Fails when a text has a character with no Windows-1252 byte.
platform::Status encode_service_table(
    const std::array<model::ServiceRecord, model::kServiceRecords>& table, std::string* bytes);

// 15 bytes per cell, laid out as kCellFields says.
std::string encode_cell_track(const std::vector<model::Cell>& cells);

}  // namespace output
