#include "model/status_codes.h"

#include <array>

namespace model::status {
namespace {

constexpr std::array kTable = {
    Info{kOk, false, "no fault"},
    Info{kLineTooLong, false, "the line length is above 1000000 m"},
    Info{kProgressiveNotMultiple, false,
         "a kilometric progressive has a first or second number that is not a multiple of 50"},
    Info{kRepeatFirstNotMultiple, false,
         "the first number of the signal repetition entry is not a multiple of 50"},
    Info{kRepeatSecondNotMultiple, false,
         "the second number of the signal repetition entry is not a multiple of 50"},
    Info{kRepeatNoCode, false, "the signal repetition keyword holds neither \"4\" nor \"9\""},
    Info{kNameBoardCellTaken, true, "a name board stands on a cell that is already taken"},
    Info{kAbbattimentoCellTaken, true, "an abbattimento stands on a cell that is already taken"},
    Info{kStationNotMultiple, true, "a station position is not a multiple of 50"},
    Info{kStationLengthNotMultiple, true, "a station length is not a multiple of 100"},
    Info{kStationsMeetSignTexts, false,
         "there are too many stations and name boards for the service table"},
    Info{kNoRoomBeforeSignal, true,
         "no room for the marker before a signal in front of a slowdown warning board"},
    Info{kNoRoomBeforeSlowdown, true, "no room for a marker before a slowdown start"},
    Info{kNoRoomInsideSlowdown, true,
         "no room for a marker inside a slowdown or before the signal after it"},
    Info{kOutOfRange, true, "an entry lies too close to the end of the line, or outside its tables"},
    Info{kSignalCellTaken, true, "a signal stands on a cell that is already taken"},
    Info{kWarningCellTaken, true, "the warning board cell of a slowdown is already taken"},
    Info{kSlowdownStartTaken, true, "the start cell of a slowdown is already taken"},
    Info{kSlowdownEndTaken, true, "the end cell of a slowdown is already taken"},
    Info{kPreWarningTaken, true, "a pre-warning cell of a slowdown is already taken"},
    Info{kSpeedBoardCellTaken, true, "a maximum-speed board stands on a cell that is already taken"},
    Info{kStationsTooClose, true,
         "a station starts less than 350 m after the end of the station before it"},
    Info{kStationTooEarly, false, "a station ends at or before metre 100"},
    Info{kReadFailure, false,
         "a source could not be read: a missing file, a field past its end, or a number that "
         "does not fit"},
    Info{kNoLineSource, false, "the line source file does not exist"},
    Info{kNoGeneralSection, false, "the line source has no [generale] section"},
    Info{kBadCurve, false,
         "a curve keyword holds none of the digits 1 to 6, or a curve runs beyond metre 1000000"},
    Info{kReservedSlotA, false, "a reserved slot (record 85 word_a or cell 1 value_a) is already used"},
    Info{kReservedSlotB, false, "a reserved slot (record 85 time_s or cell 1 value_b) is already used"},
};

constexpr Info kUnknown{-1, false, "unknown status"};

}  // namespace

const Info& info(int32_t code) {
  for (const Info& entry : kTable)
    if (entry.code == code) return entry;
  return kUnknown;
}

bool is_known(int32_t code) { return &info(code) != &kUnknown; }

}  // namespace model::status
