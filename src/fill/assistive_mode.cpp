#include "fill/assistive_mode.hpp"

#include <algorithm>
#include <memory>
#include <string>

namespace plumora {
namespace {

constexpr std::string_view kEnhancedUserInterface = "AXEnhancedUserInterface";

}  // namespace

AssistiveModes::Claim AssistiveModes::claim(std::int32_t pid) {
  std::lock_guard lock(mutex_);
  if (quitting_) return Claim::Refused;
  // Named before the mode is read: a quit from now on knows a run may turn it off.
  if (Entry* e = find(pid)) {
    e->state = State::Changing;
    return Claim::Ours;
  }
  entries_.push_back(Entry{pid, State::Reading});
  return Claim::Read;
}

bool AssistiveModes::beginTurningOff(std::int32_t pid, bool isOn) {
  std::lock_guard lock(mutex_);
  // A quit during the read did not wait for it: the mode must stay as it is.
  if (quitting_ || !isOn) {
    erase(pid);
    return false;
  }
  find(pid)->state = State::Changing;
  return true;
}

bool AssistiveModes::turnedOff(std::int32_t pid) {
  std::lock_guard lock(mutex_);
  if (quitting_) return false;
  find(pid)->state = State::Off;
  return true;
}

bool AssistiveModes::beginGivingBack(std::int32_t pid) {
  std::lock_guard lock(mutex_);
  Entry* e = find(pid);
  if (!e || e->state != State::Off) return false;
  e->state = State::Changing;
  return true;
}

bool AssistiveModes::gaveBack(std::int32_t pid, bool done, std::function<void()>& waiter) {
  std::lock_guard lock(mutex_);
  if (done || quitting_) {
    erase(pid);
  } else if (Entry* e = find(pid)) {
    e->state = State::Off;
  }
  if (quitting_ && waiter_ && !anyChanging()) waiter = std::move(waiter_);
  return quitting_;
}

std::vector<std::int32_t> AssistiveModes::beginQuit(std::function<void()> waiter, bool& waiting) {
  std::lock_guard lock(mutex_);
  quitting_ = true;
  std::vector<std::int32_t> off;
  for (const Entry& e : entries_) {
    if (e.state == State::Off) off.push_back(e.pid);
  }
  std::erase_if(entries_, [](const Entry& e) { return e.state == State::Off; });
  waiting = anyChanging();
  if (waiting && waiter) waiter_ = std::move(waiter);
  return off;
}

std::vector<std::int32_t> AssistiveModes::changing() {
  std::lock_guard lock(mutex_);
  std::vector<std::int32_t> pids;
  for (const Entry& e : entries_) {
    if (e.state == State::Changing) pids.push_back(e.pid);
  }
  return pids;
}

AssistiveModes::Entry* AssistiveModes::find(std::int32_t pid) {
  auto it = std::find_if(entries_.begin(), entries_.end(),
                         [pid](const Entry& e) { return e.pid == pid; });
  return it == entries_.end() ? nullptr : &*it;
}

void AssistiveModes::erase(std::int32_t pid) {
  std::erase_if(entries_, [pid](const Entry& e) { return e.pid == pid; });
}

bool AssistiveModes::anyChanging() const {
  return std::any_of(entries_.begin(), entries_.end(),
                     [](const Entry& e) { return e.state == State::Changing; });
}

AssistiveModePause::AssistiveModePause(Context& context, const Element& app, std::int32_t pid,
                                       AssistiveModes& modes)
    : context_(context), app_(app), pid_(pid), modes_(modes) {
  const AssistiveModes::Claim claim = modes_.claim(pid_);
  if (claim == AssistiveModes::Claim::Refused) return;
  // A mode still ours from an earlier run is off, or may be: no need to read it.
  if (claim == AssistiveModes::Claim::Read &&
      !modes_.beginTurningOff(pid_, app_.boolean(kEnhancedUserInterface) == true)) {
    return;
  }
  // Given back whatever this answers: a request that timed out may still take effect.
  app_.set(kEnhancedUserInterface, RawValue::boolean(false));
  if (!modes_.turnedOff(pid_)) {
    // The quit came while the request was on its way; it waits for this run to give it back,
    // since a request of its own could reach the application before this one.
    giveBack();
    return;
  }
  paused_ = true;
  context_.log.debug("Interfaccia avanzata dell'app spenta per rimettere la misura, poi riaccesa");
}

AssistiveModePause::~AssistiveModePause() {
  // The quit may have given it back already.
  if (paused_ && modes_.beginGivingBack(pid_)) giveBack();
}

void AssistiveModePause::giveBack() {
  AXError result = app_.set(kEnhancedUserInterface, RawValue::boolean(true));
  if (result != ax::kSuccess) result = app_.set(kEnhancedUserInterface, RawValue::boolean(true));
  std::function<void()> waiter;
  const bool quitting = modes_.gaveBack(pid_, result == ax::kSuccess, waiter);
  if (waiter) context_.platform.dispatch.mainAfter(0, std::move(waiter));
  if (result == ax::kSuccess) return;
  if (quitting) {
    context_.log.info("Interfaccia avanzata non riaccesa nell'app (pid " + std::to_string(pid_) +
                      "): esito " + std::to_string(result));
    return;
  }
  // Left named: a later run on the application, or the quit, tries again.
  context_.log.debug([&] {
    return "Interfaccia avanzata dell'app non riaccesa: esito " + std::to_string(result);
  });
}

bool giveBackAssistiveModes(Context& context, AssistiveModes& modes, float timeout, double patience,
                            std::function<void()> ready) {
  // Called once, by whichever comes first: the run's word or the end of the patience.
  auto called = std::make_shared<bool>(false);
  auto once = [called, ready] {
    if (*called) return;
    *called = true;
    ready();
  };
  bool waiting = false;
  const auto off = modes.beginQuit(ready ? std::function<void()>(once) : nullptr, waiting);
  for (const std::int32_t pid : off) {
    const Element app(context.platform.accessibility.application(pid));
    app.setTimeout(timeout);
    const AXError result = app.set(kEnhancedUserInterface, RawValue::boolean(true));
    if (result != ax::kSuccess) {
      context.log.info("Interfaccia avanzata non riaccesa nell'app (pid " + std::to_string(pid) +
                       "): esito " + std::to_string(result));
    }
  }
  if (!waiting || !ready) return !waiting;
  context.platform.dispatch.mainAfter(patience, [&context, &modes, called, once] {
    if (*called) return;
    for (const std::int32_t pid : modes.changing()) {
      context.log.info("Interfaccia avanzata forse non riaccesa nell'app (pid " +
                       std::to_string(pid) + "): nessuna risposta prima dell'uscita");
    }
    once();
  });
  return false;
}

}  // namespace plumora
