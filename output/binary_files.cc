#include "output/binary_files.h"

#include "output/coding.h"
#include "platform/cp1252.h"

namespace output {

namespace {

size_t variant_bytes(const model::Variant& v) {
  return 2 + (v.tag == model::Variant::kDouble ? 8 : v.tag == model::Variant::kInteger ? 2 : 0);
}

char* encode_variant(char* out, const model::Variant& v) {
  out = encode_u16_le(out, v.tag);
  if (v.tag == model::Variant::kDouble) return encode_f64_le(out, v.value);
  if (v.tag == model::Variant::kInteger) return encode_i16_le(out, static_cast<int16_t>(v.value));
  return out;
}

// Calls `emit` with consecutive pieces of the encoded table.
template <class Emit>
platform::Status encode_in_pieces(const model::LineTable& table, size_t piece, Emit emit) {
  std::string buffer(piece + 10, '\0');
  char* const begin = buffer.data();
  char* out = begin;
  for (const auto& column : table.column) {
    for (const model::Variant& v : column) {
      out = encode_variant(out, v);
      if (static_cast<size_t>(out - begin) >= piece) {
        if (platform::Status s = emit(std::string_view(begin, static_cast<size_t>(out - begin))))
          return s;
        out = begin;
      }
    }
  }
  if (out != begin) return emit(std::string_view(begin, static_cast<size_t>(out - begin)));
  return platform::ok();
}

constexpr size_t kPieceBytes = 1 << 16;

}  // namespace

std::string encode_line_table(const model::LineTable& table) {
  size_t size = 0;
  for (const auto& column : table.column)
    for (const model::Variant& v : column) size += variant_bytes(v);
  std::string bytes;
  bytes.reserve(size);
  encode_in_pieces(table, kPieceBytes, [&](std::string_view piece) {
    bytes.append(piece);
    return platform::ok();
  });
  return bytes;
}

platform::Status write_line_table(const model::LineTable& table, platform::WritableFile& file) {
  return encode_in_pieces(table, kPieceBytes,
                          [&](std::string_view piece) { return file.append(piece); });
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
      return platform::Error{
          "write", "",
          "the text of service record " + std::to_string(i) + " is longer than 65535 bytes"};
    put_fields(kServiceHeadFields, r, bytes);
    put_u16_le(bytes, static_cast<uint16_t>(text.size()));
    bytes->append(text);
    put_fields(kServiceTailFields, r, bytes);
  }
  return platform::ok();
}

std::string encode_cell_track(const std::vector<model::Cell>& cells) {
  std::string bytes;
  bytes.reserve(cells.size() * kCellBytes);
  for (const model::Cell& c : cells) put_fields(kCellFields, c, &bytes);
  return bytes;
}

}  // namespace output
