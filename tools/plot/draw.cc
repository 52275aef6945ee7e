#include "tools/plot/draw.h"

#include <cstdio>

#include "platform/utf8.h"

namespace tools::plot_draw {

std::string num(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.1f", v);
  // "-0.0" and "0.0" are the same place.
  return std::string(buffer) == "-0.0" ? "0.0" : buffer;
}

std::string escape(const std::string& text) {
  // Texts quoted from the sources reach the page too: only whole UTF-8.
  std::string out;
  for (char c : platform::valid_utf8(text)) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        // XML has no place for the other control characters.
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n') out += c;
    }
  }
  return out;
}

std::string text(double x, double y, const std::string& s, const std::string& cls,
                 const std::string& extra) {
  return "<text class=\"" + cls + "\" x=\"" + num(x) + "\" y=\"" + num(y) + "\"" + extra + ">" +
         escape(s) + "</text>";
}

std::string title(const std::string& hover) { return "<title>" + escape(hover) + "</title>"; }

}  // namespace tools::plot_draw
