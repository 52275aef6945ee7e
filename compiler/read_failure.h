// The one failure that ends `memorizza_dati` through its fault handler
// (status 25): a read past the end of a source, a number that does not fit its
// target, a value that does not convert, or a file operation that fails.
#pragma once

#include <limits>
#include <stdexcept>
#include <string>

namespace compiler {

class ReadFailure : public std::runtime_error {
 public:
  explicit ReadFailure(const std::string& what, int line = 0, int column = 0)
      : std::runtime_error(what), line_(line), column_(column) {}
  // Where in the source the failing field starts (1-based); 0 when unknown.
  int line() const { return line_; }
  int column() const { return column_; }

 private:
  int line_;
  int column_;
};

// A computed value stored into a narrower field: it must fit, or the parse
// fails as a conversion failure.
template <class Target, class Source>
Target checked(Source value, const char* what) {
  if (value < static_cast<Source>(std::numeric_limits<Target>::min()) ||
      value > static_cast<Source>(std::numeric_limits<Target>::max()))
    throw ReadFailure(std::string("value out of range for ") + what);
  return static_cast<Target>(value);
}

}  // namespace compiler
