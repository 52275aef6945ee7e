#include "tools/decode/decode.h"

#include <charconv>
#include <cstdio>
#include <ostream>
#include <sstream>

#include "model/kind_names.h"
#include "tools/decode/position_text.h"

namespace tools {
namespace {

using json = nlohmann::ordered_json;

// A cell with nothing but the stretch values that every cell carries.
bool is_plain_cell(const model::Cell& c) {
  return c.kind == 0 && c.value_a == 0 && c.value_b == 0 && c.value_c == 0 && c.value_d == 0 &&
         c.signal_time == 0 && c.repeat_code == 0 && c.tunnel_type == 0;
}

json station(const model::ServiceRecord& r) {
  return {{"name", r.text},
          {"kind", r.kind},
          {"position_m", r.position_m},
          {"start_m", r.start_m},
          {"end_m", r.end_m},
          {"flag_a", r.flag_a},
          {"word_a", r.word_a},
          {"word_b", r.word_b},
          {"word_c", r.word_c},
          {"word_d", r.word_d},
          {"word_e", r.word_e},
          {"byte_a", r.byte_a},
          {"byte_b", r.byte_b},
          {"byte_c", r.byte_c},
          {"byte_d", r.byte_d},
          {"time", clock_text(r.time_s)},
          {"time_s", r.time_s}};
}

// The unpacked values of a cell, by kind.
json cell_values(const model::Cell& c) {
  json v = json::object();
  switch (c.kind) {
    case model::kind::kSignal: {
      // value_d = rapp * 10 + sx * 3 + dx, with dx below 3.
      int rem = c.value_d % 10;
      v = {{"s1", c.value_a / 10},   {"d1", c.value_a % 10}, {"s2", c.value_b / 10},
           {"d2", c.value_b % 10},   {"s3", c.value_c / 10}, {"d3", c.value_c % 10},
           {"rapp", c.value_d / 10}, {"sx", rem / 3},        {"dx", rem % 3},
           {"tempo", c.signal_time}};
      break;
    }
    case model::kind::kSlowdownEnd:
    case model::kind::kSlowdownStart:
      v = {{"speed", c.value_a}, {"d_v", c.value_b}, {"f_tt", c.value_c}};
      break;
    case model::kind::kWarningBoard:
      v = {{"speed", c.value_a}, {"d_v", c.value_b}};
      break;
    case model::kind::kPreWarning:
      v = {{"step", c.value_a}, {"d_v_step", c.value_b}};
      break;
    case model::kind::kSpeedBoard:
      // Each value holds the first group's speed / 5 in its high two digits
      // and the second group's in its low two.
      v = {{"first_group",
            {{"a", c.value_a / 100 * 5},
             {"b", c.value_b / 100 * 5},
             {"c", c.value_c / 100 * 5},
             {"stripes", c.value_d / 10}}},
           {"second_group",
            {{"a", c.value_a % 100 * 5},
             {"b", c.value_b % 100 * 5},
             {"c", c.value_c % 100 * 5},
             {"stripes", c.value_d % 10}}}};
      break;
    case model::kind::kStationMarker:
      v = {{"station_record", c.value_a}};
      break;
    case model::kind::kMarker:
      v = {{"value", c.value_a}};
      break;
    case model::kind::kNameBoard:
      v = {{"text_record", c.value_a}};
      break;
    default:
      if (c.value_a || c.value_b || c.value_c || c.value_d)
        v = {{"value_a", c.value_a},
             {"value_b", c.value_b},
             {"value_c", c.value_c},
             {"value_d", c.value_d}};
  }
  return v;
}

std::string repeat_text(uint8_t code) {
  if (code > 80 && code <= 84) {
    return std::to_string(code) + " (before a signal with sx*3+dx = 8, or a station end, k = " +
           std::to_string(code % 10) + ")";
  }
  return std::to_string(code) + " (signal sx*3+dx = " + std::to_string(code / 10) +
         ", k = " + std::to_string(code % 10) + ")";
}

// Runs of equal values of one stretch field, as "first-last value".
template <class Field>
json runs(const std::vector<model::Cell>& cells, Field field) {
  json out = json::array();
  size_t start = 0;
  for (size_t i = 1; i <= cells.size(); ++i) {
    if (i == cells.size() || field(cells[i]) != field(cells[start])) {
      out.push_back({{"first_cell", start}, {"last_cell", i - 1}, {"value", field(cells[start])}});
      start = i;
    }
  }
  return out;
}

// The shortest text that reads back as exactly the same double.
std::string format_double(double v) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
  return std::string(buffer, result.ptr);
}

// A gradient byte is the gradient + 100; 0 is a cell no gradient entry reached.
json gradient_value(uint8_t byte) { return byte == 0 ? json(nullptr) : json(byte - 100); }

}  // namespace

