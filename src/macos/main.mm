// The composition root: the application, its delegate, the platform and the core, each made
// once and kept for the whole process. The bundle's LSUIElement makes it a menu-bar app.

#import <AppKit/AppKit.h>

#include "app/app_controller.hpp"
#include "fill/fill_action.hpp"
#include "interception/interceptor.hpp"
#include "macos/app_delegate.hpp"
#include "macos/mac_platform.hpp"
#include "support/context.hpp"
#include "support/settings.hpp"

int main() {
  @autoreleasepool {
    NSApplication* application = [NSApplication sharedApplication];
    PlumoraAppDelegate* delegate = [[PlumoraAppDelegate alloc] init];

    plumora::MacPlatform platform(delegate);
    plumora::Context context(platform.platform());
    plumora::Settings settings(platform.platform().defaults);
    plumora::FillAction fill(context, settings);
    plumora::Interceptor interceptor(
        context, [&fill](const plumora::GreenClick& click) { fill.perform(click); });
    plumora::AppController controller(context, settings, interceptor, fill);

    [delegate setController:&controller];
    // The application keeps only a weak reference: `delegate` above keeps it alive.
    [application setDelegate:delegate];
    [application run];
  }
  return 0;
}
