// The wrappers of the menu-bar item and its menu, the about panel and the login item.
#include "recording/recording_ports.hpp"

namespace plumora::recording {
namespace {

class Item final : public StatusItem {
 public:
  Item(std::unique_ptr<StatusItem> inner, RecordingStatusBar& bar, Recorder& recorder)
      : inner_(std::move(inner)), bar_(bar), recorder_(recorder) {}
  bool hasButton() override {
    const bool has = inner_->hasButton();
    if (recorder_.active()) recorder_.line("item.hasButton").boolean("v", has).done();
    return has;
  }
  void setImage(std::shared_ptr<SymbolImage> image) override;
  void setToolTip(std::string_view toolTip) override {
    if (recorder_.active()) recorder_.line("item.toolTip").text("v", toolTip).done();
    inner_->setToolTip(toolTip);
  }
  void setMenuItems(const std::vector<MenuItemModel>& items) override {
    if (recorder_.active()) recorder_.line("item.menu").raw("v", menuText(items)).done();
    // Kept whether or not a recording runs: one started from this menu records its choices.
    bar_.menuShown(items);
    inner_->setMenuItems(items);
  }
  void performClick() override {
    if (recorder_.active()) recorder_.line("item.click").done();
    inner_->performClick();
  }

 private:
  std::unique_ptr<StatusItem> inner_;
  RecordingStatusBar& bar_;
  Recorder& recorder_;
};

class Symbol final : public SymbolImage {
 public:
  Symbol(std::shared_ptr<SymbolImage> inner, std::string name, Recorder& recorder)
      : inner_(std::move(inner)), name_(std::move(name)), recorder_(recorder) {}
  void setTemplate(bool isTemplate) override {
    if (recorder_.active()) {
      recorder_.line("item.template").text("name", name_).boolean("v", isTemplate).done();
    }
    inner_->setTemplate(isTemplate);
  }
  const std::shared_ptr<SymbolImage>& inner() const { return inner_; }
  const std::string& name() const { return name_; }

 private:
  std::shared_ptr<SymbolImage> inner_;
  std::string name_;
  Recorder& recorder_;
};

void Item::setImage(std::shared_ptr<SymbolImage> image) {
  const auto* symbol = dynamic_cast<const Symbol*>(image.get());
  if (recorder_.active()) {
    auto line = recorder_.line("item.image");
    if (symbol) {
      line.text("v", symbol->name());
    } else {
      line.raw("v", "null");
    }
    line.done();
  }
  inner_->setImage(symbol ? symbol->inner() : image);
}

}  // namespace

LoginItemStatus RecordingLoginItem::status() {
  const auto status = inner_.status();
  if (recorder_.active())
    recorder_.line("login.status").integer("v", static_cast<int>(status)).done();
  return status;
}

std::optional<std::string> RecordingLoginItem::registerItem() {
  auto error = inner_.registerItem();
  if (recorder_.active()) recorder_.line("login.register").boolean("v", !error).done();
  return error;
}

std::optional<std::string> RecordingLoginItem::unregisterItem() {
  auto error = inner_.unregisterItem();
  if (recorder_.active()) recorder_.line("login.unregister").boolean("v", !error).done();
  return error;
}

void RecordingLoginItem::openSystemSettingsLoginItems() {
  if (recorder_.active()) recorder_.line("login.open").done();
  inner_.openSystemSettingsLoginItems();
}

std::unique_ptr<StatusItem> RecordingStatusBar::makeSquareItem() {
  if (recorder_.active()) recorder_.line("item.make").done();
  return std::make_unique<Item>(inner_.makeSquareItem(), *this, recorder_);
}

std::string RecordingStatusBar::titleOf(MenuAction action) const {
  for (const MenuItemModel& item : shown_) {
    if (!item.separator && item.action == action) return item.title;
  }
  return {};
}

std::shared_ptr<SymbolImage> RecordingStatusBar::symbolImage(
    std::string_view name, std::string_view accessibilityDescription) {
  auto image = inner_.symbolImage(name, accessibilityDescription);
  if (recorder_.active()) {
    recorder_.line("item.symbol").text("name", name).boolean("v", image != nullptr).done();
  }
  if (!image) return nullptr;
  return std::make_shared<Symbol>(std::move(image), std::string(name), recorder_);
}

void RecordingStatusBar::showAboutPanel(std::string_view credits) {
  if (recorder_.active()) recorder_.line("item.about").done();
  inner_.showAboutPanel(credits);
}

}  // namespace plumora::recording
