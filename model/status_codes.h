// The fault codes the compiler records in `status_code`, and what each means.
#pragma once

#include <cstdint>
#include <string_view>

namespace model::status {

inline constexpr int32_t kOk = 0;
inline constexpr int32_t kLineTooLong = 1;
inline constexpr int32_t kProgressiveNotMultiple = 2;
inline constexpr int32_t kRepeatFirstNotMultiple = 3;
inline constexpr int32_t kRepeatSecondNotMultiple = 4;
inline constexpr int32_t kRepeatNoCode = 5;
inline constexpr int32_t kNameBoardCellTaken = 6;
inline constexpr int32_t kAbbattimentoCellTaken = 7;
inline constexpr int32_t kStationNotMultiple = 8;
inline constexpr int32_t kStationLengthNotMultiple = 9;
inline constexpr int32_t kStationsMeetSignTexts = 10;
inline constexpr int32_t kNoRoomBeforeSignal = 11;
inline constexpr int32_t kNoRoomBeforeSlowdown = 12;
inline constexpr int32_t kNoRoomInsideSlowdown = 13;
inline constexpr int32_t kOutOfRange = 15;
inline constexpr int32_t kSignalCellTaken = 16;
inline constexpr int32_t kWarningCellTaken = 17;
inline constexpr int32_t kSlowdownStartTaken = 18;
inline constexpr int32_t kSlowdownEndTaken = 19;
inline constexpr int32_t kPreWarningTaken = 20;
inline constexpr int32_t kSpeedBoardCellTaken = 21;
inline constexpr int32_t kStationsTooClose = 22;
inline constexpr int32_t kStationTooEarly = 24;
inline constexpr int32_t kReadFailure = 25;
inline constexpr int32_t kNoLineSource = 101;
inline constexpr int32_t kNoGeneralSection = 102;
inline constexpr int32_t kBadCurve = 103;
inline constexpr int32_t kReservedSlotA = 1250;
inline constexpr int32_t kReservedSlotB = 1251;

struct Info {
  int32_t code;
  bool has_position;      // whether `error_position` belongs to the code
  std::string_view text;  // its meaning in one line of plain English
};

// The entry for `code`; an unknown code gets a generic text and no position.
const Info& info(int32_t code);

// Whether `code` is one the compiler can record (0 included).
bool is_known(int32_t code);

}  // namespace model::status
