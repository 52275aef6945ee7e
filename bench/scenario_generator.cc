#include "bench/scenario_generator.h"

#include <span>
#include <string>
#include <string_view>

#include "writers/writers.h"

namespace bench {
namespace {

std::string crlf_lines(std::span<const std::string_view> lines) {
  std::string text;
  for (std::string_view l : lines) {
    text += l;
    text += "\r\n";
  }
  return text;
}

}  // namespace

std::string given_line_source() { return crlf_lines(writers::line_source_lines()); }
std::string given_train_source() { return crlf_lines(writers::train_source_lines()); }
namespace {

constexpr int kLength = 1000000;

void line(std::string& out, const std::string& text) {
  out += text;
  out += "\r\n";
}

std::string n(long v) { return std::to_string(v); }

// The cells that the boards of the line and the station markers claim, which
// a signal must avoid.
bool taken_by_line_or_station(long cell) {
  bool speed_board = cell >= 27 && (cell - 27) % 500 == 0;
  bool name_board = cell >= 144 && (cell - 144) % 240 == 0 && (cell - 144) / 240 < 40;
  bool station_marker = cell >= 3 && (cell - 3) % 500 == 0;
  return speed_board || name_board || station_marker;
}

}  // namespace

std::string maximum_line_source() {
  std::string s;
  line(s, "[generale]");
  line(s, "lunghezza percorso,    " + n(kLength));
  line(s, "progressiva chilometrica uno,    0,    " + n(kLength) + ",    1");
  line(s, "progressiva chilometrica due,    0,    0,    0");
  line(s, "progressiva chilometrica tre,    0,    0,    0");
  line(s, "sfondo uno,    1");
  line(s, "sfondo due,    0");
  line(s, "sfondo tre,    0");
  line(s, "ripetizione segnali 4 codici,    0    ,0");
  line(s, "[curve]");
  // A curve every 2 km, alternating sides and classes, up to the end of the line.
  for (long start = 1000, i = 0; start + 800 < kLength; start += 2000, ++i) {
    std::string side = i % 2 ? "d" : "s";
    line(s, "curva" + side + n(1 + i % 6) + ",  " + n(start) + ",  " + n(300 + (i % 5) * 100));
  }
  line(s, "[pendenze]");
  for (long p = 0, i = 0; p < kLength; p += 5000, ++i)
    line(s, "pendenza,  " + n(p) + ",   " + n(static_cast<int>(i % 13) - 6));
  line(s, "[montagne]");
  for (long p = 7200; p < kLength && p < 7200 + 80 * 12000; p += 12000)
    line(s, "montagna,   " + n(p) + ",  " + n(p + 500) + ",  12");
  line(s, "[cartelli]");
  for (long p = 1300; p < kLength; p += 25000)
    line(s, "indicatori_vmax,  " + n(p) + ",  140,  150,  160,  0,  140,  150,  160,  0");
  line(s, "[indicazioni]");
  for (long p = 7150, i = 0; i < 40; p += 12000, ++i)
    line(s, "cartello_indicatore,  " + n(p) + ",   (SOTTOVIA )(VIA " + n(i) + ")");
  line(s, "[fine]");
  return s;
}

std::string maximum_train_source() {
  std::string s;
  line(s, "[generale]");
  line(s, "numero vetture,    5");
  line(s, "percentuale massa frenata,    150");
  line(s, "sabbia,    0");
  line(s, "orologio,    10              5             30 ");
  line(s, "[aderenze]");
  line(s, "aderenza,   0,    100");
  line(s, "[vel_limite]");
  for (long p = 0, i = 0; p < kLength; p += 10000, ++i)
    line(s, "velocita,   " + n(p) + ",   " + n(60 + (i % 8) * 10));
  line(s, "[stazioni]");
  // Stations every 25 km: 38 of them leave the service table one record apart
  // from the 40 name boards.
  for (long p = 0, i = 1; p <= kLength && i <= 38; p += 25000, ++i)
    line(s, "stazione,   " + n(p) +
                ", 11,  400,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, STAZIONE " + n(i));
  line(s, "[segnali]");
  for (long p = 1500; p < kLength; p += 1550)
    if (p % 25000 > 1000 && p % 25000 < 24000)
      if (!taken_by_line_or_station(p / 50 + 1))
        line(s, "segnale,   " + n(p) + ",   2, 4, 0,  0, 0,    2,  2,0,0, 0");
  line(s, "[fine]");
  return s;
}

}  // namespace bench
