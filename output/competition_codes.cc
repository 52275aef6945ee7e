#include "output/competition_codes.h"

#include "platform/cp1252.h"

namespace output {
namespace {

// Lower case in Windows-1252: ASCII, the Latin-1 capitals, and the four
// capitals that Windows-1252 adds in 0x80-0x9F.
unsigned char lower_cp1252(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 0x20);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
  switch (c) {
    case 0x8A:
      return 0x9A;  // S caron
    case 0x8C:
      return 0x9C;  // OE
    case 0x8E:
      return 0x9E;  // Z caron
    case 0x9F:
      return 0xFF;  // Y diaeresis
    default:
      return c;
  }
}

}  // namespace

std::string code_window(std::string_view train, std::string_view scenario) {
  std::string window;
  window.reserve(train.size() + scenario.size() + kCodeSalt.size());
  for (std::string_view part : {train, scenario})
    for (char c : part)
      window.push_back(static_cast<char>(lower_cp1252(static_cast<unsigned char>(c))));
  window += kCodeSalt;
  window.resize(kCodeWindow);
  return window;
}

int16_t plain_competition_code(std::string_view window) {
  int32_t sum = 0;
  for (size_t i = 0; i < kCodeWindow; ++i) sum += static_cast<unsigned char>(window[i]);
  return static_cast<int16_t>(sum);  // at most 25 * 255
}

int32_t weighted_competition_code(std::string_view window) {
  int32_t sum = 0;
  for (size_t i = 0; i < kCodeWindow; ++i)
    sum += static_cast<unsigned char>(window[i]) * static_cast<int32_t>(i + 1);
  return sum;
}

platform::Status code_window(const model::Scenario& model, std::string* window) {
  std::string train, scenario;
  if (platform::Status s =
          platform::to_cp1252(model.service_table[model::kTrainRecord].text, &train))
    return s;
  if (platform::Status s =
          platform::to_cp1252(model.service_table[model::kScenarioRecord].text, &scenario))
    return s;
  *window = code_window(train, scenario);
  return platform::ok();
}

}  // namespace output
