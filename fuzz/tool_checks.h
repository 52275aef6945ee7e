// The invariants of the fuzz targets around scenarioc's readers and the track
// plan. Each check runs one input and returns an empty string, or which
// invariant the input broke.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// `scenarioc decode` on any bytes: the first byte chooses the kind of file
// (mod 3: line geometry, service, cells) and, with its bit 2, --json; the
// rest is the file.
std::string check_decode(const uint8_t* data, size_t size);

// `scenarioc plot`'s reading and drawing from binary files of any bytes:
// "<flags><geometry size, 3 bytes LE><service size, 2 bytes LE><geometry><service><cells>";
// the geometry file exists when bit 0 of the flags is set.
std::string check_plot(const uint8_t* data, size_t size);

// The track plan on a line of at most 2000 m: "<span, 2 bytes LE>" then
// entries of 4 bytes, "<what><length, 2 bytes LE><digit>": a straight or a
// curve (bit 0 of `what`; bit 1 a left curve, "curva" + side + digit), its
// length, and with bits 2-3 a cursor limit inside the stretch.
std::string check_plan(const uint8_t* data, size_t size);

// What `scenarioc check`, `check --json` and `plot` show of any two sources,
// "<flags><line source>\0<train source>" (the flags as for the compile
// target: bits 2 to 4 all set keep the line source's long numbers): the
// text report, the JSON report, the SVG and the HTML page. Each is whole
// UTF-8; the JSON parses and carries a documented status that agrees with
// the exit status and the text; the SVG is well-formed XML whose numbers are
// all finite.
std::string check_render(const uint8_t* data, size_t size);

}  // namespace fuzz
