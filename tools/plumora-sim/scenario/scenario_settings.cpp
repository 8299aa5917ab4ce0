#include "scenario/scenario_settings.hpp"

#include "scenario/stored_values.hpp"

namespace plumora::simtool {
namespace {

LoginItemStatus loginItemState(Words& w) {
  const std::string state =
      w.keyword("'not-registered', 'enabled', 'requires-approval' or 'not-found'");
  if (state == "not-registered") return LoginItemStatus::NotRegistered;
  if (state == "enabled") return LoginItemStatus::Enabled;
  if (state == "requires-approval") return LoginItemStatus::RequiresApproval;
  if (state != "not-found") w.fail("unknown login item state '" + state + "'");
  return LoginItemStatus::NotFound;
}

}  // namespace

void readSetting(Words& w, Scenario& s) {
  const std::string name = w.keyword("a setting");
  if (name == "enabled") {
    s.enabled = w.onOff();
  } else if (name == "restore") {
    s.restoreOnSecondClick = w.onOff();
  } else if (name == "verbose") {
    s.verbose = w.onOff();
  } else if (name == "language") {
    s.languages.clear();
    do {
      s.languages.push_back(w.text("a language code like it-IT"));
    } while (!w.atEnd());
  } else if (name == "exceptions") {
    s.exceptions = readStoredList(w);
  } else if (name == "exceptions-value") {
    s.exceptions = readStoredValue(w);
  } else if (name == "login-item") {
    s.loginItem = loginItemState(w);
    if (w.accept("registers")) s.loginItemRegistered = loginItemState(w);
  } else if (name == "unified-log") {
    // Which of its levels the system's log keeps: on a Mac, debug lines only while someone
    // asks for them (a `log stream --level debug`, a logging profile).
    const std::string level = w.keyword("'default' or 'debug'");
    if (level != "default" && level != "debug") w.fail("unknown log level '" + level + "'");
    (level == "default" ? s.unifiedLogDefault : s.unifiedLogDebug) = w.onOff();
  } else if (name == "permission") {
    const std::string state = w.keyword("'granted' or 'denied'");
    if (state != "granted" && state != "denied") w.fail("unknown permission '" + state + "'");
    s.permission = state == "granted";
  } else {
    w.fail("unknown setting '" + name + "'");
  }
}

}  // namespace plumora::simtool
