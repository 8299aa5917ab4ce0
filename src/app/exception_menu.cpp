// The exceptions: applications whose green button keeps its own action. The list lives in the
// user defaults, where a user may also edit it by hand; the menu's item edits it for the
// frontmost application, and the click watcher gets every new list at once.
#include <algorithm>
#include <string>

#include "app/app_controller.hpp"

namespace plumora {

StoredExceptions AppController::loadExceptions() {
  StoredExceptions stored = ExceptionList::read(context_.platform.defaults);
  interceptor_.setExceptions(stored.ids);
  return stored;
}

void AppController::reportSkipped(const StoredExceptions& stored) {
  // The list is read again each time the menu opens: the same bad value is said only once.
  std::string line = stored.skippedLine();
  if (line == skippedSaid_) return;
  if (!line.empty()) context_.log.info(line);
  skippedSaid_ = std::move(line);
}

std::optional<MenuItemModel> AppController::exceptionItem() {
  menuApp_.reset();
  System& system = context_.platform.system;
  const auto pid = system.frontmostApplicationPid();
  // Plumora's own windows are never filled: it is no exception to make.
  if (!pid || *pid == system.processId()) return std::nullopt;
  MenuApp app;
  system.withBundleIdentifier(*pid, [&](std::string_view id) { app.bundleId = id; });
  // One the stored list could not hold is as good as none.
  if (app.bundleId.size() > ExceptionList::kMaxLength) app.bundleId.clear();
  app.name = system.applicationName(*pid);
  const std::string name = !app.name.empty()       ? app.name
                           : !app.bundleId.empty() ? app.bundleId
                                                   : "pid " + std::to_string(*pid);
  MenuItemModel item;
  item.title = context_.language.isItalian() ? "Tasto verde normale in «" + name + "»"
                                             : "Normal green button in “" + name + "”";
  item.action = MenuAction::ToggleException;
  // Without a bundle identifier there is nothing to keep that names the application.
  item.enabled = !app.bundleId.empty();
  item.checked = item.enabled && interceptor_.exceptions().contains(app.bundleId);
  menuApp_ = std::move(app);
  return item;
}

void AppController::toggleException() {
  if (!menuApp_ || menuApp_->bundleId.empty()) return;
  const std::string id = menuApp_->bundleId;
  // The stored list as it is now: a hand edit made since the menu opened is kept.
  StoredExceptions stored = loadExceptions();
  reportSkipped(stored);
  std::vector<std::string>& ids = stored.ids;
  const auto found = std::find_if(ids.begin(), ids.end(), [&](const std::string& known) {
    return ExceptionList::sameIdentifier(known, id);
  });
  const bool excepted = found == ids.end();
  if (!excepted) {
    ids.erase(found);
  } else if (ids.size() >= ExceptionList::kMaxEntries) {
    context_.log.info("Eccezioni: già " + std::to_string(ExceptionList::kMaxEntries) + ", " + id +
                      " non aggiunta");
    return;
  } else {
    ids.push_back(id);
  }
  ExceptionList::write(context_.platform.defaults, ids);
  interceptor_.setExceptions(ids);
  context_.log.info("Tasto verde normale in " + id + ": " + (excepted ? "sì" : "no"));
}

}  // namespace plumora
