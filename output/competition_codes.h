// The two competition codes stamped into every compiled scenario. Both are
// computed over the same 25-character window: the train number and the
// scenario name, lower case, followed by a fixed salt.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/scenario.h"
#include "platform/status.h"

namespace output {

inline constexpr std::string_view kCodeSalt = "ppqqrrssttuuvvzzaabbccddee";
inline constexpr size_t kCodeWindow = 25;

// The window, from texts already in Windows-1252 bytes.
std::string code_window(std::string_view train_cp1252, std::string_view scenario_cp1252);

// Sum of the window's byte values.
int16_t plain_competition_code(std::string_view window);
// Sum of the window's byte values, each weighted by its 1-based place.
int32_t weighted_competition_code(std::string_view window);

// The window of a model, from the texts of records 86 and 85.
platform::Status code_window(const model::Scenario& model, std::string* window);

}  // namespace output
