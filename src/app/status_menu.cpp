// The status item's menu, rebuilt each time it opens, and the actions of its items.
#include <string>

#include "app/app_controller.hpp"

namespace plumora {
namespace {

// System Settings > Privacy & Security > Accessibility.
constexpr std::string_view kAccessibilitySettingsURL =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";

MenuItemModel item(std::string_view title, MenuAction action, bool checked = false,
                   std::string keyEquivalent = {}) {
  MenuItemModel m;
  m.title = title;
  m.action = action;
  m.checked = checked;
  m.keyEquivalent = std::move(keyEquivalent);
  return m;
}

MenuItemModel label(std::string_view title) {
  MenuItemModel m = item(title, MenuAction::None);
  m.enabled = false;
  return m;
}

}  // namespace

void AppController::menuNeedsUpdate() {
  // The menu shows the permission of this moment, not of the last poll, and the exceptions as
  // they are stored now.
  refreshTrust(false);
  reportSkipped(loadExceptions());
  if (statusItem_) statusItem_->setMenuItems(menuItems());
}

std::vector<MenuItemModel> AppController::menuItems() {
  Language& language = context_.language;
  std::vector<MenuItemModel> items;
  const bool recording = session_ && session_->isRecording();
  items.push_back(label(
      recording ? language.L("Plumora · registrazione in corso", "Plumora · recording this session")
                : "Plumora"));
  if (!trusted_) {
    items.push_back(
        label(language.L("Manca il permesso di Accessibilità", "Accessibility permission needed")));
    items.push_back(item(language.L("Concedi il permesso…", "Grant Permission…"),
                         MenuAction::OpenAccessibilitySettings));
  } else if (settings_.enabled()) {
    items.push_back(label(language.L("Attivo: il tasto verde fa «Riempi»",
                                     "Active: the green button fills the window")));
  } else {
    items.push_back(label(language.L("In pausa: il tasto verde funziona come sempre",
                                     "Paused: the green button works as usual")));
  }
  items.push_back(MenuItemModel::separatorItem());
  items.push_back(
      item(language.L("Attivo", "Enabled"), MenuAction::ToggleEnabled, settings_.enabled()));
  items.push_back(item(language.L("Secondo clic: torna alle dimensioni precedenti",
                                  "Click again to restore the previous size"),
                       MenuAction::ToggleRestore, settings_.restoreOnSecondClick()));
  items.push_back(item(language.L("Apri al login", "Open at Login"), MenuAction::ToggleLogin,
                       context_.platform.loginItem.status() == LoginItemStatus::Enabled));
  items.push_back(MenuItemModel::separatorItem());
  if (auto exception = exceptionItem()) {
    items.push_back(std::move(*exception));
    items.push_back(MenuItemModel::separatorItem());
  }
  // For a report: offered with Option held as the menu opens, and always while it runs.
  if (recording) {
    items.push_back(
        item(language.L("Ferma la registrazione", "Stop recording"), MenuAction::ToggleRecording));
  } else if (session_ && session_->optionKeyHeld()) {
    items.push_back(item(language.L("Registra questa sessione", "Record this session"),
                         MenuAction::ToggleRecording));
  }
  items.push_back(
      item(language.L("Informazioni su Plumora", "About Plumora"), MenuAction::ShowAbout));
  items.push_back(
      item(language.L("Esci da Plumora", "Quit Plumora"), MenuAction::Quit, false, "q"));
  return items;
}

void AppController::perform(MenuAction action) {
  switch (action) {
    case MenuAction::None:
      break;
    case MenuAction::ToggleEnabled:
      toggleEnabled();
      break;
    case MenuAction::ToggleRestore:
      toggleRestore();
      break;
    case MenuAction::ToggleLogin:
      toggleLogin();
      break;
    case MenuAction::ToggleException:
      toggleException();
      break;
    case MenuAction::OpenAccessibilitySettings:
      openAccessibilitySettings();
      break;
    case MenuAction::ShowAbout:
      showAbout();
      break;
    case MenuAction::Quit:
      quit();
      break;
    case MenuAction::ToggleRecording:
      toggleRecording();
      break;
  }
}

void AppController::toggleEnabled() {
  settings_.setEnabled(!settings_.enabled());
  const bool enabled = settings_.enabled();
  context_.log.info(enabled ? "Riattivato dall'utente" : "Messo in pausa dall'utente");
  if (trusted_ && enabled) {
    interceptor_.start();
  } else {
    interceptor_.stop();
  }
  updateIcon();
}

void AppController::toggleRestore() {
  settings_.setRestoreOnSecondClick(!settings_.restoreOnSecondClick());
  context_.log.info(std::string("Secondo clic per tornare indietro: ") +
                    (settings_.restoreOnSecondClick() ? "sì" : "no"));
}

void AppController::toggleLogin() {
  LoginItem& login = context_.platform.loginItem;
  const auto error =
      login.status() == LoginItemStatus::Enabled ? login.unregisterItem() : login.registerItem();
  if (error) context_.log.info("Apri al login: " + *error);
  // The user must approve the item in System Settings before it opens at login.
  if (login.status() == LoginItemStatus::RequiresApproval) login.openSystemSettingsLoginItems();
}

void AppController::openAccessibilitySettings() {
  context_.platform.system.openURL(kAccessibilitySettingsURL);
}

void AppController::showAbout() {
  context_.platform.statusBar.showAboutPanel(
      context_.language.L("Il tasto verde delle finestre fa «Riempi» invece di «Schermo intero».\n"
                          "Con ⌥ ⌘ ⌃ ⇧ o fn premuto, il tasto verde fa la sua azione normale.",
                          "The green window button fills the window instead of going full screen.\n"
                          "Hold ⌥ ⌘ ⌃ ⇧ or fn for its usual action."));
}

void AppController::toggleRecording() {
  if (!session_) return;
  if (session_->isRecording()) {
    session_->stop();
  } else {
    session_->start();
  }
}

void AppController::quit() {
  context_.platform.system.terminate();
}

}  // namespace plumora
