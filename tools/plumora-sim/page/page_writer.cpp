#include "page/page_writer.hpp"

#include <algorithm>
#include <cmath>

#include "page/difference_section.hpp"
#include "page/markup_text.hpp"
#include "page/page_assets.hpp"
#include "page/svg_desktop.hpp"

namespace plumora::simtool {
namespace {

void legend(std::string& out) {
  out +=
      "<p class=\"legend\">"
      "<span><i class=\"swatch\" style=\"background:#28c840;outline:2px solid #0d5c1e\"></i>"
      "green button (ringed)</span>"
      "<span><i class=\"swatch\" style=\"border:3px solid var(--plum)\"></i>"
      "mouse event swallowed by Plumora (solid ring)</span>"
      "<span><i class=\"swatch\" style=\"border:3px dashed var(--passed)\"></i>"
      "passed to the application (dashed ring)</span>"
      "<span>filled ring: press, empty: release, small: drag</span>"
      "<span><i class=\"swatch\" style=\"border-radius:0;border:2px dashed var(--before)\"></i>"
      "a window's frame before it changed</span>"
      "<span><i class=\"swatch\" style=\"border-radius:2px;background:#4a4f7a\"></i>"
      "a full-screen window: a space of its own over its screen</span>"
      "<span><i class=\"swatch\" style=\"border-radius:3px;background:#fff4b8;"
      "border:2px solid #8a6d00\"></i>keys of a shortcut Plumora posted</span>"
      "</p>\n";
}

void steps(std::string& out, const PageContent& content) {
  const std::vector<Rect> views = viewsOf(content.steps);
  out += "<div id=\"scenes\">\n";
  for (std::size_t i = 0; i < content.steps.size(); ++i) {
    const Step& step = content.steps[i];
    const std::string number = std::to_string(i + 1);
    out += drawScene(step.scene, views[i],
                     std::string(i == 0 ? "class=\"current\" " : "") + "id=\"scene-" + number +
                         "\" data-step=\"" + number + "\" data-time=\"" + markupSeconds(step.time) +
                         "\" role=\"img\" aria-label=\"the desktop at " + markupSeconds(step.time) +
                         " s\"");
    out += '\n';
  }
  out += "</div>\n";
}

void timeline(std::string& out, const PageContent& content) {
  out +=
      "<details id=\"intro\"><summary>The desktop and the settings as the run starts"
      "</summary><pre>";
  for (const std::string& line : content.intro) out += escapeMarkup(line) + "\n";
  out += "</pre></details>\n<ol id=\"lines\">\n";
  for (std::size_t i = 0; i < content.steps.size(); ++i) {
    const Step& step = content.steps[i];
    const std::string number = std::to_string(i + 1);
    out += "<li id=\"line-" + number + "\" data-step=\"" + number + "\" data-tag=\"" +
           escapeMarkup(step.tag) + "\" data-caption=\"" + escapeMarkup(step.caption) + "\"" +
           (i == 0 ? " class=\"current\"" : "") + ">" + escapeMarkup(step.text) + "</li>\n";
  }
  out += "</ol>\n<h2>Expectations</h2>\n<ul id=\"expectations\">\n";
  for (const ExpectationLine& line : content.expectations) {
    out += std::string("<li class=\"") + (line.met ? "met" : "failed") + "\">" +
           escapeMarkup(line.text) + "</li>\n";
  }
  out += "</ul>\n";
}

std::string summary(const PageContent& content) {
  const std::string text = content.summary.empty() ? "no expectations" : content.summary;
  return std::string("<p class=\"summary ") + (content.allMet ? "met" : "failed") + "\">" +
         escapeMarkup(text) + "</p>";
}

}  // namespace

std::string writePage(const PageContent& content) {
  const std::string count = std::to_string(std::max<std::size_t>(content.steps.size(), 1));
  std::string out =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\"/>\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/>\n<title>"
      "plumora-sim: " +
      escapeMarkup(content.file) + "</title>\n<style>/*<![CDATA[*/" + kPageStyle +
      "/*]]>*/</style>\n</head>\n<body>\n<header><h1>plumora-sim: " + escapeMarkup(content.file) +
      "</h1>" + summary(content) + "</header>\n";
  if (content.comparison) writeDifferences(out, *content.comparison);
  out += "<main>\n<section id=\"stage\">\n";
  out +=
      "<nav id=\"controls\">"
      "<button id=\"first\" type=\"button\" title=\"First step (Home)\">First</button>"
      "<button id=\"previous\" type=\"button\" title=\"Previous step (Left)\">Previous</button>"
      "<input id=\"slider\" type=\"range\" min=\"1\" max=\"" +
      count +
      "\" value=\"1\" aria-label=\"Step\"/>"
      "<button id=\"next\" type=\"button\" title=\"Next step (Right)\">Next</button>"
      "<button id=\"last\" type=\"button\" title=\"Last step (End)\">Last</button>"
      "<output id=\"position\">step 1 of " +
      count + "</output></nav>\n";
  // What happened in plain English, and the line as the program printed it.
  const Step* first = content.steps.empty() ? nullptr : &content.steps.front();
  out += "<div id=\"caption\"><p id=\"told\">" + (first ? escapeMarkup(first->caption) : "") +
         "</p><p id=\"printed\">" + (first ? escapeMarkup(first->text) : "") + "</p></div>\n";
  steps(out, content);
  legend(out);
  out += "</section>\n<section id=\"timeline\">\n";
  timeline(out, content);
  out += summary(content) + "\n</section>\n</main>\n<script>/*<![CDATA[*/";
  out += kPageScript;
  out += "/*]]>*/</script>\n</body>\n</html>\n";
  return out;
}

std::string writePicture(const PageContent& content, std::size_t step, int width) {
  const Rect view = viewOf(content.steps);
  const double height = view.size.width > 0 ? width * view.size.height / view.size.width : 0;
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" +
         drawScene(content.steps.at(step - 1).scene, view,
                   "width=\"" + std::to_string(width) + "\" height=\"" +
                       markupNumber(std::round(height)) + "\"") +
         "\n";
}

}  // namespace plumora::simtool
