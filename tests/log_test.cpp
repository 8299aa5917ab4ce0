#include "support/log.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "sim/log_capture.hpp"
#include "sim/manual_dispatch.hpp"
#include "sim/sim_defaults.hpp"
#include "sim/sim_system.hpp"
#include "temp_folder.hpp"

namespace plumora {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class LogTest : public ::testing::Test {
 protected:
  test::TempFolder home;
  sim::VirtualClock clock;
  sim::ManualDispatch dispatch{clock};
  sim::SimDefaults defaults;
  sim::LogCapture unified{&clock};
  sim::SimSystem system{dispatch};
  Log log{unified, defaults, clock, dispatch, system};

  LogTest() { system.home = home.path().string(); }

  fs::path logFile() const { return home.path() / "Library/Logs/Plumora/Plumora.log"; }
};

TEST_F(LogTest, QuietModeWritesOnlyInfoLinesAndOnlyToTheUnifiedLog) {
  bool built = false;
  log.info("Plumora 1.0 avviato");
  log.debug([&] {
    built = true;
    return std::string("dettaglio");
  });
  dispatch.runFor(1);
  EXPECT_FALSE(built);
  ASSERT_EQ(unified.records().size(), 1u);
  EXPECT_EQ(unified.records()[0].level, LogLevel::Default);
  EXPECT_EQ(unified.records()[0].message, "Plumora 1.0 avviato");
  EXPECT_FALSE(fs::exists(home.path() / "Library"));
  EXPECT_TRUE(dispatch.queues().empty());
}

TEST_F(LogTest, VerboseModeWritesBothLevelsToBothSinks) {
  defaults.setBool("DebugLog", true);
  log.info("Permesso di Accessibilità: concesso");
  log.debug([] { return std::string("Tasto verde fermato (pid 42) in 1.5 ms"); });
  // The unified log has the lines at once; the file only once its queue has run.
  EXPECT_THAT(unified.messages(), ElementsAre("Permesso di Accessibilità: concesso",
                                              "Tasto verde fermato (pid 42) in 1.5 ms"));
  EXPECT_EQ(unified.records()[1].level, LogLevel::Debug);
  EXPECT_FALSE(fs::exists(logFile()));
  dispatch.runDue();
  EXPECT_EQ(readFile(logFile()),
            "2026-03-02 09:00:00.000 Permesso di Accessibilità: concesso\n"
            "2026-03-02 09:00:00.000 Tasto verde fermato (pid 42) in 1.5 ms\n");
  ASSERT_EQ(dispatch.queues().size(), 1u);
  EXPECT_EQ(dispatch.queues()[0].label, "Plumora.log");
  EXPECT_EQ(dispatch.queues()[0].quality, QualityOfService::Utility);
}

TEST_F(LogTest, TheStampIsTheMomentOfTheCall) {
  defaults.setBool("DebugLog", true);
  clock.advanceTo(61.2345);
  log.info("prima");
  clock.advanceTo(3725.0);
  log.info("");
  dispatch.runDue();
  EXPECT_EQ(readFile(logFile()),
            "2026-03-02 09:01:01.234 prima\n"
            "2026-03-02 10:02:05.000 \n");
}

TEST_F(LogTest, VerbosityIsReadOnceAtTheFirstLine) {
  log.info("uno");
  defaults.setBool("DebugLog", true);
  log.info("due");
  dispatch.runDue();
  EXPECT_FALSE(fs::exists(home.path() / "Library"));

  sim::SimDefaults verboseDefaults;
  verboseDefaults.setBool("DebugLog", true);
  Log verboseLog{unified, verboseDefaults, clock, dispatch, system};
  verboseLog.info("tre");
  verboseDefaults.setBool("DebugLog", false);
  verboseLog.info("quattro");
  dispatch.runDue();
  EXPECT_EQ(readFile(logFile()), "2026-03-02 09:00:00.000 tre\n2026-03-02 09:00:00.000 quattro\n");
}

// A debug line takes a literal or a callable that builds the text; a text built by the caller,
// which would cost its construction with verbose logging off, does not compile.
template <class Text>
concept DebugAccepts = requires(Log& log, Text text) {
  log.debug(text);
};
static_assert(DebugAccepts<std::string (*)()>);
static_assert(!DebugAccepts<std::string>);
static_assert(!DebugAccepts<const std::string&>);
static_assert(!DebugAccepts<std::string_view>);
static_assert(!DebugAccepts<const char*>);

TEST_F(LogTest, ThreadsAskingTogetherReadTheVerbosityOnce) {
  defaults.setBool("DebugLog", true);
  std::vector<std::thread> threads;
  std::vector<char> answers(4, 0);
  for (std::size_t i = 0; i < answers.size(); ++i) {
    threads.emplace_back([&, i] { answers[i] = log.verbose(); });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(answers, std::vector<char>(4, 1));
  EXPECT_EQ(dispatch.queues().size(), 1u);  // one file queue, made once
  defaults.setBool("DebugLog", false);
  EXPECT_TRUE(log.verbose());
}

TEST_F(LogTest, DisabledUnifiedLevelsStillReachTheFile) {
  defaults.setBool("DebugLog", true);
  unified.setEnabled(LogLevel::Debug, false);
  log.debug([] { return std::string("solo nel file"); });
  dispatch.runDue();
  EXPECT_TRUE(unified.records().empty());
  EXPECT_EQ(readFile(logFile()), "2026-03-02 09:00:00.000 solo nel file\n");
}

class LogFileTest : public ::testing::Test {
 protected:
  test::TempFolder home;
  LogFile file{LogFile::pathIn(home.path())};
  LocalTime stamp{2026, 12, 6, 7, 5, 3, 9};

  void fill(const fs::path& path, std::uintmax_t bytes, char c) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << std::string(bytes, c);
  }
};

TEST_F(LogFileTest, FirstLineCreatesTheFolderAndTheFile) {
  file.append(stamp, "ciao");
  EXPECT_EQ(readFile(file.path()), "2026-12-06 07:05:03.009 ciao\n");
  // The folder is made again for every line.
  fs::remove_all(file.path().parent_path());
  file.append(stamp, "di nuovo");
  EXPECT_EQ(readFile(file.path()), "2026-12-06 07:05:03.009 di nuovo\n");
}

TEST_F(LogFileTest, AFileOfExactlyTheLimitIsAppendedTo) {
  fill(file.path(), 2'000'000, 'a');
  file.append(stamp, "x");
  EXPECT_EQ(fs::file_size(file.path()), 2'000'000u + 26u);
  EXPECT_FALSE(fs::exists(file.oldPath()));
}

TEST_F(LogFileTest, ALargerFileIsMovedAsideReplacingTheOldOne) {
  fill(file.oldPath(), 10, 'o');
  fill(file.path(), 2'000'001, 'a');
  file.append(stamp, "nuovo");
  EXPECT_EQ(readFile(file.path()), "2026-12-06 07:05:03.009 nuovo\n");
  EXPECT_EQ(fs::file_size(file.oldPath()), 2'000'001u);
}

// The size decides only when it can be read: a missing file, or a folder in its place, moves
// nothing aside and destroys nothing.
TEST_F(LogFileTest, NoRotationWithoutAReadableSize) {
  fill(file.oldPath(), 10, 'o');
  file.append(stamp, "primo");
  EXPECT_EQ(readFile(file.path()), "2026-12-06 07:05:03.009 primo\n");
  fs::remove(file.path());
  fs::create_directories(file.path());
  file.append(stamp, "perso");
  EXPECT_TRUE(fs::is_directory(file.path()));
  EXPECT_EQ(readFile(file.oldPath()), "oooooooooo");
}

TEST(Timestamp, IsZeroPaddedAscii) {
  EXPECT_EQ(formatTimestamp(LocalTime{987, 1, 2, 3, 4, 5, 6}), "0987-01-02 03:04:05.006");
}

}  // namespace
}  // namespace plumora
