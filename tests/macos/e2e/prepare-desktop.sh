#!/usr/bin/env bash
# Clears what stands in the way of real clicks on a hosted macOS runner, before the end-to-end
# test (CI only: it changes the logged-in user's settings):
#   tests/macos/e2e/prepare-desktop.sh [PROGRAM...]
# - macOS 15 asks whether a program may "bypass the system private window picker" on its first
#   screen capture of the month, and the alert takes the focus: the runner agent, the shell and
#   the named programs (the driver, which takes the screenshots) are marked as approved until
#   3024, in replayd's ScreenCaptureApprovals.plist, as the runner images do for the agent;
# - TextEdit opens a new document rather than its open panel;
# - the tiled-window margins are left at the system's default (on since macOS 15): the driver
#   checks Fill with the setting a user has out of the box, and reports the margin it measured.
set -euo pipefail

if [ "${CI:-}" != true ] && [ "${GITHUB_ACTIONS:-}" != true ]; then
  echo "prepare-desktop.sh: for a CI runner only (it changes the user's settings)" >&2
  exit 1
fi

approvals="$HOME/Library/Group Containers/group.com.apple.replayd/ScreenCaptureApprovals.plist"
mkdir -p "$(dirname "$approvals")"
approved=()
for program in /opt/hca/hosted-compute-agent /usr/local/opt/runner/provisioner/provisioner \
  /bin/bash "$@"; do
  [ -e "$program" ] || continue
  # replayd keys a program by its real path.
  program=$(cd "$(dirname "$program")" && pwd -P)/$(basename "$program")
  defaults write "$approvals" "$program" -date "3024-01-01 00:00:00 +0000"
  approved+=("$program")
done
# replayd and the preferences cache read the file again only when restarted.
killall cfprefsd 2>/dev/null || true
killall replayd 2>/dev/null || true
echo "prepare-desktop.sh: screen capture approved for ${approved[*]}"
plutil -p "$approvals" || true

defaults write com.apple.TextEdit NSShowAppCentricOpenPanelInsteadOfUntitledFile -bool false
echo "prepare-desktop.sh: TextEdit opens documents without its open panel"

defaults delete com.apple.WindowManager EnableTiledWindowMargins 2>/dev/null || true
echo "prepare-desktop.sh: tiled windows have margins: the system's default"
