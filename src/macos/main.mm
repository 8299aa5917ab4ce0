// The composition root: the application, its delegate, the platform and the core, each made
// once and kept for the whole process. The bundle's LSUIElement makes it a menu-bar app.

#import <AppKit/AppKit.h>
#include <dispatch/dispatch.h>

#include <csignal>

#include "app/app_controller.hpp"
#include "fill/fill_action.hpp"
#include "interception/interceptor.hpp"
#include "macos/app_delegate.hpp"
#include "macos/mac_platform.hpp"
#include "macos/mac_recording_host.hpp"
#include "recording/recording_session.hpp"
#include "support/context.hpp"
#include "support/settings.hpp"

int main() {
  @autoreleasepool {
    NSApplication* application = [NSApplication sharedApplication];
    PlumoraAppDelegate* delegate = [[PlumoraAppDelegate alloc] init];

    plumora::MacPlatform mac(delegate);
    // The program always runs on the recording's wrappers, so that a recording started from the
    // menu knows the elements the program already holds; stopped, they cost a check each.
    plumora::MacRecordingHost recordingHost;
    plumora::RecordingSession recording(mac.platform(), recordingHost,
                                        mac.platform().system.bundleShortVersion().value_or("?"));
    recording.startIfAskedAtLaunch();

    plumora::Context context(recording.platform());
    plumora::Settings settings(recording.platform().defaults);
    plumora::FillAction fill(context, settings);
    plumora::Interceptor interceptor(
        context, [&fill](const plumora::GreenClick& click) { fill.perform(click); });
    plumora::AppController controller(context, settings, interceptor, fill);
    controller.setSessionRecording(&recording);

    [delegate setController:&controller];
    [delegate setRecording:&recording];
    // The application keeps only a weak reference: `delegate` above keeps it alive.
    [application setDelegate:delegate];

    // A termination signal (kill, a test's end) quits as the menu does, so that a recording
    // gets its closing line.
    std::signal(SIGTERM, SIG_IGN);
    dispatch_source_t terminationSignal =
        dispatch_source_create(DISPATCH_SOURCE_TYPE_SIGNAL, SIGTERM, 0, dispatch_get_main_queue());
    dispatch_source_set_event_handler(terminationSignal, ^{
      [NSApp terminate:nil];
    });
    dispatch_resume(terminationSignal);

    [application run];
  }
  return 0;
}
