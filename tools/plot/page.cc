// The route viewer: the plot's SVG inside one HTML page, with a small script
// for zoom and pan along the kilometres and a box for the hover texts. The
// page must open from disk with no network: it names no URL at all, not even
// the SVG namespace, which the HTML parser supplies.
#include <string>

#include "tools/plot/draw.h"
#include "tools/plot/plot.h"
#include "tools/plot/route_viewer_script.h"

namespace tools {
namespace {

constexpr char kStyle[] = R"(
body { font-family: sans-serif; margin: 12px; color: #222; }
#bar { margin-bottom: 6px; font-size: 13px; }
#bar button { font-size: 13px; margin-right: 4px; }
#view { margin-left: 12px; font-weight: bold; }
#route { display: block; user-select: none; }
#tip { position: fixed; z-index: 1; max-width: 520px; padding: 6px 8px; background: #fffff0;
  border: 1px solid #888; font-size: 12px; white-space: pre-line; pointer-events: none; }
)";

}  // namespace

std::string plot_html(const model::Scenario& m, const compiler::CompileResult* compiled) {
  const std::string heading = plot_draw::escape(m.scenario_name + " - train " + m.train_number);
  return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
         heading + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n" +
         "<div id=\"bar\"><button id=\"zoom-in\" type=\"button\">zoom in</button>"
         "<button id=\"zoom-out\" type=\"button\">zoom out</button>"
         "<button id=\"whole\" type=\"button\">whole line</button>"
         " Wheel over the tracks to zoom along the kilometres, drag to pan, double-click for "
         "the whole line; hover any object for its values.<span id=\"view\"></span></div>\n" +
         plot_svg_element(m, compiled) + "<div id=\"tip\" hidden></div>\n<script>\n" +
         std::string(route_viewer_script()) + "</script>\n</body>\n</html>\n";
}

}  // namespace tools
