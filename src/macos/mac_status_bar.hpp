#pragma once

// The status-bar port on AppKit: the status item, its menu, symbol images and the about panel.
// Objective-C++ only.

#import <Foundation/Foundation.h>

#include "platform/status_bar.hpp"

namespace plumora {

class MacStatusBar final : public StatusBar {
 public:
  // `appDelegate` is the delegate of every menu and the target of every item.
  explicit MacStatusBar(id appDelegate) : appDelegate_(appDelegate) {}

  std::unique_ptr<StatusItem> makeSquareItem() override;
  std::shared_ptr<SymbolImage> symbolImage(std::string_view name,
                                           std::string_view accessibilityDescription) override;
  void showAboutPanel(std::string_view credits) override;

 private:
  id appDelegate_;
};

}  // namespace plumora
