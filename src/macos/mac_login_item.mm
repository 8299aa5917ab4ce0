#include "macos/mac_login_item.hpp"

#import <Foundation/Foundation.h>
#import <ServiceManagement/ServiceManagement.h>

#include "macos/ns_string.hpp"

namespace plumora {

namespace {

std::optional<std::string> failure(BOOL succeeded, NSError* error) {
  if (succeeded) return std::nullopt;
  return toStdString(error.localizedDescription);
}

}  // namespace

LoginItemStatus MacLoginItem::status() {
  switch ([SMAppService mainAppService].status) {
    case SMAppServiceStatusNotRegistered:
      return LoginItemStatus::NotRegistered;
    case SMAppServiceStatusEnabled:
      return LoginItemStatus::Enabled;
    case SMAppServiceStatusRequiresApproval:
      return LoginItemStatus::RequiresApproval;
    case SMAppServiceStatusNotFound:
      return LoginItemStatus::NotFound;
  }
  // A status this build does not know cannot be acted on, like a missing service.
  return LoginItemStatus::NotFound;
}

std::optional<std::string> MacLoginItem::registerItem() {
  NSError* error = nil;
  const BOOL succeeded = [[SMAppService mainAppService] registerAndReturnError:&error];
  return failure(succeeded, error);
}

std::optional<std::string> MacLoginItem::unregisterItem() {
  NSError* error = nil;
  const BOOL succeeded = [[SMAppService mainAppService] unregisterAndReturnError:&error];
  return failure(succeeded, error);
}

void MacLoginItem::openSystemSettingsLoginItems() { [SMAppService openSystemSettingsLoginItems]; }

}  // namespace plumora
