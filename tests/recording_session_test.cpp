// Recording this session on the simulated Mac: the file and its cap, starting and stopping, the
// key that records from the launch, and the whole program recorded while the user clicks.
#include "recording/recording_session.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "app/app_controller.hpp"
#include "fill/fill_action.hpp"
#include "interception/interceptor.hpp"
#include "sim/sim_mac.hpp"
#include "support/context.hpp"
#include "support/settings.hpp"
#include "temp_folder.hpp"

namespace plumora {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

std::vector<std::string> linesOf(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The event names of a recording's lines, "header" and "end" for the first and the last.
std::vector<std::string> eventsOf(const std::vector<std::string>& lines) {
  std::vector<std::string> events;
  for (const std::string& line : lines) {
    const auto at = line.find("\"ev\":\"");
    if (at != std::string::npos) {
      events.push_back(line.substr(at + 6, line.find('"', at + 6) - at - 6));
    } else {
      events.push_back(line.rfind("{\"end\":", 0) == 0 ? "end" : "header");
    }
  }
  return events;
}

// ---- The file on its queue --------------------------------------------------------------

class RecordingFileTest : public ::testing::Test {
 protected:
  test::TempFolder folder;
  sim::VirtualClock clock;
  sim::ManualDispatch dispatch{clock};
  int fulls = 0;
};

TEST_F(RecordingFileTest, TheWriterAloneTouchesTheFileAndKeepsTheOrder) {
  RecordingFile file(dispatch, 1 << 20, [this] { ++fulls; });
  const auto path = folder.path() / "a" / "b" / "r.jsonl";
  ASSERT_TRUE(file.open(path));
  file.write("{\"one\":1}");
  file.write("{\"two\":2}");
  // Handed, not written: the caller's thread never waits for the disk.
  EXPECT_THAT(linesOf(path), IsEmpty());
  ASSERT_EQ(dispatch.queues().size(), 1u);
  EXPECT_EQ(dispatch.queues()[0].label, "Plumora.Recording");
  dispatch.runDue();
  EXPECT_THAT(linesOf(path), ElementsAre("{\"one\":1}", "{\"two\":2}"));
  bool closed = false;
  file.close([&] { closed = true; });
  file.write("{\"late\":3}");
  dispatch.runDue();
  EXPECT_TRUE(closed);
  // A line after the close goes nowhere: the next file starts empty.
  EXPECT_THAT(linesOf(path), ElementsAre("{\"one\":1}", "{\"two\":2}"));
  ASSERT_TRUE(file.open(path));
  file.write("x");
  dispatch.runDue();
  EXPECT_THAT(linesOf(path), ElementsAre("x"));
  EXPECT_EQ(fulls, 0);
}

TEST_F(RecordingFileTest, AFileThatCannotBeMadeIsSaid) {
  RecordingFile file(dispatch, 100, {});
  // The folder's place is taken by a file.
  std::ofstream(folder.path() / "taken") << "x";
  EXPECT_FALSE(file.open(folder.path() / "taken" / "r.jsonl"));
  EXPECT_FALSE(file.open(folder.path()));
}

// The cap is told once per file, by the line that passes it; the lines after it are still
// written (the closing line among them), so the count in the file stays true.
struct CapRow {
  const char* name;
  std::uintmax_t cap;
  std::vector<std::size_t> lineSizes;  // without the newline
  int fullAfterLine;                   // 0: never
};

class CapTest : public RecordingFileTest, public ::testing::WithParamInterface<CapRow> {};

TEST_P(CapTest, IsToldOnceByTheLineThatPassesIt) {
  const CapRow& row = GetParam();
  int toldAt = 0, written = 0;
  RecordingFile file(dispatch, row.cap, [&] {
    ++fulls;
    toldAt = written;
  });
  const auto path = folder.path() / "r.jsonl";
  ASSERT_TRUE(file.open(path));
  for (const std::size_t size : row.lineSizes) {
    ++written;
    file.write(std::string(size, 'x'));
  }
  dispatch.runDue();
  EXPECT_EQ(fulls, row.fullAfterLine ? 1 : 0);
  EXPECT_EQ(toldAt, row.fullAfterLine);
  EXPECT_EQ(linesOf(path).size(), row.lineSizes.size());
  // A new file starts below the cap again.
  ASSERT_TRUE(file.open(path));
  EXPECT_EQ(file.bytes(), 0u);
  file.write(std::string(row.cap, 'y'));
  EXPECT_EQ(fulls, row.fullAfterLine ? 2 : 1);
}

const CapRow kCaps[] = {
    {"BelowTheCap", 100, {9, 9, 9}, 0},      {"ExactlyAtTheCapIsNotPast", 30, {9, 9, 9}, 0},
    {"OneByteOver", 29, {9, 9, 9}, 3},       {"TheNewlineCounts", 10, {9, 0}, 2},
    {"AHugeLineAtOnce", 50, {500, 1, 1}, 1},
};

INSTANTIATE_TEST_SUITE_P(Rows, CapTest, ::testing::ValuesIn(kCaps),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- The session ------------------------------------------------------------------------

class RecordingSessionTest : public ::testing::Test {
 protected:
  explicit RecordingSessionTest(std::uintmax_t cap = RecordingSession::kCapBytes) : cap_(cap) {
    mac.system.home = home.path().string();
    mac.desktop.addStandardScreen();
    editor = &mac.desktop.addApp(501, "TextEdit", "com.example.TextEdit");
    mac.desktop.setMenus(*editor, sim::standardMenus("TextEdit", true));
    window = &mac.desktop.addWindow(*editor, Rect::make(200, 150, 800, 600), "Documento");
    mac.desktop.activate(*editor, window);
    mac.statusBar.menuDelegate = [this] { app.menuNeedsUpdate(); };
    app.setSessionRecording(&session);
  }

  std::filesystem::path folder() const { return RecordingSession::folderIn(home.path()); }
  std::vector<std::string> lines() const { return mac.unifiedLog.messages(); }
  Point greenButton() const { return mac.desktop.center(*window, window->zoom); }
  std::vector<std::string> menuTitles() {
    std::vector<std::string> titles;
    for (const auto& m : mac.statusBar.last->menu) titles.push_back(m.separator ? "---" : m.title);
    return titles;
  }

  test::TempFolder home;
  sim::SimMac mac;
  std::uintmax_t cap_;
  RecordingSession session{mac.platform, mac.recordingHost, "1.0", cap_};
  Context context{session.platform()};
  Settings settings{session.platform().defaults};
  FillAction fill{context, settings};
  Interceptor interceptor{context, [this](const GreenClick& c) { fill.perform(c); }};
  AppController app{context, settings, interceptor, fill};
  sim::SimApp* editor = nullptr;
  sim::SimWindow* window = nullptr;
};

TEST_F(RecordingSessionTest, FromTheMenuAClickIsRecordedThenTheFileIsShown) {
  app.applicationDidFinishLaunching();
  mac.unifiedLog.clear();
  // Without Option the menu has no such item.
  mac.statusBar.last->performClick();
  EXPECT_THAT(menuTitles(), ::testing::Not(::testing::Contains("Registra questa sessione")));
  mac.recordingHost.optionHeld = true;
  mac.statusBar.last->performClick();
  EXPECT_THAT(menuTitles(), ::testing::Contains("Registra questa sessione"));
  app.perform(MenuAction::ToggleRecording);
  ASSERT_TRUE(session.isRecording());
  EXPECT_EQ(session.file(), folder() / "plumora-2026-03-02-090000.jsonl");

  mac.desktop.click(greenButton());
  mac.dispatch.runFor(5);
  app.perform(MenuAction::ToggleEnabled);
  mac.recordingHost.optionHeld = false;
  mac.statusBar.last->performClick();
  EXPECT_EQ(menuTitles().front(), "Plumora · registrazione in corso");
  EXPECT_THAT(menuTitles(), ::testing::Contains("Ferma la registrazione"));
  app.perform(MenuAction::ToggleRecording);
  EXPECT_FALSE(session.isRecording());
  EXPECT_THAT(mac.recordingHost.revealed, ElementsAre(session.file().string()));
  mac.dispatch.runDue();

  const auto recorded = linesOf(session.file());
  ASSERT_GE(recorded.size(), 3u);
  EXPECT_THAT(recorded.front(), HasSubstr("\"quirks\":[\"mid-session\"]"));
  EXPECT_THAT(recorded.front(), HasSubstr("\"tiledWindowMargins\":true"));
  EXPECT_EQ(recorded.back(), "{\"end\":" + std::to_string(recorded.size() - 2) + "}");
  const auto events = eventsOf(recorded);
  for (const char* wanted : {"tap.event", "tap.verdict", "ax.perform", "item.menu"}) {
    EXPECT_THAT(events, ::testing::Contains(wanted)) << wanted;
  }
  // The program's own log lines are in the recording; the session's are not.
  EXPECT_THAT(recorded, ::testing::Contains(HasSubstr("\"v\":\"Messo in pausa dall'utente\"")));
  for (const std::string& line : recorded) {
    EXPECT_THAT(line, ::testing::Not(HasSubstr("Registrazione della sessione")));
  }
  EXPECT_THAT(lines(), ::testing::Contains("Registrazione della sessione avviata: "
                                           "plumora-2026-03-02-090000.jsonl"));
  EXPECT_THAT(lines().back(), StartsWith("Registrazione della sessione fermata: "
                                         "plumora-2026-03-02-090000.jsonl, "));
}

// The key that records from the launch: the first request is in the file, and no quirk says
// the recording began mid-session.
class AtLaunchTest : public RecordingSessionTest, public ::testing::WithParamInterface<bool> {};

TEST_P(AtLaunchTest, TheKeyRecordsFromTheFirstRequest) {
  const bool asked = GetParam();
  mac.defaults.setBool(RecordingSession::kRecordAtLaunchKey, asked);
  mac.recordingHost.margins.reset();
  session.startIfAskedAtLaunch();
  app.applicationDidFinishLaunching();
  EXPECT_EQ(session.isRecording(), asked);
  if (!asked) {
    EXPECT_FALSE(std::filesystem::exists(folder()));
    return;
  }
  bool written = false;
  session.finish([&] { written = true; });
  EXPECT_FALSE(written);
  mac.dispatch.runDue();
  EXPECT_TRUE(written);
  EXPECT_TRUE(mac.recordingHost.revealed.empty());
  const auto recorded = linesOf(session.file());
  ASSERT_GE(recorded.size(), 3u);
  EXPECT_THAT(recorded[0], HasSubstr("\"quirks\":[]"));
  EXPECT_THAT(recorded[0], HasSubstr("\"tiledWindowMargins\":null"));
  EXPECT_THAT(recorded[0], HasSubstr("\"system\":\"Version 15.2 (Build 24C101)\""));
  // The launch's first request: the one copy check.
  EXPECT_EQ(eventsOf(recorded)[1], "defaults.register");
  EXPECT_THAT(eventsOf(recorded), ::testing::Contains("sys.running"));
  EXPECT_EQ(recorded.back(), "{\"end\":" + std::to_string(recorded.size() - 2) + "}");
}

INSTANTIATE_TEST_SUITE_P(KeyOnOrOff, AtLaunchTest, ::testing::Bool());

TEST_F(RecordingSessionTest, FinishingWithNothingRecordedIsDoneAtOnce) {
  bool written = false;
  session.finish([&] { written = true; });
  EXPECT_TRUE(written);
  session.stop();
  EXPECT_TRUE(mac.recordingHost.revealed.empty());
}

TEST_F(RecordingSessionTest, TwoRecordingsInOneSecondGetTwoFiles) {
  ASSERT_TRUE(session.start());
  const auto first = session.file();
  EXPECT_TRUE(session.start());  // already recording: the same file
  EXPECT_EQ(session.file(), first);
  session.stop();
  ASSERT_TRUE(session.start());
  EXPECT_EQ(session.file(), folder() / "plumora-2026-03-02-090000-2.jsonl");
  session.stop();
  mac.dispatch.runDue();
  EXPECT_EQ(linesOf(first).size(), 2u);  // header and end
  EXPECT_EQ(linesOf(session.file()).size(), 2u);
}

TEST_F(RecordingSessionTest, AFolderThatCannotBeMadeIsSaidAndNothingRecords) {
  std::filesystem::create_directories(home.path() / "Library" / "Logs" / "Plumora");
  std::ofstream(folder()) << "a file where the folder goes";
  EXPECT_FALSE(session.start());
  EXPECT_FALSE(session.isRecording());
  ASSERT_EQ(lines().size(), 1u);
  EXPECT_THAT(lines()[0], StartsWith("Registrazione della sessione non avviata: impossibile "
                                     "creare "));
}

// A small cap, reached by the program's own work: the recording stops by itself on the main
// thread, with a line that says so, and its file ends with a true count.
class CappedSessionTest : public RecordingSessionTest {
 protected:
  CappedSessionTest() : RecordingSessionTest(4096) {}
};

TEST_F(CappedSessionTest, StopsByItselfAtTheCap) {
  app.applicationDidFinishLaunching();
  ASSERT_TRUE(session.start());
  while (session.isRecording() && mac.clock.mediaTime() < 60) {
    mac.desktop.click(greenButton());
    mac.dispatch.runFor(2);
  }
  EXPECT_FALSE(session.isRecording());
  EXPECT_TRUE(mac.recordingHost.revealed.empty());
  mac.dispatch.runDue();
  const auto recorded = linesOf(session.file());
  EXPECT_EQ(recorded.back(), "{\"end\":" + std::to_string(recorded.size() - 2) + "}");
  std::uintmax_t beforeEnd = 0;
  for (std::size_t i = 0; i + 1 < recorded.size(); ++i) beforeEnd += recorded[i].size() + 1;
  // Past the cap by the lines of one task at most, never by a whole click's.
  EXPECT_GT(beforeEnd, 4096u);
  EXPECT_LT(beforeEnd, 4096u + 2048u);
  EXPECT_THAT(lines(), ::testing::Contains(
                           StartsWith("Registrazione della sessione fermata al limite di 4 KiB: "
                                      "plumora-2026-03-02-090000.jsonl, ")));
  // The program goes on as before, not recorded.
  const auto size = std::filesystem::file_size(session.file());
  mac.desktop.click(greenButton());
  mac.dispatch.runFor(2);
  EXPECT_EQ(std::filesystem::file_size(session.file()), size);
}

TEST_F(CappedSessionTest, ACapReachedJustBeforeTheUserStoppedLeavesTheNextRecordingAlone) {
  ASSERT_TRUE(session.start());
  // Lines past the cap; before the main thread hears of it, the user stops and starts again.
  for (int i = 0; i < 100; ++i) session.platform().system.screens();
  session.stop();
  ASSERT_TRUE(session.start());
  mac.dispatch.runDue();
  EXPECT_TRUE(session.isRecording());
  EXPECT_EQ(session.file().filename(), "plumora-2026-03-02-090000-2.jsonl");
}

}  // namespace
}  // namespace plumora