RecordUse record_use(const model::ServiceRecord& r) {
  if (r == model::ServiceRecord{}) return RecordUse::kEmpty;
  model::ServiceRecord text_only;
  text_only.text = r.text;
  return r == text_only ? RecordUse::kBoardText : RecordUse::kStation;
}

std::string clock_text(int32_t seconds) {
  char buffer[32];
  long s = seconds;
  std::snprintf(buffer, sizeof buffer, "%s%02ld:%02ld:%02ld", s < 0 ? "-" : "", std::labs(s) / 3600,
                std::labs(s) / 60 % 60, std::labs(s) % 60);
  return buffer;
}

json describe_service(const std::array<model::ServiceRecord, model::kServiceRecords>& t) {
  json stations = json::array();
  json boards = json::array();
  for (int i = 1; i <= model::kFirstSignTextRecord; ++i) {
    const model::ServiceRecord& r = t[static_cast<size_t>(i)];
    const RecordUse use = record_use(r);
    if (use == RecordUse::kEmpty) continue;
    if (use == RecordUse::kBoardText) {
      boards.push_back({{"record", i}, {"text", r.text}});
    } else {
      json s = station(r);
      s["record"] = i;
      stations.push_back(s);
    }
  }
  json progressives = json::array();
  for (int i = model::kProgressiveTre; i <= model::kProgressiveTre + 2; ++i) {
    const auto& r = t[static_cast<size_t>(i)];
    progressives.push_back(
        {{"record", i}, {"start", r.start_m}, {"end", r.end_m}, {"flag", r.position_m}});
  }
  const auto& train = t[model::kTrainSettingsRecord];
  const auto& scen = t[model::kScenarioRecord];
  const auto& tr = t[model::kTrainRecord];
  return {
      {"stations", stations},
      {"name_boards", boards},
      {"kilometric_progressives", progressives},
      {"train",
       {{"braked_mass_percent", train.start_m},
        {"line_length_m", train.end_m},
        {"coaches", train.position_m}}},
      {"scenario",
       {{"name", scen.text},
        {"background_one", scen.start_m},
        {"background_two", scen.position_m},
        {"background_three", scen.end_m},
        {"fixed_value", scen.word_a},
        {"weighted_competition_code", scen.time_s}}},
      {"train_settings",
       {{"train_number", tr.text},
        {"signal_repetition_first", tr.start_m},
        {"signal_repetition_second", tr.end_m},
        {"signal_repetition_code", tr.position_m},
        {"sand", tr.word_a},
        {"clock", clock_text((tr.word_c * 60 + tr.word_d) * 60 + tr.word_e)}}},
  };
}

namespace {

// One cell that is not plain, as describe_cells lists it.
json describe_cell(const std::vector<model::Cell>& cells, size_t i) {
  const model::Cell& c = cells[i];
  json item = {
      {"cell", i}, {"metre", i * 50}, {"kind", c.kind}, {"kind_name", model::kind_name(c.kind)}};
  json values = cell_values(c);
  if (i == 1 && c.kind == model::kind::kNothing)
    // Cell 1 carries the fixed value and the plain competition code.
    values = {{"fixed_value", c.value_a},
              {"plain_competition_code", c.value_b},
              {"value_c", c.value_c},
              {"value_d", c.value_d}};
  if (!values.empty()) item["values"] = values;
  if (c.repeat_code) item["repeat_code"] = c.repeat_code;
  if (c.tunnel_type) item["tunnel_type"] = c.tunnel_type;
  if (c.kind != model::kind::kSignal && c.signal_time) item["signal_time"] = c.signal_time;
  return item;
}

json profile(const std::vector<model::Cell>& cells, std::string_view name) {
  if (name == "gradient_per_mille")
    return runs(cells, [](const model::Cell& c) { return gradient_value(c.gradient); });
  if (name == "speed_limit_kmh")
    return runs(cells, [](const model::Cell& c) { return c.speed_limit * 5; });
  return runs(cells, [](const model::Cell& c) { return int{c.adhesion}; });
}

constexpr std::string_view kProfiles[] = {"gradient_per_mille", "speed_limit_kmh", "adhesion"};

}  // namespace

json describe_cells(const std::vector<model::Cell>& cells) {
  json items = json::array();
  for (size_t i = 0; i < cells.size(); ++i)
    if (!is_plain_cell(cells[i])) items.push_back(describe_cell(cells, i));
  json described = {
      {"cell_count", cells.size()},
      {"cells", items},
  };
  for (std::string_view name : kProfiles) described[std::string(name)] = profile(cells, name);
  return described;
}

