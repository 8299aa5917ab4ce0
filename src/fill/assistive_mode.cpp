#include "fill/assistive_mode.hpp"

#include <string>

namespace plumora {
namespace {

constexpr std::string_view kEnhancedUserInterface = "AXEnhancedUserInterface";

}  // namespace

AssistiveModePause::AssistiveModePause(Context& context, const Element& app, std::int32_t pid,
                                       AssistiveModeOff& off)
    : context_(context), app_(app), pid_(pid), off_(off) {
  if (app_.boolean(kEnhancedUserInterface) != true) return;
  // Named before it is turned off: a quit from now on turns it back on.
  off_.store(pid_);
  // Given back whatever this answers: a request that timed out may still take effect.
  app_.set(kEnhancedUserInterface, RawValue::boolean(false));
  paused_ = true;
  context_.log.debug("Interfaccia avanzata dell'app spenta per rimettere la misura, poi riaccesa");
}

AssistiveModePause::~AssistiveModePause() {
  if (!paused_) return;
  // A busy application may let the first request time out: one more try.
  AXError result = app_.set(kEnhancedUserInterface, RawValue::boolean(true));
  if (result != ax::kSuccess) result = app_.set(kEnhancedUserInterface, RawValue::boolean(true));
  if (result == ax::kSuccess) {
    std::int32_t mine = pid_;
    off_.compare_exchange_strong(mine, 0);
    return;
  }
  // Left named: the quit tries once more.
  context_.log.debug([&] {
    return "Interfaccia avanzata dell'app non riaccesa: esito " + std::to_string(result);
  });
}

void giveBackAssistiveMode(Context& context, AssistiveModeOff& off, float timeout) {
  const std::int32_t pid = off.exchange(0);
  if (pid == 0) return;
  const Element app(context.platform.accessibility.application(pid));
  app.setTimeout(timeout);
  app.set(kEnhancedUserInterface, RawValue::boolean(true));
}

}  // namespace plumora
