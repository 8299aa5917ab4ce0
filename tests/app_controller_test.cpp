#include "app/app_controller.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fill/fill_action.hpp"
#include "interception/interceptor.hpp"
#include "sim_fixture.hpp"

namespace plumora {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The whole program on the simulated Mac: fill engine, click watcher and application shell.
class AppControllerTest : public test::SimFixture {
 protected:
  AppControllerTest() {
    mac.statusBar.menuDelegate = [this] { app.menuNeedsUpdate(); };
  }

  FillAction fill{context, settings};
  Interceptor interceptor{context, [this](const GreenClick& c) { fill.perform(c); }};
  AppController app{context, settings, interceptor, fill};

  sim::SimStatusItem& item() { return *mac.statusBar.last; }
  std::string symbol() { return item().image ? item().image->name : std::string("(none)"); }
  std::vector<std::string> menuTitles() {
    std::vector<std::string> titles;
    for (const auto& m : item().menu) titles.push_back(m.separator ? "---" : m.title);
    return titles;
  }
  const MenuItemModel& menuItem(MenuAction action) {
    for (const auto& m : item().menu) {
      if (m.action == action) return m;
    }
    throw std::out_of_range("no menu item for that action");
  }
  void launched() {
    app.applicationDidFinishLaunching();
    clearLines();
  }
};

TEST_F(AppControllerTest, LaunchInOrder) {
  mac.defaults.relaunch();  // nothing registered by anyone else in this process
  app.applicationDidFinishLaunching();
  EXPECT_THAT(lines(),
              ElementsAre("Plumora 1.0 avviato su macOS Version 15.2 (Build 24C101), eccezioni: 0",
                          "Permesso di Accessibilità: concesso", "Osservazione dei clic attiva"));
  EXPECT_EQ(mac.statusBar.itemsMade, 1);
  EXPECT_THAT(item().menu, IsEmpty());
  EXPECT_TRUE(item().image->isTemplate);
  EXPECT_EQ(mac.statusBar.lastDescription, "Plumora");
  ASSERT_EQ(mac.dispatch.timers().size(), 1u);
  EXPECT_DOUBLE_EQ(mac.dispatch.timers()[0].interval, 3.0);
  // The launch registered the defaults itself, and did not store them.
  EXPECT_TRUE(settings.restoreOnSecondClick());
  EXPECT_EQ(mac.defaults.stored("Enabled"), std::nullopt);
}

TEST_F(AppControllerTest, ASecondCopyQuitsBeforeSayingAnything) {
  mac.system.running[4711] = mac.system.bundleId;
  app.applicationDidFinishLaunching();
  EXPECT_EQ(mac.system.terminations, 1);
  EXPECT_THAT(lines(), IsEmpty());
  EXPECT_EQ(mac.statusBar.itemsMade, 0);
  EXPECT_EQ(mac.accessibility.promptsShown(), 0);
  EXPECT_TRUE(mac.dispatch.timers().empty());
}

// A permission granted is looked at half a second after the system's notification. On the
// platform the notification may come before the permission has changed: that look still sees
// the old state, and the next poll sees the change. Only the launch asks the user.
class GrantTest : public AppControllerTest,
                  public ::testing::WithParamInterface<std::pair<double, double>> {};

TEST_P(GrantTest, IsNoticedAfterTheNotificationOrAtTheNextPoll) {
  const auto [takesEffectAfter, noticedAt] = GetParam();
  mac.accessibility.setTrusted(false);
  mac.system.version.reset();  // a missing version is a question mark
  app.applicationDidFinishLaunching();
  EXPECT_THAT(lines(),
              ElementsAre("Plumora ? avviato su macOS Version 15.2 (Build 24C101), eccezioni: 0",
                          "Permesso di Accessibilità: mancante"));
  clearLines();
  mac.dispatch.runUntil(1.0);
  mac.changePermission(true, takesEffectAfter);
  mac.dispatch.runUntil(noticedAt - 0.01);
  EXPECT_FALSE(interceptor.isRunning());
  EXPECT_THAT(lines(), IsEmpty());
  mac.dispatch.runUntil(noticedAt);
  EXPECT_TRUE(interceptor.isRunning());
  mac.dispatch.runUntil(30);
  EXPECT_THAT(lines(),
              ElementsAre("Permesso di Accessibilità: concesso", "Osservazione dei clic attiva"));
  EXPECT_EQ(mac.accessibility.promptsShown(), 1);
}

INSTANTIATE_TEST_SUITE_P(Delays, GrantTest,
                         ::testing::Values(std::pair(0.0, 1.5), std::pair(0.8, 3.0)));

TEST_F(AppControllerTest, APollNoticesARevokedPermission) {
  launched();
  const int images = item().imageSets;
  const int toolTips = item().toolTipSets;
  mac.dispatch.runUntil(3.5);
  // A poll with no change says nothing, and leaves image and tooltip alone: a tooltip set
  // again while it shows would flicker.
  EXPECT_THAT(lines(), IsEmpty());
  EXPECT_EQ(item().imageSets, images);
  EXPECT_EQ(item().toolTipSets, toolTips);
  // A revocation the tap is not told of (the watcher hears nothing): the poll still finds it.
  mac.desktop.tapNoticeDelay = 100;
  mac.accessibility.setTrusted(false);
  mac.dispatch.runUntil(5.9);
  EXPECT_TRUE(interceptor.isRunning());
  mac.dispatch.runUntil(6.0);
  EXPECT_THAT(lines(),
              ElementsAre("Permesso di Accessibilità: mancante", "Osservazione dei clic fermata"));
  EXPECT_FALSE(interceptor.isRunning());
  EXPECT_EQ(item().toolTipSets, toolTips + 1);
}

TEST_F(AppControllerTest, AWatcherThatFailedToStartIsRetriedAtEveryPoll) {
  mac.eventTaps.refuse = true;
  launched();
  mac.eventTaps.refuse = false;
  mac.dispatch.runUntil(3.0);
  EXPECT_TRUE(interceptor.isRunning());
  EXPECT_EQ(symbol(), "rectangle.inset.filled");
  // An enabled switch turned off elsewhere is followed at the next poll too.
  mac.defaults.setBool("Enabled", false);
  mac.dispatch.runUntil(6.0);
  EXPECT_FALSE(interceptor.isRunning());
}

TEST_F(AppControllerTest, MissingSymbolsFallBackThenGoWithoutAnImage) {
  mac.statusBar.missingSymbols = {"rectangle.inset.filled"};
  launched();
  EXPECT_EQ(symbol(), "macwindow");
  mac.statusBar.missingSymbols = {"rectangle.dashed", "macwindow"};
  app.toggleEnabled();
  EXPECT_EQ(symbol(), "(none)");
  EXPECT_EQ(item().toolTip, "Plumora è in pausa");
}

TEST_F(AppControllerTest, AnItemWithoutAButtonIsLeftAlone) {
  mac.statusBar.itemsHaveButtons = false;
  launched();
  EXPECT_EQ(item().imageSets, 0);
  EXPECT_FALSE(app.applicationShouldHandleReopen());
  EXPECT_EQ(item().clicks, 0);
}

TEST_F(AppControllerTest, ReopenOpensTheMenuAndTerminateStopsTheWatcher) {
  launched();
  // Revoked with no word yet from the system: opening the menu is what finds it out.
  mac.desktop.tapNoticeDelay = 100;
  mac.accessibility.setTrusted(false);
  EXPECT_FALSE(app.applicationShouldHandleReopen());
  EXPECT_EQ(item().clicks, 1);
  EXPECT_FALSE(item().menu.empty());
  EXPECT_THAT(lines(),
              ElementsAre("Permesso di Accessibilità: mancante", "Osservazione dei clic fermata"));
  mac.accessibility.setTrusted(true);
  app.menuNeedsUpdate();
  clearLines();
  app.applicationWillTerminate();
  EXPECT_FALSE(interceptor.isRunning());
  EXPECT_THAT(lines(), ElementsAre("Osservazione dei clic fermata"));
}

TEST_F(AppControllerTest, AQuitWhileARunHoldsAnAppsAssistiveModeOffTurnsItBackOn) {
  launched();
  editor->restoreAnswer = sim::RestoreAnswer::Elsewhere;
  editor->elsewhere = Rect::make(300, 300, 500, 400);
  editor->enhancedUserInterface = true;
  fill.perform(clickOn(*window, 0));
  mac.dispatch.runUntil(1.0);
  std::optional<bool> modeAfterQuit;
  mac.accessibility.onWrite = [&](const sim::SimAccessibility::Written& write) {
    if (write.attribute != "AXPosition" || modeAfterQuit) return;
    // The user quits while the restore holds the mode off; the process ends before the run.
    mac.dispatch.syncMain([&] { app.applicationWillTerminate(); });
    modeAfterQuit = editor->enhancedUserInterface;
  };
  fill.perform(clickOn(*window, 1.0));
  mac.dispatch.runUntil(6.0);
  EXPECT_EQ(modeAfterQuit, true);
}

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

class LookTest : public AppControllerTest, public ::testing::WithParamInterface<Look> {};

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

TEST_F(AppControllerTest, WithoutPermissionInEnglishTheMenuOffersToGrantIt) {
  mac.system.languages = {"en-GB", "it-IT"};
  mac.accessibility.setTrusted(false);
  launched();
  app.menuNeedsUpdate();
  EXPECT_THAT(
      menuTitles(),
      ElementsAre("Plumora", "Accessibility permission needed", "Grant Permission…", "---",
                  "Enabled", "Click again to restore the previous size", "Open at Login", "---",
                  "Normal green button in “TextEdit”", "---", "About Plumora", "Quit Plumora"));
  EXPECT_TRUE(menuItem(MenuAction::OpenAccessibilitySettings).enabled);
  app.showAbout();
  EXPECT_EQ(mac.statusBar.aboutCredits.at(0),
            "The green window button fills the window instead of going full screen.\n"
            "Hold ⌥ ⌘ ⌃ ⇧ or fn for its usual action.");
  // Log lines stay Italian; without permission, resuming does not try to watch.
  app.toggleRestore();
  app.toggleEnabled();
  app.toggleEnabled();
  EXPECT_THAT(lines(), ElementsAre("Secondo clic per tornare indietro: no",
                                   "Messo in pausa dall'utente", "Riattivato dall'utente"));
}

TEST_F(AppControllerTest, PauseResumeAndTheRestoreSwitchAreSaidAndStored) {
  launched();
  app.perform(MenuAction::ToggleEnabled);
  EXPECT_THAT(lines(), ElementsAre("Messo in pausa dall'utente", "Osservazione dei clic fermata"));
  EXPECT_EQ(mac.defaults.stored("Enabled"), false);
  clearLines();
  app.perform(MenuAction::ToggleEnabled);
  EXPECT_THAT(lines(), ElementsAre("Riattivato dall'utente", "Osservazione dei clic attiva"));
  clearLines();
  // The restore switch changes only its setting.
  app.perform(MenuAction::ToggleRestore);
  app.menuNeedsUpdate();
  EXPECT_FALSE(menuItem(MenuAction::ToggleRestore).checked);
  app.perform(MenuAction::ToggleRestore);
  EXPECT_THAT(lines(), ElementsAre("Secondo clic per tornare indietro: no",
                                   "Secondo clic per tornare indietro: sì"));
  EXPECT_EQ(mac.defaults.stored("RestoreOnSecondClick"), true);
  EXPECT_TRUE(interceptor.isRunning());
}

TEST_F(AppControllerTest, LoginItemNeedingApprovalOpensTheSettings) {
  launched();
  mac.loginItem.afterRegister = LoginItemStatus::RequiresApproval;
  app.perform(MenuAction::ToggleLogin);
  EXPECT_EQ(mac.loginItem.settingsOpened, 1);
  app.menuNeedsUpdate();
  EXPECT_FALSE(menuItem(MenuAction::ToggleLogin).checked);
  EXPECT_THAT(lines(), IsEmpty());
  // Choosing it again fails, but the item still waits for approval: the settings open again.
  mac.loginItem.registerError = "Operazione non permessa";
  app.perform(MenuAction::ToggleLogin);
  EXPECT_EQ(mac.loginItem.registrations, 2);
  EXPECT_EQ(mac.loginItem.settingsOpened, 2);
  EXPECT_THAT(lines(), ElementsAre("Apri al login: Operazione non permessa"));
}

TEST_F(AppControllerTest, LoginItemOnOffAndFailure) {
  launched();
  app.toggleLogin();
  app.menuNeedsUpdate();
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

TEST_F(AppControllerTest, TheWholeMenuInItalianAndWhatItsItemsDo) {
  launched();
  app.menuNeedsUpdate();
  EXPECT_THAT(menuTitles(), ElementsAre("Plumora", "Attivo: il tasto verde fa «Riempi»", "---",
                                        "Attivo", "Secondo clic: torna alle dimensioni precedenti",
                                        "Apri al login", "---", "Tasto verde normale in «TextEdit»",
                                        "---", "Informazioni su Plumora", "Esci da Plumora"));
  EXPECT_FALSE(item().menu[0].enabled);
  EXPECT_FALSE(item().menu[1].enabled);
  EXPECT_EQ(item().menu[0].action, MenuAction::None);
  EXPECT_TRUE(menuItem(MenuAction::ToggleRestore).checked);
  EXPECT_FALSE(menuItem(MenuAction::ToggleLogin).checked);
  // Only Quit has a key equivalent.
  for (const auto& m : item().menu) {
    EXPECT_EQ(m.keyEquivalent, m.action == MenuAction::Quit ? "q" : "") << m.title;
  }
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

// The recording item: offered with Option held as the menu opens, always there while a
// recording runs, with the first line saying so; nowhere without a recording to drive.
class FakeRecording : public SessionRecording {
 public:
  bool optionKeyHeld() override { return option; }
  bool isRecording() override { return recording; }
  bool start() override {
    ++starts;
    recording = startWorks;
    return startWorks;
  }
  void stop() override {
    ++stops;
    recording = false;
  }
  bool option = false, recording = false, startWorks = true;
  int starts = 0, stops = 0;
};

struct RecordingRow {
  const char* name;
  bool wired, option, recording;
  const char* language;
  const char *first, *item;  // item: "" when there is none
};

const RecordingRow kRecordingRows[] = {
    {"NoOptionNoItem", true, false, false, "it", "Plumora", ""},
    {"OptionOffersIt", true, true, false, "it", "Plumora", "Registra questa sessione"},
    {"RecordingShowsStop", true, false, true, "it", "Plumora · registrazione in corso",
     "Ferma la registrazione"},
    {"RecordingWithOptionStillStop", true, true, true, "it", "Plumora · registrazione in corso",
     "Ferma la registrazione"},
    {"OptionInEnglish", true, true, false, "en-GB", "Plumora", "Record this session"},
    {"RecordingInEnglish", true, false, true, "en-GB", "Plumora · recording this session",
     "Stop recording"},
    {"NotWiredNoItemEvenWithOption", false, true, true, "it", "Plumora", ""},
};

class RecordingItemTest : public AppControllerTest,
                          public ::testing::WithParamInterface<RecordingRow> {};

TEST_P(RecordingItemTest, FollowsOptionAndTheRecording) {
  const RecordingRow& row = GetParam();
  FakeRecording recording;
  recording.option = row.option;
  recording.recording = row.recording;
  mac.system.languages = {row.language};
  if (row.wired) app.setSessionRecording(&recording);
  launched();
  item().performClick();
  const auto titles = menuTitles();
  EXPECT_EQ(titles.front(), row.first);
  std::vector<std::string> withAction;
  for (const auto& m : item().menu) {
    if (m.action == MenuAction::ToggleRecording) withAction.push_back(m.title);
  }
  if (*row.item) {
    ASSERT_THAT(withAction, ElementsAre(row.item));
    // Just above About, in the last group.
    const auto at = std::find(titles.begin(), titles.end(), row.item);
    ASSERT_NE(at + 1, titles.end());
    EXPECT_EQ(*(at + 1), titles[titles.size() - 2]);
    EXPECT_TRUE(menuItem(MenuAction::ToggleRecording).enabled);
  } else {
    EXPECT_THAT(withAction, IsEmpty());
  }
  app.perform(MenuAction::ToggleRecording);
  EXPECT_EQ(recording.starts, row.wired && !row.recording ? 1 : 0);
  EXPECT_EQ(recording.stops, row.wired && row.recording ? 1 : 0);
  EXPECT_THAT(lines(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Rows, RecordingItemTest, ::testing::ValuesIn(kRecordingRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AppControllerTest, ARecordingThatCouldNotStartLeavesTheMenuAsItWas) {
  FakeRecording recording;
  recording.option = true;
  recording.startWorks = false;
  app.setSessionRecording(&recording);
  launched();
  app.perform(MenuAction::ToggleRecording);
  recording.option = false;
  item().performClick();
  EXPECT_EQ(menuTitles().front(), "Plumora");
  EXPECT_THAT(menuTitles(), ::testing::Not(::testing::Contains("Ferma la registrazione")));
}

}  // namespace
}  // namespace plumora
