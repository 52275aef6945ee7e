// The waiting window as it was designed, in twips (1/1440 inch), and its
// conversion to the pixels of a screen.
#pragma once

#include <cmath>

namespace platform::form {

inline constexpr char kCaption[] = "Form1";
inline constexpr int kClientWidth = 4200;
inline constexpr int kClientHeight = 2685;
inline constexpr int kLabelLeft = 960;
inline constexpr int kLabelTop = 960;
inline constexpr int kLabelWidth = 2652;
inline constexpr int kLabelHeight = 792;
inline constexpr int kLabelPoints = 24;  // bold
// The line under the label while the run waits for another one: across the
// window, below the label, in the system's ordinary size.
inline constexpr int kNoteLeft = 120;
inline constexpr int kNoteTop = 1860;
inline constexpr int kNoteWidth = 3960;
inline constexpr int kNoteHeight = 705;
inline constexpr int kNotePoints = 9;

// At 96 dots per inch a pixel is 15 twips: the client area is 280 x 179.
inline int twips_to_pixels(int twips, int dots_per_inch) {
  return static_cast<int>(std::nearbyint(twips * static_cast<double>(dots_per_inch) / 1440.0));
}

inline int points_to_pixels(int points, int dots_per_inch) {
  return static_cast<int>(std::nearbyint(points * static_cast<double>(dots_per_inch) / 72.0));
}

}  // namespace platform::form
