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
    Info{kOutOfRange, true,
         "an entry lies too close to the end of the line, or outside its tables"},
    Info{kSignalCellTaken, true, "a signal stands on a cell that is already taken"},
    Info{kWarningCellTaken, true, "the warning board cell of a slowdown is already taken"},
    Info{kSlowdownStartTaken, true, "the start cell of a slowdown is already taken"},
    Info{kSlowdownEndTaken, true, "the end cell of a slowdown is already taken"},
    Info{kPreWarningTaken, true, "a pre-warning cell of a slowdown is already taken"},
    Info{kSpeedBoardCellTaken, true,
         "a maximum-speed board stands on a cell that is already taken"},
    Info{kStationsTooClose, true,
         "a station starts less than 350 m after the end of the station before it"},
    Info{kStationTooEarly, false, "a station of kind below 25 ends at or before metre 100"},
    Info{kReadFailure, false,
         "a source could not be read as its fields require: a read past the end of a source, a "
         "number that does not fit its field, or bytes that are not Windows-1252 text"},
    Info{kNoLineSource, false, "the line source file does not exist"},
    Info{kNoGeneralSection, false, "the line source has no [generale] section"},
    Info{kBadCurve, false,
         "a curve keyword holds none of the digits 1 to 6, or a curve runs beyond metre 1000000"},
    Info{kReservedSlotA, false,
         "the slot of the fixed values is taken: a feature near metre 0 gave cell 1 a first "
         "value, or service record 85 already holds word_a"},
    Info{kReservedSlotB, false,
         "the slot of the competition codes is taken: a feature near metre 0 gave cell 1 a "
         "second value, or service record 85 already holds time_s"},
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
