// A scenario carried inside the installer's own executable: its format, its
// writer and its reader. Pure: bytes in, bytes or values out; reading and
// writing the executable is the callers' business. The layout is written down
// in docs/payload.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/file_names.h"

namespace payload {

// The format version this program writes and the only one it reads.
inline constexpr uint32_t kFormatVersion = 1;

// The largest executable a payload is read from or packed into.
inline constexpr size_t kLargestExecutable = size_t{256} << 20;

// One file of the scenario, as the installer writes it, byte for byte.
struct File {
  model::FileKind kind;  // a source or a document, never a binary file
  std::string bytes;
};

// What a payload holds: the names (UTF-8) and the files, the line source
// and the train source first, then the documents that came with them.
struct Contents {
  std::string scenario_name;
  std::string train_number;
  std::vector<File> files;
};

// The files a payload may hold, in the order they are stored and written.
inline constexpr model::FileKind kFileOrder[] = {
    model::FileKind::kLineSource, model::FileKind::kTrainSource, model::FileKind::kRouteNotes,
    model::FileKind::kSlowdownForm, model::FileKind::kTrainCard};

// Why `name` (a scenario name or train number) cannot name the scenario's
// files on every system the installer runs on; empty when it can. Refused: an
// empty name, a character Windows-1252 cannot represent, a control
// character, a folder separator, "..", and < > : " | ? *.
std::string name_problem(std::string_view name);

// Why `contents` cannot be a payload (bad names, a source missing, a file
// twice or out of order); empty when it can.
std::string contents_problem(const Contents& contents);

// The payload's bytes; `contents` must have no contents_problem. The same
// contents give the same bytes.
std::string encode(const Contents& contents);

// What is found in the bytes of an executable.
struct Reading {
  enum class Found {
    kNone,     // no payload: the program installs its built-in scenario
    kWhole,    // a payload, checked completely: `contents` holds it
    kDamaged,  // a payload that must not be used: `problem` says why
  };
  Found found = Found::kNone;
  // The payload's extent in the executable; the program itself lies before
  // `begin`. Both 0 without a payload, and `end` 0 when a damaged payload's
  // end cannot be told.
  size_t begin = 0;
  size_t end = 0;
  uint32_t version = 0;  // the format version it says it has (0: unread)
  // Whether the checksum over the whole payload holds.
  bool checksum_holds = false;
  // The pieces as far as they could be read: whole for kWhole, and for a
  // damaged payload whose only fault is its checksum or a name.
  bool pieces_read = false;
  Contents contents;
  std::string problem;  // English, for a console
};

// Finds and checks the payload in `executable`. Bytes may follow the
// payload (a code signature); the reader's own constants in the program
// never pass for a payload.
Reading read(std::string_view executable);

// The payload's two markers: built at run time, so that the program that
// holds this reader does not hold them as they are in a payload.
std::string start_marker();
std::string end_marker();

// SHA-256 of `bytes`: 32 bytes.
std::string sha256(std::string_view bytes);

}  // namespace payload
