// Where each field of a cell and of a service record stands in the binary
// files: the one table that the encoder writes by and the tools read back by.
// Every field is a little-endian whole number of 1, 2 or 4 bytes, of the
// width and signedness of its member in the model.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "model/scenario.h"

namespace output {

template <class Record>
struct FieldLayout {
  std::string_view name;  // the member's name in the model
  size_t offset;          // in bytes, from the start of its part of the record
  size_t width;           // in bytes
  int64_t (*get)(const Record&);
  // Sets the member from the field's bytes read as a little-endian number
  // of the member's width and signedness.
  void (*set)(Record&, uint32_t bytes);
};

template <class MemberPointer>
struct MemberOf;
template <class Record, class Value>
struct MemberOf<Value Record::*> {
  using RecordType = Record;
  using ValueType = Value;
};

// The layout of `Member` at `offset`, as wide as the member.
template <auto Member>
constexpr auto field(std::string_view name, size_t offset) {
  using Record = typename MemberOf<decltype(Member)>::RecordType;
  using Value = typename MemberOf<decltype(Member)>::ValueType;
  static_assert(std::is_integral_v<Value> && sizeof(Value) <= 4);
  return FieldLayout<Record>{
      name, offset, sizeof(Value), [](const Record& r) -> int64_t { return r.*Member; },
      [](Record& r, uint32_t bytes) { r.*Member = static_cast<Value>(bytes); }};
}

// The 15 bytes of a cell.
inline constexpr std::array<FieldLayout<model::Cell>, 11> kCellFields = {
    field<&model::Cell::kind>("kind", 0),
    field<&model::Cell::value_a>("value_a", 1),
    field<&model::Cell::value_b>("value_b", 3),
    field<&model::Cell::value_c>("value_c", 5),
    field<&model::Cell::value_d>("value_d", 7),
    field<&model::Cell::signal_time>("signal_time", 9),
    field<&model::Cell::repeat_code>("repeat_code", 10),
    field<&model::Cell::tunnel_type>("tunnel_type", 11),
    field<&model::Cell::speed_limit>("speed_limit", 12),
    field<&model::Cell::gradient>("gradient", 13),
    field<&model::Cell::adhesion>("adhesion", 14),
};
inline constexpr size_t kCellBytes = 15;

// A service record: a head of fixed fields, the text as a 2-byte length and
// its Windows-1252 bytes, and a tail of fixed fields counted from the text's
// end.
inline constexpr std::array<FieldLayout<model::ServiceRecord>, 5> kServiceHeadFields = {
    field<&model::ServiceRecord::kind>("kind", 0),
    field<&model::ServiceRecord::start_m>("start_m", 1),
    field<&model::ServiceRecord::end_m>("end_m", 5),
    field<&model::ServiceRecord::position_m>("position_m", 9),
    field<&model::ServiceRecord::flag_a>("flag_a", 13),
};
inline constexpr size_t kServiceHeadBytes = 14;
inline constexpr size_t kServiceTextLengthBytes = 2;
inline constexpr std::array<FieldLayout<model::ServiceRecord>, 10> kServiceTailFields = {
    field<&model::ServiceRecord::word_a>("word_a", 0),
    field<&model::ServiceRecord::word_b>("word_b", 2),
    field<&model::ServiceRecord::word_c>("word_c", 4),
    field<&model::ServiceRecord::word_d>("word_d", 6),
    field<&model::ServiceRecord::word_e>("word_e", 8),
    field<&model::ServiceRecord::byte_a>("byte_a", 10),
    field<&model::ServiceRecord::byte_b>("byte_b", 11),
    field<&model::ServiceRecord::byte_c>("byte_c", 12),
    field<&model::ServiceRecord::byte_d>("byte_d", 13),
    field<&model::ServiceRecord::time_s>("time_s", 14),
};
inline constexpr size_t kServiceTailBytes = 18;
inline constexpr size_t kEmptyServiceRecordBytes =
    kServiceHeadBytes + kServiceTextLengthBytes + kServiceTailBytes;

// Whether the fields follow one another with no gap or overlap and fill
// `bytes` exactly.
template <class Record, size_t N>
constexpr bool fills(const std::array<FieldLayout<Record>, N>& fields, size_t bytes) {
  size_t next = 0;
  for (const FieldLayout<Record>& f : fields) {
    if (f.offset != next) return false;
    next += f.width;
  }
  return next == bytes;
}
static_assert(fills(kCellFields, kCellBytes));
static_assert(fills(kServiceHeadFields, kServiceHeadBytes));
static_assert(fills(kServiceTailFields, kServiceTailBytes));

// Appends the fields of `record` at their places: `out` grows by the part's
// bytes.
template <class Record, size_t N>
void put_fields(const std::array<FieldLayout<Record>, N>& fields, const Record& record,
                std::string* out) {
  for (const FieldLayout<Record>& f : fields) {
    const auto value = static_cast<uint64_t>(f.get(record));
    for (size_t i = 0; i < f.width; ++i) out->push_back(static_cast<char>(value >> (8 * i)));
  }
}

// Reads the fields of a part that starts at `part` (which holds all its
// bytes) into `record`.
template <class Record, size_t N>
void get_fields(const std::array<FieldLayout<Record>, N>& fields, const unsigned char* part,
                Record* record) {
  for (const FieldLayout<Record>& f : fields) {
    uint32_t bytes = 0;
    for (size_t i = 0; i < f.width; ++i) bytes |= uint32_t{part[f.offset + i]} << (8 * i);
    f.set(*record, bytes);
  }
}

}  // namespace output
