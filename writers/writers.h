// The five writers of the scenario's fixed texts. Each replaces one file in
// `folder`, named from the model's scenario name and train number.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "model/scenario.h"
#include "platform/env.h"

namespace writers {

// The scenario whose texts the writers hold: its name and its train.
inline constexpr char kScenarioName[] = "Fiumicino Aeroporto_Roma";
inline constexpr char kTrainNumber[] = "3291";

platform::Status write_line_source(const model::Scenario& model, platform::Env& env,
                                   const std::string& folder);  // line source
platform::Status write_train_source(const model::Scenario& model, platform::Env& env,
                                    const std::string& folder);  // train source
platform::Status write_route_notes(const model::Scenario& model, platform::Env& env,
                                   const std::string& folder);  // route notes
platform::Status write_slowdown_form(const model::Scenario& model, platform::Env& env,
                                     const std::string& folder);  // slowdown order form
platform::Status write_train_card(const model::Scenario& model, platform::Env& env,
                                  const std::string& folder);  // train card

// The fixed lines of each text (UTF-8), without line ends.
std::span<const std::string_view> line_source_lines();
std::span<const std::string_view> train_source_lines();
std::span<const std::string_view> route_notes_lines();
std::span<const std::string_view> slowdown_form_lines();
std::span<const std::string_view> train_card_lines();

}  // namespace writers
