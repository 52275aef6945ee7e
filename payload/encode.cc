#include <algorithm>
#include <iterator>

#include "payload/layout.h"
#include "payload/payload.h"

namespace payload {
namespace {

void put_piece(std::string* out, uint32_t kind, std::string_view bytes) {
  layout::put_u32(out, kind);
  layout::put_u64(out, bytes.size());
  out->append(bytes);
}

}  // namespace

std::string encode(const Contents& contents) {
  std::string out = start_marker();
  layout::put_u32(&out, kFormatVersion);
  const size_t size_at = out.size();
  layout::put_u64(&out, 0);  // the size, known at the end
  layout::put_u32(&out, static_cast<uint32_t>(2 + contents.files.size()));
  put_piece(&out, layout::kScenarioName, contents.scenario_name);
  put_piece(&out, layout::kTrainNumber, contents.train_number);
  for (const File& file : contents.files) {
    const auto rank =
        std::find(std::begin(kFileOrder), std::end(kFileOrder), file.kind) - std::begin(kFileOrder);
    put_piece(&out, layout::kFirstFile + static_cast<uint32_t>(rank), file.bytes);
  }
  std::string size;
  layout::put_u64(&size, out.size() + layout::kTrailerSize);
  out.replace(size_at, size.size(), size);
  out += sha256(out);
  out += end_marker();
  return out;
}

}  // namespace payload
