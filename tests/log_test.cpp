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

TEST_F(LogTest, QuietModeWritesOnlyInfoLinesToTheUnifiedLogAndStaysQuiet) {
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
  EXPECT_TRUE(dispatch.queues().empty());
  // The verbosity was read at the first line, once.
  defaults.setBool("DebugLog", true);
  log.info("due");
  dispatch.runDue();
  EXPECT_FALSE(fs::exists(home.path() / "Library"));
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
  EXPECT_EQ(dispatch.queues()[0].quality, QualityOfService::Utility);
  // The stamp is the moment of the call, not of the append.
  clock.advanceTo(61.2345);
  log.info("prima");
  clock.advanceTo(3725.0);
  log.info("");
  dispatch.runDue();
  EXPECT_THAT(readFile(logFile()), ::testing::EndsWith("2026-03-02 09:01:01.234 prima\n"
                                                       "2026-03-02 10:02:05.000 \n"));
  // A level the unified log has turned off still reaches the file.
  unified.setEnabled(LogLevel::Debug, false);
  log.debug([] { return std::string("solo nel file"); });
  dispatch.runDue();
  EXPECT_EQ(unified.records().size(), 4u);
  EXPECT_THAT(readFile(logFile()), ::testing::EndsWith("10:02:05.000 solo nel file\n"));
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

// A file over the limit is moved aside, replacing the old one; one of exactly the limit is not.
TEST_F(LogFileTest, RotatesAboveTheLimit) {
  for (const std::uintmax_t size : {2'000'000u, 2'000'001u}) {
    SCOPED_TRACE(size);
    fill(file.oldPath(), 10, 'o');
    fill(file.path(), size, 'a');
    file.append(stamp, "x");
    const bool rotated = size > 2'000'000u;
    EXPECT_EQ(fs::file_size(file.path()), rotated ? 26u : size + 26u);
    EXPECT_EQ(fs::file_size(file.oldPath()), rotated ? size : 10u);
  }
  // Where the README sends people, and where earlier versions left it.
  EXPECT_EQ(file.oldPath(), home.path() / "Library/Logs/Plumora/Plumora.old.log");
}

// The folder is made again for every line. The size decides only when it can be read: a
// missing file, or a folder in its place, moves nothing aside and destroys nothing.
TEST_F(LogFileTest, NoRotationWithoutAReadableSize) {
  file.append(stamp, "ciao");
  fs::remove_all(file.path().parent_path());
  file.append(stamp, "primo");
  EXPECT_EQ(readFile(file.path()), "2026-12-06 07:05:03.009 primo\n");
  fill(file.oldPath(), 10, 'o');
  fs::remove(file.path());
  fs::create_directories(file.path());
  file.append(stamp, "perso");
  EXPECT_TRUE(fs::is_directory(file.path()));
  EXPECT_EQ(readFile(file.oldPath()), "oooooooooo");
}

}  // namespace
}  // namespace plumora
