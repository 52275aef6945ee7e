// The train source: train 3291 with its stations, speed limits and signals.
#include "writers/writers.h"

namespace writers {
namespace {

constexpr std::string_view kLines[] = {
    "[generale]",
    "numero vetture,    5",
    "percentuale massa frenata,    150",
    "sabbia,    0",
    "orologio,    10              5             30 ",
    "[aderenze]",
    "aderenza,   0,    100",
    "[vel_limite]",
    "velocita,       0,    60",
    "velocita,    1300,   140",
    "velocita,   10400,    80",
    "velocita,   11600,   140",
    "velocita,   25000,    70",
    "velocita,   26200,    90",
    "velocita,   27200,   140",
    "velocita,   30000,    80",
    "velocita,   33950,    30",
    "[stazioni]",
    "stazione,       0, 11,  600,  1, 0, 0,  4,1,0,  2,1,1,    1,  10, 7, 0, FIUMICINO AEROPORTO",
    "stazione,   11000, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, PONTE GALERIA",
    "stazione,   17150, 21,  400,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0, MURATELLA",
    "stazione,   19600, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, MAGLIANA",
    "stazione,   22600, 22,  400,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0, VILLA BONELLI",
    "stazione,   25800,  2,  500,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, ROMA TRASTEVERE",
    "stazione,   26650,  2,  500,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, ROMA OSTIENSE",
    "stazione,   30900, 12,  500,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, ROMA TUSCOLANA",
    "stazione,   35000,  5,  800,  1, 0, 0,  1,1,0,  2,1,1,    0,  10,39, 0, ROMA TERMINI",
    "[rallentamenti]",
    "[segnali]",
    "segnale,    1500,   2, 4, 0,  0, 0,    2,  2,0,0, 0",
    "segnale,    3000,   2, 4, 0,  0, 0,    2,  2,0,0, 0",
    "segnale,    4500,   2, 4, 0,  0, 0,    2,  2,0,0, 0",
    "segnale,    6000,   2, 4, 0,  0, 0,    2,  2,0,0, 0",
    "segnale,    7500,   2, 4, 0,  0, 0,    2,  2,0,0, 0",
    "segnale,    9000,   2, 4, 0,  0, 0,    2,  2,0,0, 0",
    "segnale,   10500,   1, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   13000,   2, 4, 0,  0, 0,    2,  2,0,0, 0",
    "segnale,   14500,   2, 4, 0,  0, 0,    2,  2,0,0, 0",
    "segnale,   16000,   1, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   18750,   1, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   21300,   1, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   23700,   2, 4, 1,  0, 0,    2,  2,1,0, 0",
    "segnale,   25200,   1, 4, 1,  1, 0,    1,  2,1,1, 0",
    "segnale,   28200,   2, 4, 0,  0, 0,    2,  2,0,0, 160",
    "segnale,   29700,   1, 4, 0,  0, 0,    0,  0,0,0, 0",
    "segnale,   32700,   2, 4, 3,  1, 0,    2,  2,1,1, 0",
    "segnale,   33950,   2, 2, 4,  3, 0,    2,  2,1,1, 0",
    "[codici]",
    "[fine]",
};

}  // namespace

std::span<const std::string_view> train_source_lines() { return kLines; }

}  // namespace writers