void write_line_geometry_json(const model::LineTable& table, std::ostream& out) {
  // Point by point, laid out as json::dump(2) lays it out: the tree of the
  // longest plan would take far more memory than its text.
  const auto number = [](const model::Variant& v) {
    return v.tag == model::Variant::kEmpty ? std::string("null") : json(v.value).dump();
  };
  out << "{\n  \"last_metre\": " << table.last_row() << ",\n  \"points_metre_x_y\": [";
  for (int32_t m = 0; m <= table.last_row(); ++m)
    out << (m == 0 ? "\n" : ",\n") << "    [\n      " << m << ",\n      " << number(table.at(m, 0))
        << ",\n      " << number(table.at(m, 1)) << "\n    ]";
  out << (table.last_row() >= 0 ? "\n  ]\n}\n" : "]\n}\n");
}

void write_service_text(const std::array<model::ServiceRecord, model::kServiceRecords>& t,
                        std::ostream& out) {
  json d = describe_service(t);
  for (const json& s : d["stations"]) {
    out << "station " << s["record"] << " " << s["name"].get<std::string>() << ": kind "
        << s["kind"] << ", position " << s["position_m"] << " m, platform " << s["start_m"]
        << " to " << s["end_m"] << " m, time " << s["time"].get<std::string>() << ", flag_a "
        << s["flag_a"] << ", word_a..e " << s["word_a"] << " " << s["word_b"] << " " << s["word_c"]
        << " " << s["word_d"] << " " << s["word_e"] << ", byte_a..d " << s["byte_a"] << " "
        << s["byte_b"] << " " << s["byte_c"] << " " << s["byte_d"] << "\n";
  }
  for (const json& b : d["name_boards"])
    out << "name board text " << b["record"] << ": " << b["text"].get<std::string>() << "\n";
  for (const json& p : d["kilometric_progressives"])
    out << "kilometric progressive " << p["record"] << ": start " << p["start"] << ", end "
        << p["end"] << ", flag " << p["flag"] << "\n";
  const json& tr = d["train"];
  out << "braked mass " << tr["braked_mass_percent"] << " %, line length " << tr["line_length_m"]
      << " m, coaches " << tr["coaches"] << "\n";
  const json& sc = d["scenario"];
  out << "scenario " << sc["name"].get<std::string>() << ": backgrounds " << sc["background_one"]
      << " " << sc["background_two"] << " " << sc["background_three"] << ", fixed value "
      << sc["fixed_value"] << ", weighted competition code " << sc["weighted_competition_code"]
      << "\n";
  const json& ts = d["train_settings"];
  out << "train " << ts["train_number"].get<std::string>() << ": signal repetition "
      << ts["signal_repetition_first"] << " " << ts["signal_repetition_second"] << " code "
      << ts["signal_repetition_code"] << ", sand " << ts["sand"] << ", clock "
      << ts["clock"].get<std::string>() << "\n";
}

void write_cells_text(const std::vector<model::Cell>& cells, std::ostream& out) {
  // Cell by cell, so that no tree of the whole track is built.
  out << cells.size() << " cells\n";
  for (size_t i = 0; i < cells.size(); ++i) {
    if (is_plain_cell(cells[i])) continue;
    const json c = describe_cell(cells, i);
    out << cell_span_text(static_cast<int64_t>(i)) << ": " << c["kind_name"].get<std::string>();
    if (c.contains("values")) {
      const char* separator = ": ";
      for (const auto& [key, value] : c["values"].items()) {
        out << separator << key << " ";
        separator = ", ";
        if (value.is_object())  // a board's group: "140/150/160 km/h stripes 0"
          out << value["a"] << "/" << value["b"] << "/" << value["c"] << " km/h stripes "
              << value["stripes"];
        else
          out << value.dump();
      }
    }
    if (c.contains("repeat_code")) out << ", repeat code " << repeat_text(c["repeat_code"]);
    if (c.contains("tunnel_type")) out << ", tunnel type " << c["tunnel_type"];
    if (c.contains("signal_time")) out << ", signal time " << c["signal_time"];
    out << "\n";
  }
  for (std::string_view name : kProfiles) {
    for (const json& r : profile(cells, name))
      out << name << " cells " << r["first_cell"] << "-" << r["last_cell"] << ": "
          << (r["value"].is_null() ? "not set" : r["value"].dump()) << "\n";
  }
}

void write_line_geometry_text(const model::LineTable& table, std::ostream& out) {
  out << "metre, x, y\n";
  for (int32_t m = 0; m <= table.last_row(); ++m) {
    out << m;
    for (int col = 0; col < 2; ++col) {
      const model::Variant& v = table.at(m, col);
      out << ", "
          << (v.tag == model::Variant::kEmpty ? std::string("empty") : format_double(v.value));
    }
    out << "\n";
  }
}

}  // namespace tools
