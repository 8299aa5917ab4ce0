#include "recording/recording_session.hpp"

#include <cstdio>
#include <utility>

namespace plumora {

namespace fs = std::filesystem;

namespace {

std::string sizeText(std::uintmax_t bytes) {
  constexpr std::uintmax_t kKiB = 1024, kMiB = 1024 * 1024;
  if (bytes % kMiB == 0) return std::to_string(bytes / kMiB) + " MiB";
  if (bytes % kKiB == 0) return std::to_string(bytes / kKiB) + " KiB";
  return std::to_string(bytes) + " byte";
}

}  // namespace

fs::path RecordingSession::folderIn(const fs::path& home) {
  return home / "Library" / "Logs" / "Plumora" / "recordings";
}

std::string RecordingSession::fileName(const LocalTime& t) {
  char name[64];
  const int n = std::snprintf(name, sizeof name, "plumora-%04d-%02d-%02d-%02d%02d%02d.jsonl",
                              t.year, t.month, t.day, t.hour, t.minute, t.second);
  return n > 0 ? std::string(name, static_cast<std::size_t>(n)) : std::string("plumora.jsonl");
}

RecordingSession::RecordingSession(Platform& inner, RecordingHost& host, std::string plumoraVersion,
                                   std::uintmax_t capBytes)
    : inner_(inner),
      host_(host),
      version_(std::move(plumoraVersion)),
      capBytes_(capBytes),
      file_(inner.dispatch, capBytes,
            [this] {
              // Any thread: the stop itself waits for the main thread.
              inner_.dispatch.mainAfter(
                  0, [this, generation = generation_.load()] { capReached(generation); });
            }),
      recorder_(inner.clock, file_),
      platform_(inner, recorder_) {}

void RecordingSession::startIfAskedAtLaunch() {
  if (inner_.defaults.boolForKey(kRecordAtLaunchKey)) begin(true);
}

bool RecordingSession::start() {
  return begin(false);
}

bool RecordingSession::begin(bool atLaunch) {
  if (recorder_.active()) return true;
  const fs::path folder = folderIn(inner_.system.homeFolder());
  const std::string name = fileName(inner_.clock.localTime());
  // Two recordings started within a second get a number, never each other's file.
  fs::path path = folder / name;
  std::error_code error;
  for (int n = 2; fs::exists(path, error) && n < 100; ++n) {
    path = folder / (name.substr(0, name.size() - 6) + "-" + std::to_string(n) + ".jsonl");
  }
  if (!file_.open(path)) {
    log("Registrazione della sessione non avviata: impossibile creare " + path.string());
    return false;
  }
  path_ = path;
  generation_.fetch_add(1);
  RecordingHeader header = platform_.header(version_);
  header.tiledWindowMargins = host_.tiledWindowMargins();
  if (!atLaunch) header.quirks.push_back("mid-session");
  // Said before the first line, so that the recording holds the program's lines only.
  log("Registrazione della sessione avviata: " + path.filename().string());
  recorder_.begin(header);
  return true;
}

void RecordingSession::stop() {
  if (!recorder_.active()) return;
  const std::uint64_t events = end({});
  log("Registrazione della sessione fermata: " + path_.filename().string() + ", " +
      std::to_string(events) + " eventi");
  host_.revealFile(path_.string());
}

void RecordingSession::finish(std::function<void()> written) {
  if (!recorder_.active()) {
    if (written) written();
    return;
  }
  const std::uint64_t events = end(std::move(written));
  log("Registrazione della sessione fermata all'uscita: " + path_.filename().string() + ", " +
      std::to_string(events) + " eventi");
}

std::uint64_t RecordingSession::end(std::function<void()> written) {
  recorder_.finish();
  file_.close(std::move(written));
  return recorder_.events();
}

void RecordingSession::capReached(std::uint64_t generation) {
  if (generation != generation_.load() || !recorder_.active()) return;
  const std::uint64_t events = end({});
  log("Registrazione della sessione fermata al limite di " + sizeText(capBytes_) + ": " +
      path_.filename().string() + ", " + std::to_string(events) + " eventi");
}

void RecordingSession::log(const std::string& message) {
  // The platform's own log: the session's lines are not the program's, and stay out of the
  // recording.
  if (inner_.unifiedLog.isEnabled(LogLevel::Default)) {
    inner_.unifiedLog.write(LogLevel::Default, message);
  }
}

}  // namespace plumora
