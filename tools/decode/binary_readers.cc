#include "tools/decode/binary_readers.h"

#include <cmath>

#include "model/file_names.h"
#include "output/binary_files.h"
#include "output/coding.h"
#include "output/record_layout.h"
#include "platform/cp1252.h"

namespace tools {
namespace {

// A cursor over the bytes that knows how many are left.
class Bytes {
 public:
  explicit Bytes(std::string_view data) : data_(data) {}
  bool has(size_t n) const { return data_.size() - pos_ >= n; }
  size_t left() const { return data_.size() - pos_; }
  size_t pos() const { return pos_; }
  const unsigned char* take(size_t n) {
    auto p = reinterpret_cast<const unsigned char*>(data_.data() + pos_);
    pos_ += n;
    return p;
  }
  std::string_view take_text(size_t n) {
    std::string_view s = data_.substr(pos_, n);
    pos_ += n;
    return s;
  }

 private:
  std::string_view data_;
  size_t pos_ = 0;
};

}  // namespace

size_t largest_file(BinaryKind kind) {
  switch (kind) {
    case BinaryKind::kLineGeometry:
      return kLargestLineGeometryBytes;
    case BinaryKind::kService:
      return kLargestServiceBytes;
    case BinaryKind::kCells:
      return kLargestCellBytes;
  }
  return 0;
}

bool kind_from_name(std::string_view name, BinaryKind* kind) {
  const std::optional<model::FileKind> file = model::binary_kind(name);
  if (!file) return false;
  *kind = *file == model::FileKind::kLineGeometry ? BinaryKind::kLineGeometry
          : *file == model::FileKind::kService    ? BinaryKind::kService
                                                  : BinaryKind::kCells;
  return true;
}

std::string read_line_geometry(std::string_view data, model::LineTable* table) {
  std::vector<model::Variant> values;
  Bytes in(data);
  while (in.left() > 0) {
    if (!in.has(2)) return "a value is cut short at byte " + std::to_string(in.pos());
    uint16_t tag = output::get_u16_le(in.take(2));
    if (tag == model::Variant::kEmpty) {
      values.push_back({});
    } else if (tag == model::Variant::kInteger) {
      if (!in.has(2)) return "an Integer is cut short at byte " + std::to_string(in.pos());
      values.push_back(model::Variant::integer(output::get_i16_le(in.take(2))));
    } else if (tag == model::Variant::kDouble) {
      if (!in.has(8)) return "a Double is cut short at byte " + std::to_string(in.pos());
      const double value = output::get_f64_le(in.take(8));
      // A plan point the simulator could not place: the file is damaged.
      if (!std::isfinite(value))
        return std::string("the Double at byte ") + std::to_string(in.pos() - 10) + " is " +
               (std::isnan(value) ? "not a number" : "infinite") + " (not a line geometry file)";
      values.push_back(model::Variant::real(value));
    } else {
      return "unknown value tag " + std::to_string(tag) + " at byte " +
             std::to_string(in.pos() - 2) + " (not a line geometry file)";
    }
  }
  if (values.empty() || values.size() % 2 != 0)
    return "the file holds " + std::to_string(values.size()) +
           " values, not two equal columns (not a line geometry file)";
  size_t rows = values.size() / 2;
  table->column[0].assign(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(rows));
  table->column[1].assign(values.begin() + static_cast<std::ptrdiff_t>(rows), values.end());
  return {};
}

std::string read_service(std::string_view data,
                         std::array<model::ServiceRecord, model::kServiceRecords>* table) {
  Bytes in(data);
  for (int i = 0; i < model::kServiceRecords; ++i) {
    model::ServiceRecord& r = (*table)[static_cast<size_t>(i)];
    auto cut = [&] { return "record " + std::to_string(i) + " is cut short (not a service file)"; };
    if (!in.has(output::kServiceHeadBytes + output::kServiceTextLengthBytes)) return cut();
    output::get_fields(output::kServiceHeadFields, in.take(output::kServiceHeadBytes), &r);
    uint16_t length = output::get_u16_le(in.take(output::kServiceTextLengthBytes));
    if (!in.has(length + output::kServiceTailBytes)) return cut();
    if (platform::Status s = platform::from_cp1252(in.take_text(length), &r.text))
      return "the text of record " + std::to_string(i) + ": " + s->message();
    output::get_fields(output::kServiceTailFields, in.take(output::kServiceTailBytes), &r);
  }
  if (in.left() != 0)
    return std::to_string(in.left()) + " bytes follow the 87 records (not a service file)";
  return {};
}

std::string read_cells(std::string_view data, std::vector<model::Cell>* cells) {
  if (data.empty() || data.size() % output::kCellBytes != 0)
    return "the size " + std::to_string(data.size()) + " is not a whole number of 15-byte cells" +
           " (not a cell file)";
  Bytes in(data);
  cells->assign(data.size() / output::kCellBytes, {});
  for (model::Cell& c : *cells)
    output::get_fields(output::kCellFields, in.take(output::kCellBytes), &c);
  return {};
}

}  // namespace tools
