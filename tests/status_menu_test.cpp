#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app_fixture.hpp"

namespace plumora {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class StatusMenuTest : public test::AppFixture {
 protected:
  void opened() { app.menuNeedsUpdate(); }
};

TEST_F(StatusMenuTest, WithPermissionInItalian) {
  launched();
  opened();
  EXPECT_THAT(menuTitles(),
              ElementsAre("Plumora", "Attivo: il tasto verde fa «Riempi»", "---", "Attivo",
                          "Secondo clic: torna alle dimensioni precedenti", "Apri al login", "---",
                          "Informazioni su Plumora", "Esci da Plumora"));
  const auto& menu = item().menu;
  EXPECT_FALSE(menu[0].enabled);
  EXPECT_FALSE(menu[1].enabled);
  EXPECT_EQ(menu[0].action, MenuAction::None);
  EXPECT_TRUE(menuItem("Attivo").checked);
  EXPECT_TRUE(menuItem("Secondo clic: torna alle dimensioni precedenti").checked);
  EXPECT_FALSE(menuItem("Apri al login").checked);
  EXPECT_EQ(menuItem("Apri al login").action, MenuAction::ToggleLogin);
  // Only Quit has a key equivalent.
  for (const auto& m : menu) {
    EXPECT_EQ(m.keyEquivalent, m.action == MenuAction::Quit ? "q" : "") << m.title;
  }
}

TEST_F(StatusMenuTest, WithoutPermissionInEnglish) {
  mac.system.languages = {"en-GB", "it-IT"};
  mac.accessibility.setTrusted(false);
  launched();
  opened();
  EXPECT_THAT(menuTitles(),
              ElementsAre("Plumora", "Accessibility permission needed", "Grant Permission…", "---",
                          "Enabled", "Click again to restore the previous size", "Open at Login",
                          "---", "About Plumora", "Quit Plumora"));
  EXPECT_EQ(menuItem("Grant Permission…").action, MenuAction::OpenAccessibilitySettings);
  EXPECT_TRUE(menuItem("Grant Permission…").enabled);
  EXPECT_EQ(item().toolTip, "Plumora: Accessibility permission needed");
  // Log lines stay Italian.
  EXPECT_THAT(lines(), IsEmpty());
  app.toggleRestore();
  EXPECT_THAT(lines(), ElementsAre("Secondo clic per tornare indietro: no"));
}

TEST_F(StatusMenuTest, EnabledAndPausedInEnglish) {
  mac.system.languages = {"en-IT"};
  launched();
  opened();
  EXPECT_EQ(menuTitles()[1], "Active: the green button fills the window");
  EXPECT_EQ(item().toolTip, "Plumora: the green button fills the window");
  app.toggleEnabled();
  opened();
  EXPECT_EQ(menuTitles()[1], "Paused: the green button works as usual");
  EXPECT_EQ(item().toolTip, "Plumora is paused");
}

// The line follows the permission and the setting, not the watcher: a watcher that could not
// start is tried again at every poll.
TEST_F(StatusMenuTest, AWatcherThatFailedToStartStillReadsActive) {
  mac.eventTaps.refuse = true;
  launched();
  opened();
  EXPECT_FALSE(interceptor.isRunning());
  EXPECT_EQ(menuTitles()[1], "Attivo: il tasto verde fa «Riempi»");
}

TEST_F(StatusMenuTest, OpeningRightAfterAGrantShowsIt) {
  mac.accessibility.setTrusted(false);
  launched();
  mac.accessibility.setTrusted(true);
  opened();
  EXPECT_THAT(lines(),
              ElementsAre("Permesso di Accessibilità: concesso", "Osservazione dei clic attiva"));
  EXPECT_EQ(menuTitles()[1], "Attivo: il tasto verde fa «Riempi»");
  EXPECT_EQ(menuTitles().size(), 9u);
}

TEST_F(StatusMenuTest, PauseAndResume) {
  launched();
  app.perform(MenuAction::ToggleEnabled);
  EXPECT_THAT(lines(), ElementsAre("Messo in pausa dall'utente", "Osservazione dei clic fermata"));
  EXPECT_FALSE(interceptor.isRunning());
  EXPECT_EQ(symbol(), "rectangle.dashed");
  EXPECT_EQ(item().toolTip, "Plumora è in pausa");
  opened();
  EXPECT_EQ(menuTitles()[1], "In pausa: il tasto verde funziona come sempre");
  EXPECT_FALSE(menuItem("Attivo").checked);
  EXPECT_EQ(mac.defaults.stored("Enabled"), false);

  clearLines();
  app.perform(MenuAction::ToggleEnabled);
  EXPECT_THAT(lines(), ElementsAre("Riattivato dall'utente", "Osservazione dei clic attiva"));
  EXPECT_EQ(symbol(), "rectangle.inset.filled");
}

TEST_F(StatusMenuTest, PausingWithoutPermission) {
  mac.accessibility.setTrusted(false);
  launched();
  app.toggleEnabled();
  EXPECT_THAT(lines(), ElementsAre("Messo in pausa dall'utente"));
  EXPECT_EQ(item().toolTip, "Plumora: serve il permesso di Accessibilità");
  app.toggleEnabled();
  EXPECT_FALSE(interceptor.isRunning());
}

TEST_F(StatusMenuTest, RestoreToggleChangesOnlyTheSetting) {
  launched();
  app.toggleRestore();
  app.toggleRestore();
  EXPECT_THAT(lines(), ElementsAre("Secondo clic per tornare indietro: no",
                                   "Secondo clic per tornare indietro: sì"));
  EXPECT_EQ(mac.defaults.stored("RestoreOnSecondClick"), true);
  EXPECT_TRUE(interceptor.isRunning());
}

TEST_F(StatusMenuTest, LoginItemNeedingApprovalOpensTheSettings) {
  launched();
  mac.loginItem.afterRegister = LoginItemStatus::RequiresApproval;
  app.perform(MenuAction::ToggleLogin);
  EXPECT_EQ(mac.loginItem.registrations, 1);
  EXPECT_EQ(mac.loginItem.settingsOpened, 1);
  opened();
  EXPECT_FALSE(menuItem("Apri al login").checked);
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
  EXPECT_TRUE(menuItem("Apri al login").checked);
  app.toggleLogin();
  EXPECT_EQ(mac.loginItem.unregistrations, 1);
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
  ASSERT_EQ(mac.statusBar.aboutCredits.size(), 1u);
  EXPECT_EQ(mac.statusBar.aboutCredits[0],
            "Il tasto verde delle finestre fa «Riempi» invece di «Schermo intero».\n"
            "Con ⌥ ⌘ ⌃ ⇧ o fn premuto, il tasto verde fa la sua azione normale.");
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
