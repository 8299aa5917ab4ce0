#include "page/difference_section.hpp"

#include "page/markup_text.hpp"

namespace plumora::simtool {
namespace {

void cell(std::string& out, const std::string& text, const char* column) {
  out += "<td class=\"";
  out += column;
  out += "\">";
  out += escapeMarkup(text);
  out += "</td>";
}

}  // namespace

void writeDifferences(std::string& out, const Comparison& comparison) {
  out += std::string("<section id=\"differences\" class=\"") +
         (comparison.rows.empty() ? "met" : "failed") + "\">\n<h2>" +
         escapeMarkup(comparison.title) + "</h2>\n<p id=\"difference-count\">" +
         escapeMarkup(comparison.heading) + "</p>\n";
  if (comparison.rows.empty()) {
    out += "</section>\n";
    return;
  }
  out +=
      "<table id=\"difference-table\">\n<thead><tr><th scope=\"col\">Kind</th>"
      "<th scope=\"col\">Recorded event</th><th scope=\"col\">Simulated event</th>"
      "<th scope=\"col\">Request</th><th scope=\"col\">Recorded</th>"
      "<th scope=\"col\">Simulated</th></tr></thead>\n<tbody>\n";
  for (const DifferenceRow& row : comparison.rows) {
    out += "<tr>";
    cell(out, row.kind, "kind");
    cell(out, row.recorded, "event");
    cell(out, row.simulated, "event");
    cell(out, row.request, "request");
    cell(out, row.recordedText, "value");
    cell(out, row.simulatedText, "value");
    out += "</tr>\n";
  }
  out += "</tbody>\n</table>\n</section>\n";
}

}  // namespace plumora::simtool
