// The page of a comparison (`plumora-sim --compare FILE --html PAGE`): the simulated run drawn as
// for a scenario, and above it the table of differences with the same rows, numbers and heading
// as the printed table; values read from the recording reach the page as text, never as markup.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "compare/compare_run.hpp"
#include "compare_fixture.hpp"
#include "page/page_writer.hpp"
#include "recording_lines.hpp"
#include "replay/recording_file.hpp"

namespace plumora::simtool {
namespace {

struct Compared {
  ExitStatus status = kInternalError;
  std::string printed;  // the text table
  std::string page;
  PageContent content;
};

Compared compared(const std::string& recording, std::string_view file = "r.jsonl") {
  Compared result;
  const auto read = readRecording(recording);
  if (const auto* bad = std::get_if<RecordingError>(&read)) {
    ADD_FAILURE() << "line " << bad->line << ": " << bad->why;
    return result;
  }
  std::ostringstream out, errors;
  result.status =
      compareWithSimulator(std::get<Recording>(read), file, out, errors, &result.content);
  EXPECT_EQ(errors.str(), "");
  result.printed = out.str();
  result.page = writePage(result.content);
  return result;
}

std::string unescaped(std::string text) {
  static const std::array<std::pair<const char*, const char*>, 5> kEntities{
      {{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}}};
  for (const auto& [entity, character] : kEntities) {
    for (std::size_t at = text.find(entity); at != std::string::npos;
         at = text.find(entity, at + 1)) {
      text.replace(at, std::string(entity).size(), character);
    }
  }
  return text;
}

// The table's rows as the page has them: kind, recorded and simulated event, request, recorded
// and simulated value, unescaped.
using Row = std::array<std::string, 6>;

std::vector<Row> rowsOf(const std::string& page) {
  static const std::regex row(
      "<tr><td class=\"kind\">(.*?)</td><td class=\"event\">(.*?)</td>"
      "<td class=\"event\">(.*?)</td><td class=\"request\">(.*?)</td>"
      "<td class=\"value\">(.*?)</td><td class=\"value\">(.*?)</td></tr>");
  std::vector<Row> rows;
  for (std::sregex_iterator it(page.begin(), page.end(), row), end; it != end; ++it) {
    rows.push_back({unescaped((*it)[1]), unescaped((*it)[2]), unescaped((*it)[3]),
                    unescaped((*it)[4]), unescaped((*it)[5]), unescaped((*it)[6])});
  }
  return rows;
}

// The printed table's rows in the same order, to hold the page's against.
std::vector<Row> printedRows(const std::string& printed) {
  static const std::regex row(
      "([a-z ]+?) +(#[0-9]+|-) +(#[0-9]+|-) +(.*)\n +recorded: +(.*)\n +simulated: (.*)\n");
  std::vector<Row> rows;
  for (std::sregex_iterator it(printed.begin(), printed.end(), row), end; it != end; ++it) {
    rows.push_back({(*it)[1], (*it)[2], (*it)[3], (*it)[4], (*it)[5], (*it)[6]});
  }
  return rows;
}

std::string headingOf(const std::string& page) {
  std::smatch found;
  std::regex_search(page, found, std::regex("<p id=\"difference-count\">(.*?)</p>"));
  return unescaped(found[1]);
}

struct Expected {
  const char* kind;
  const char* recorded;
  const char* simulated;
};

struct PageCase {
  const char* name;
  std::vector<void (*)(Lines&)> edits;
  std::vector<Expected> rows;
};

const PageCase kPageCases[] = {
    {"a frame 8 points off",
     {edits::frameOffAfterFill},
     {{"frame", "(8,25 1440x875), 8 points off", "(0,25 1440x875)"}}},
    {"a frame off and a result code changed, by kind",
     {edits::timeoutRefused, edits::frameOffAfterFill},
     {{"frame", "(8,25 1440x875), 8 points off", "(0,25 1440x875)"},
      {"result code", "-25204", "0"}}},
    {"a Fill settled later and a request only the simulated Mac made",
     {edits::fillSettledLater, edits::fullScreenCheckDropped},
     {{"settling", "1.2 s", "0.8 s"}, {"only simulated", "-", "false"}}},
};

class ComparisonPage : public testing::TestWithParam<PageCase> {};

TEST_P(ComparisonPage, ListsExactlyTheDifferencesAsThePrintedTable) {
  const PageCase& c = GetParam();
  Lines lines = linesOf(recordingOf(kFillAndBack));
  for (const auto edit : c.edits) edit(lines);
  const Compared run = compared(renumbered(lines));
  EXPECT_EQ(run.status, kExpectationFailed);
  const std::vector<Row> rows = rowsOf(run.page);
  ASSERT_EQ(rows.size(), c.rows.size()) << run.printed;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i][0], c.rows[i].kind);
    EXPECT_EQ(rows[i][4], c.rows[i].recorded);
    EXPECT_EQ(rows[i][5], c.rows[i].simulated);
  }
  // Event numbers and requests as printed; the heading is the printed table's first line.
  EXPECT_EQ(rows, printedRows(run.printed)) << run.printed;
  EXPECT_NE(run.printed.find("\n" + headingOf(run.page) + "\n"), std::string::npos)
      << headingOf(run.page);
  EXPECT_NE(run.page.find("<section id=\"differences\" class=\"failed\">"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Edits, ComparisonPage, testing::ValuesIn(kPageCases),
                         [](const auto& info) { return "row" + std::to_string(info.index); });

TEST(ComparisonPageWithoutDifference, SaysSoAndStillDrawsTheRun) {
  const std::string recording = recordingOf(kFillAndBack);
  const Compared run = compared(recording);
  EXPECT_EQ(run.status, kAllMet);
  EXPECT_EQ(headingOf(run.page),
            "no differences: the simulated Mac answered as the recording did (" +
                std::to_string(std::get<Recording>(readRecording(recording)).events.size()) +
                " recorded events)");
  EXPECT_EQ(run.page.find("<table"), std::string::npos);
  EXPECT_NE(run.page.find("<p class=\"summary met\">no differences from the recording</p>"),
            std::string::npos);
  // The derived scenario's run: a drawing and a line for each of its steps.
  ASSERT_FALSE(run.content.steps.empty());
  const std::string last = std::to_string(run.content.steps.size());
  EXPECT_NE(run.page.find("id=\"scene-" + last + "\""), std::string::npos);
  EXPECT_NE(run.page.find("<li id=\"line-" + last + "\""), std::string::npos);
}

// Text a recording may hold where a log line was: it reaches the page only as text.
struct Untrusted {
  const char* name;
  const char* inFile;  // as the JSON line holds it
  const char* value;   // as the table shows it: the answer written as JSON
};

const Untrusted kUntrusted[] = {
    {"a script", "<script>alert(1)</script>", "<script>alert(1)</script>"},
    {"an entity already escaped", "a &amp; b", "a &amp; b"},
    {"quotes of both kinds", R"(\"x\" and 'y')", R"(\"x\" and 'y')"},
    {"a tag that closes the cell", "</td></tr></table><b>", "</td></tr></table><b>"},
};

class ComparisonPageText : public testing::TestWithParam<Untrusted> {};

TEST_P(ComparisonPageText, ReachesThePageEscaped) {
  const Untrusted& u = GetParam();
  Lines lines = linesOf(recordingOf(kFillAndBack));
  edits::rewordMeasurement(lines, u.inFile);
  const Compared run = compared(renumbered(lines), "<i>r</i>&.jsonl");
  const std::vector<Row> rows = rowsOf(run.page);
  ASSERT_EQ(rows.size(), 1u) << run.printed;
  EXPECT_EQ(rows[0][0], "log line");
  EXPECT_EQ(rows[0][4], "\"Misura " + std::string(u.value) + " Riempi: (0,25 1440x875)\"");
  EXPECT_EQ(run.page.find(u.value), std::string::npos) << "unescaped: " << u.value;
  EXPECT_EQ(run.page.find("<i>"), std::string::npos);
  EXPECT_NE(run.page.find("<h1>plumora-sim: &lt;i&gt;r&lt;/i&gt;&amp;.jsonl</h1>"),
            std::string::npos);
  // The page's own script, and nothing else that runs.
  EXPECT_EQ(run.page.find("<script"), run.page.rfind("<script"));
}

INSTANTIATE_TEST_SUITE_P(Values, ComparisonPageText, testing::ValuesIn(kUntrusted),
                         [](const auto& info) { return "row" + std::to_string(info.index); });

}  // namespace
}  // namespace plumora::simtool
