// What the compile of the built-in scenario must leave, from the scenario's
// own figures: file sizes, the fixed values, the competition codes and a few
// points of the plan. Shared by the tests of the run and of scenarioc.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace testing_support {

inline constexpr char kGivenScenario[] = "Fiumicino Aeroporto_Roma";
inline constexpr char kGivenTrain[] = "3291";

// One column: metres 0 and 1 as Integers, 2 to 41998 as Doubles, two Empty.
inline constexpr size_t kGivenGeometryColumnBytes = 2 * 4 + (35000 + 7000 - 3) * 10 + 2 * 2;
inline constexpr size_t kGivenGeometryBytes = 2 * kGivenGeometryColumnBytes;  // 839964
inline constexpr size_t kGivenCellBytes = 841 * 15;                           // 12615
// 87 empty records, the two name texts, the nine station names and the
// eleven name board texts.
size_t given_service_bytes();

// The competition codes, summed here over the literal window.
int32_t plain_code(std::string_view window);
int32_t weighted_code(std::string_view window);
inline constexpr std::string_view kGivenWindow = "3291fiumicino aeroporto_r";
// The two codes of the given scenario, summed by hand over that window: they
// pin the rule itself, not only its agreement with the formulas above.
inline constexpr int32_t kGivenPlainCode = 2398;
inline constexpr int32_t kGivenWeightedCode = 33634;

// Little-endian readers for checking bytes.
int32_t le16(const std::string& bytes, size_t at);
int32_t le32(const std::string& bytes, size_t at);
double le_double(const std::string& bytes, size_t at);

// GoogleTest expectations on the three files of the given scenario.
void expect_given_geometry(const std::string& geometry);
void expect_given_service(const std::string& service);
void expect_given_cells(const std::string& cells);

}  // namespace testing_support
