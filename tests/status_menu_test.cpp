#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>

#include "app_fixture.hpp"

namespace plumora {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class StatusMenuTest : public test::AppFixture {
 protected:
  void opened() { app.menuNeedsUpdate(); }
};

// One state of the program and how its item shows it: the symbol, the tooltip and the menu's
// line under the name. `toggles` is how often the user chose "Attivo" after the launch.
struct Look {
  const char* language;
  bool trusted, enabledAtLaunch, tapRefused;
  int toggles;
  bool running;
  const char *symbol, *toolTip, *line;
};

constexpr const char* kFilled = "rectangle.inset.filled";
constexpr const char* kDashed = "rectangle.dashed";
constexpr const char* kTipOn = "Plumora: il tasto verde fa «Riempi»";
constexpr const char* kTipPaused = "Plumora è in pausa";
constexpr const char* kTipNeeds = "Plumora: serve il permesso di Accessibilità";
constexpr const char* kOn = "Attivo: il tasto verde fa «Riempi»";
constexpr const char* kPaused = "In pausa: il tasto verde funziona come sempre";
constexpr const char* kNeeds = "Manca il permesso di Accessibilità";

const Look kLooks[] = {
    {"it", true, true, false, 0, true, kFilled, kTipOn, kOn},
    {"it", true, true, false, 1, false, kDashed, kTipPaused, kPaused},
    {"it", true, false, false, 0, false, kDashed, kTipPaused, kPaused},
    {"it", true, false, false, 1, true, kFilled, kTipOn, kOn},
    {"it", false, true, false, 0, false, kDashed, kTipNeeds, kNeeds},
    {"it", false, true, false, 2, false, kDashed, kTipNeeds, kNeeds},
    {"it", false, false, false, 0, false, kDashed, kTipNeeds, kNeeds},
    // The line follows the permission and the setting; the look follows the watcher, which is
    // tried again at every poll.
    {"it", true, true, true, 0, false, kDashed, kTipPaused, kOn},
    {"en-IT", true, true, false, 0, true, kFilled, "Plumora: the green button fills the window",
     "Active: the green button fills the window"},
    {"en-GB", true, true, false, 1, false, kDashed, "Plumora is paused",
     "Paused: the green button works as usual"},
    {"en-GB", false, true, false, 0, false, kDashed, "Plumora: Accessibility permission needed",
     "Accessibility permission needed"},
};

void PrintTo(const Look& r, std::ostream* os) {
  *os << r.language << " trusted " << r.trusted << " enabled " << r.enabledAtLaunch << " no tap "
      << r.tapRefused << " toggled " << r.toggles;
}

class LookTest : public test::AppFixture, public ::testing::WithParamInterface<Look> {};

TEST_P(LookTest, FollowsPermissionSettingAndLanguage) {
  const Look& row = GetParam();
  mac.system.languages = {row.language};
  mac.accessibility.setTrusted(row.trusted);
  settings.setEnabled(row.enabledAtLaunch);
  mac.eventTaps.refuse = row.tapRefused;
  launched();
  for (int i = 0; i < row.toggles; ++i) app.perform(MenuAction::ToggleEnabled);
  app.menuNeedsUpdate();
  EXPECT_EQ(interceptor.isRunning(), row.running);
  EXPECT_EQ(symbol(), row.symbol);
  EXPECT_EQ(item().toolTip, row.toolTip);
  ASSERT_GE(menuTitles().size(), 2u);
  EXPECT_EQ(menuTitles()[1], row.line);
  const bool enabled = row.enabledAtLaunch != (row.toggles % 2 == 1);
  EXPECT_EQ(settings.enabled(), enabled);
  EXPECT_EQ(menuItem(MenuAction::ToggleEnabled).checked, enabled);
}

INSTANTIATE_TEST_SUITE_P(States, LookTest, ::testing::ValuesIn(kLooks));

TEST_F(StatusMenuTest, TheWholeMenuInItalian) {
  launched();
  opened();
  EXPECT_THAT(menuTitles(),
              ElementsAre("Plumora", "Attivo: il tasto verde fa «Riempi»", "---", "Attivo",
                          "Secondo clic: torna alle dimensioni precedenti", "Apri al login", "---",
                          "Informazioni su Plumora", "Esci da Plumora"));
  EXPECT_FALSE(item().menu[0].enabled);
  EXPECT_FALSE(item().menu[1].enabled);
  EXPECT_EQ(item().menu[0].action, MenuAction::None);
  EXPECT_TRUE(menuItem(MenuAction::ToggleRestore).checked);
  EXPECT_FALSE(menuItem(MenuAction::ToggleLogin).checked);
  // Only Quit has a key equivalent.
  for (const auto& m : item().menu) {
    EXPECT_EQ(m.keyEquivalent, m.action == MenuAction::Quit ? "q" : "") << m.title;
  }
}

TEST_F(StatusMenuTest, WithoutPermissionInEnglishTheMenuOffersToGrantIt) {
  mac.system.languages = {"en-GB", "it-IT"};
  mac.accessibility.setTrusted(false);
  launched();
  opened();
  EXPECT_THAT(menuTitles(),
              ElementsAre("Plumora", "Accessibility permission needed", "Grant Permission…", "---",
                          "Enabled", "Click again to restore the previous size", "Open at Login",
                          "---", "About Plumora", "Quit Plumora"));
  EXPECT_TRUE(menuItem(MenuAction::OpenAccessibilitySettings).enabled);
  // Log lines stay Italian.
  app.toggleRestore();
  EXPECT_THAT(lines(), ElementsAre("Secondo clic per tornare indietro: no"));
}

TEST_F(StatusMenuTest, PauseAndResumeAreSaidAndStored) {
  launched();
  app.perform(MenuAction::ToggleEnabled);
  EXPECT_THAT(lines(), ElementsAre("Messo in pausa dall'utente", "Osservazione dei clic fermata"));
  EXPECT_EQ(mac.defaults.stored("Enabled"), false);
  clearLines();
  app.perform(MenuAction::ToggleEnabled);
  EXPECT_THAT(lines(), ElementsAre("Riattivato dall'utente", "Osservazione dei clic attiva"));
}

TEST_F(StatusMenuTest, WithoutPermissionResumingDoesNotTryToWatch) {
  mac.accessibility.setTrusted(false);
  launched();
  app.toggleEnabled();
  app.toggleEnabled();
  EXPECT_THAT(lines(), ElementsAre("Messo in pausa dall'utente", "Riattivato dall'utente"));
}

TEST_F(StatusMenuTest, RestoreToggleChangesOnlyTheSetting) {
  launched();
  app.perform(MenuAction::ToggleRestore);
  opened();
  EXPECT_FALSE(menuItem(MenuAction::ToggleRestore).checked);
  app.perform(MenuAction::ToggleRestore);
  EXPECT_THAT(lines(), ElementsAre("Secondo clic per tornare indietro: no",
                                   "Secondo clic per tornare indietro: sì"));
  EXPECT_EQ(mac.defaults.stored("RestoreOnSecondClick"), true);
  EXPECT_TRUE(interceptor.isRunning());
}

TEST_F(StatusMenuTest, LoginItemNeedingApprovalOpensTheSettings) {
  launched();
  mac.loginItem.afterRegister = LoginItemStatus::RequiresApproval;
  app.perform(MenuAction::ToggleLogin);
  EXPECT_EQ(mac.loginItem.settingsOpened, 1);
  opened();
  EXPECT_FALSE(menuItem(MenuAction::ToggleLogin).checked);
  EXPECT_THAT(lines(), IsEmpty());
  // Choosing it again fails, but the item still waits for approval: the settings open again.
  mac.loginItem.registerError = "Operazione non permessa";
  app.perform(MenuAction::ToggleLogin);
  EXPECT_EQ(mac.loginItem.registrations, 2);
  EXPECT_EQ(mac.loginItem.settingsOpened, 2);
  EXPECT_THAT(lines(), ElementsAre("Apri al login: Operazione non permessa"));
}

TEST_F(StatusMenuTest, LoginItemOnOffAndFailure) {
  launched();
  app.toggleLogin();
  opened();
  EXPECT_TRUE(menuItem(MenuAction::ToggleLogin).checked);
  app.toggleLogin();
  EXPECT_EQ(mac.loginItem.state, LoginItemStatus::NotRegistered);
  mac.loginItem.registerError = "Operazione non permessa";
  app.toggleLogin();
  EXPECT_THAT(lines(), ElementsAre("Apri al login: Operazione non permessa"));
  EXPECT_EQ(mac.loginItem.settingsOpened, 0);
  // A failed unregistration is said too, and the item stays on.
  clearLines();
  mac.loginItem.registerError.reset();
  app.toggleLogin();
  mac.loginItem.unregisterError = "Elemento non trovato";
  app.toggleLogin();
  EXPECT_THAT(lines(), ElementsAre("Apri al login: Elemento non trovato"));
  EXPECT_EQ(mac.loginItem.state, LoginItemStatus::Enabled);
  // A status the program does not know is no registration: the next choice registers.
  mac.loginItem.registerError.reset();
  mac.loginItem.state = LoginItemStatus::NotFound;
  app.toggleLogin();
  EXPECT_EQ(mac.loginItem.state, LoginItemStatus::Enabled);
}

TEST_F(StatusMenuTest, PermissionSettingsAboutAndQuit) {
  launched();
  app.perform(MenuAction::OpenAccessibilitySettings);
  EXPECT_THAT(mac.system.openedURLs,
              ElementsAre("x-apple.systempreferences:com.apple.preference.security?"
                          "Privacy_Accessibility"));
  app.perform(MenuAction::ShowAbout);
  EXPECT_THAT(mac.statusBar.aboutCredits,
              ElementsAre("Il tasto verde delle finestre fa «Riempi» invece di «Schermo intero».\n"
                          "Con ⌥ ⌘ ⌃ ⇧ o fn premuto, il tasto verde fa la sua azione normale."));
  app.perform(MenuAction::Quit);
  EXPECT_EQ(mac.system.terminations, 1);
  EXPECT_THAT(lines(), IsEmpty());
}

TEST_F(StatusMenuTest, AboutCreditsInEnglish) {
  mac.system.languages = {"en-US"};
  app.showAbout();
  EXPECT_EQ(mac.statusBar.aboutCredits.at(0),
            "The green window button fills the window instead of going full screen.\n"
            "Hold ⌥ ⌘ ⌃ ⇧ or fn for its usual action.");
}

}  // namespace
}  // namespace plumora
