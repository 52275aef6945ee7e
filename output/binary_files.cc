#include "output/binary_files.h"

#include "output/coding.h"
#include "platform/cp1252.h"

namespace output {

std::string encode_line_table(const model::LineTable& table) {
  // The plan of the longest line is some 20 MB: size the buffer once and
  // encode into it, rather than growing a string value by value.
  size_t size = 0;
  for (const auto& column : table.column)
    for (const model::Variant& v : column)
      size += 2 + (v.tag == model::Variant::kDouble    ? 8
                   : v.tag == model::Variant::kInteger ? 2
                                                       : 0);
  std::string bytes(size, '\0');
  char* out = bytes.data();
  for (const auto& column : table.column) {
    for (const model::Variant& v : column) {
      out = encode_u16_le(out, v.tag);
      if (v.tag == model::Variant::kDouble)
        out = encode_f64_le(out, v.value);
      else if (v.tag == model::Variant::kInteger)
        out = encode_i16_le(out, static_cast<int16_t>(v.value));
    }
  }
  return bytes;
}

platform::Status encode_service_table(
    const std::array<model::ServiceRecord, model::kServiceRecords>& table, std::string* bytes) {
  bytes->clear();
  std::string text;
  for (size_t i = 0; i < table.size(); ++i) {
    const model::ServiceRecord& r = table[i];
    if (platform::Status status = platform::to_cp1252(r.text, &text)) {
      status->operation += " the text of service record " + std::to_string(i);
      return status;
    }
    if (text.size() > UINT16_MAX)
      return platform::Error{"write", "", "the text of service record " + std::to_string(i) +
                                              " is longer than 65535 bytes"};
    put_u8(bytes, r.kind);
    put_i32_le(bytes, r.start_m);
    put_i32_le(bytes, r.end_m);
    put_i32_le(bytes, r.position_m);
    put_u8(bytes, r.flag_a);
    put_u16_le(bytes, static_cast<uint16_t>(text.size()));
    bytes->append(text);
    put_i16_le(bytes, r.word_a);
    put_i16_le(bytes, r.word_b);
    put_i16_le(bytes, r.word_c);
    put_i16_le(bytes, r.word_d);
    put_i16_le(bytes, r.word_e);
    put_u8(bytes, r.byte_a);
    put_u8(bytes, r.byte_b);
    put_u8(bytes, r.byte_c);
    put_u8(bytes, r.byte_d);
    put_i32_le(bytes, r.time_s);
  }
  return platform::ok();
}

std::string encode_cell_track(const std::vector<model::Cell>& cells) {
  std::string bytes;
  bytes.reserve(cells.size() * kCellBytes);
  for (const model::Cell& c : cells) {
    put_u8(&bytes, c.kind);
    put_i16_le(&bytes, c.value_a);
    put_i16_le(&bytes, c.value_b);
    put_i16_le(&bytes, c.value_c);
    put_i16_le(&bytes, c.value_d);
    put_u8(&bytes, c.signal_time);
    put_u8(&bytes, c.repeat_code);
    put_u8(&bytes, c.tunnel_type);
    put_u8(&bytes, c.speed_limit);
    put_u8(&bytes, c.gradient);
    put_u8(&bytes, c.adhesion);
  }
  return bytes;
}

}  // namespace output
