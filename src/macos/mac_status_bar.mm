#include "macos/mac_status_bar.hpp"

#import <AppKit/AppKit.h>

#include "macos/ns_string.hpp"

namespace plumora {

namespace {

class MacSymbolImage final : public SymbolImage {
 public:
  explicit MacSymbolImage(NSImage* image) : image_(image) {}
  NSImage* image() const { return image_; }

  // `template` is a C++ keyword: the setter form is the only one that compiles here.
  void setTemplate(bool isTemplate) override { [image_ setTemplate:isTemplate]; }

 private:
  NSImage* image_;
};

SEL selectorFor(MenuAction action) {
  switch (action) {
    case MenuAction::ToggleEnabled:
      return @selector(toggleEnabled:);
    case MenuAction::ToggleRestore:
      return @selector(toggleRestore:);
    case MenuAction::ToggleLogin:
      return @selector(toggleLogin:);
    case MenuAction::ToggleException:
      return @selector(toggleException:);
    case MenuAction::OpenAccessibilitySettings:
      return @selector(openAccessibilitySettings:);
    case MenuAction::ShowAbout:
      return @selector(showAbout:);
    case MenuAction::Quit:
      return @selector(quit:);
    case MenuAction::ToggleRecording:
      return @selector(toggleRecording:);
    case MenuAction::None:
      break;
  }
  return nil;
}

class MacStatusItem final : public StatusItem {
 public:
  MacStatusItem(NSStatusItem* item, id appDelegate) : item_(item), appDelegate_(appDelegate) {}
  ~MacStatusItem() override { [[NSStatusBar systemStatusBar] removeStatusItem:item_]; }

  bool hasButton() override { return item_.button != nil; }

  void setImage(std::shared_ptr<SymbolImage> image) override {
    const auto* mac = dynamic_cast<const MacSymbolImage*>(image.get());
    item_.button.image = mac ? mac->image() : nil;
  }

  void setToolTip(std::string_view toolTip) override { item_.button.toolTip = toNSString(toolTip); }

  void setMenuItems(const std::vector<MenuItemModel>& items) override {
    NSMenu* menu = item_.menu;
    [menu removeAllItems];
    for (const MenuItemModel& model : items) {
      if (model.separator) {
        [menu addItem:[NSMenuItem separatorItem]];
        continue;
      }
      const SEL action = selectorFor(model.action);
      NSMenuItem* item = [[NSMenuItem alloc] initWithTitle:toNSString(model.title)
                                                    action:action
                                             keyEquivalent:toNSString(model.keyEquivalent)];
      if (action) [item setTarget:appDelegate_];
      [item setEnabled:model.enabled];
      [item setState:model.checked ? NSControlStateValueOn : NSControlStateValueOff];
      [menu addItem:item];
    }
  }

  void performClick() override { [item_.button performClick:nil]; }

 private:
  NSStatusItem* item_;
  id appDelegate_;
};

}  // namespace

std::unique_ptr<StatusItem> MacStatusBar::makeSquareItem() {
  NSStatusItem* item =
      [[NSStatusBar systemStatusBar] statusItemWithLength:NSSquareStatusItemLength];
  NSMenu* menu = [[NSMenu alloc] initWithTitle:@""];
  menu.delegate = appDelegate_;
  // Otherwise AppKit decides each item's enabled state and ignores the model's.
  menu.autoenablesItems = NO;
  [item setMenu:menu];
  return std::make_unique<MacStatusItem>(item, appDelegate_);
}

std::shared_ptr<SymbolImage> MacStatusBar::symbolImage(std::string_view name,
                                                       std::string_view accessibilityDescription) {
  NSImage* image = [NSImage imageWithSystemSymbolName:toNSString(name)
                             accessibilityDescription:accessibilityDescription.empty()
                                                          ? nil
                                                          : toNSString(accessibilityDescription)];
  if (!image) return nullptr;
  return std::make_shared<MacSymbolImage>(image);
}

void MacStatusBar::showAboutPanel(std::string_view credits) {
  NSMutableParagraphStyle* style = [[NSMutableParagraphStyle alloc] init];
  style.alignment = NSTextAlignmentCenter;
  NSDictionary<NSAttributedStringKey, id>* attributes = @{
    NSFontAttributeName : [NSFont systemFontOfSize:11],
    NSParagraphStyleAttributeName : style,
    NSForegroundColorAttributeName : [NSColor labelColor],
  };
  NSAttributedString* text = [[NSAttributedString alloc] initWithString:toNSString(credits)
                                                             attributes:attributes];
  [NSApp activate];
  [NSApp orderFrontStandardAboutPanelWithOptions:@{NSAboutPanelOptionCredits : text}];
  // Since macOS 14 activation is only a request, which the system may turn down while another
  // application is in front: order the panel itself to the front as well. It is the only panel
  // this application shows.
  for (NSWindow* window in [NSApp windows]) {
    if ([window isKindOfClass:[NSPanel class]] && window.visible) [window orderFrontRegardless];
  }
}

}  // namespace plumora
