#include "tools/lsp/message_limits.h"

#include <nlohmann/json.hpp>

namespace tools::lsp {
namespace {

using nlohmann::json;

// Counts values and depth, and stops at the first cap passed; the parse
// holds no more than the depth reached.
class CapsScan final : public nlohmann::json_sax<json> {
 public:
  std::optional<std::string> passed;

  bool null() override { return value(); }
  bool boolean(bool) override { return value(); }
  bool number_integer(number_integer_t) override { return value(); }
  bool number_unsigned(number_unsigned_t) override { return value(); }
  bool number_float(number_float_t, const string_t&) override { return value(); }
  bool string(string_t&) override { return value(); }
  bool binary(binary_t&) override { return value(); }
  bool start_object(std::size_t) override { return open(); }
  bool key(string_t&) override { return true; }
  bool end_object() override { return close(); }
  bool start_array(std::size_t) override { return open(); }
  bool end_array() override { return close(); }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    return false;  // not JSON: the parse proper says so
  }

 private:
  bool value() {
    if (++values_ <= kMaxValues) return true;
    passed = "a message of more than " + std::to_string(kMaxValues) + " values";
    return false;
  }
  bool open() {
    if (++depth_ > kMaxDepth) {
      passed = "a message nested more than " + std::to_string(kMaxDepth) + " deep";
      return false;
    }
    return value();
  }
  bool close() {
    --depth_;
    return true;
  }

  size_t depth_ = 0;
  size_t values_ = 0;
};

}  // namespace

std::optional<std::string> beyond_caps(const std::string& body) {
  CapsScan scan;
  json::sax_parse(body, &scan, json::input_format_t::json, false);
  return scan.passed;
}

}  // namespace tools::lsp
