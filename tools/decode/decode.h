// Turns the compiled tables back into readable form: settings by name,
// stations with their extents and times, board texts, every non-empty cell
// with its kind named and its packed values unpacked, the plan.
#pragma once

#include <array>
#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "model/scenario.h"

namespace tools {

// What a record from 1 to 80 holds: nothing, a name board text (records from
// 80 downward carry nothing but text), or a station.
enum class RecordUse { kEmpty, kBoardText, kStation };
RecordUse record_use(const model::ServiceRecord& r);
// "10:07:00" for 36420 seconds.
std::string clock_text(int32_t seconds);

// Objects keep their keys in the order given here (a signal's s1, d1, s2 ...).
nlohmann::ordered_json describe_service(
    const std::array<model::ServiceRecord, model::kServiceRecords>& t);
nlohmann::ordered_json describe_cells(const std::vector<model::Cell>& cells);
// The plan as one JSON document, {"last_metre", "points_metre_x_y": [[m, x, y], ...]},
// written point by point.
void write_line_geometry_json(const model::LineTable& table, std::ostream& out);

// The same as plain text, one item per line, written as it is made.
void write_service_text(const std::array<model::ServiceRecord, model::kServiceRecords>& t,
                        std::ostream& out);
void write_cells_text(const std::vector<model::Cell>& cells, std::ostream& out);
void write_line_geometry_text(const model::LineTable& table, std::ostream& out);

}  // namespace tools
