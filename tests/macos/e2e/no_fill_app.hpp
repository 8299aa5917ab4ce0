#pragma once

// The driver's own small application: one document-like window and a Window menu without the
// system's Fill item, so that Plumora has to fall back to the fn-Control-F shortcut on it.

namespace plumora::e2e {

inline constexpr const char* kNoFillWindowTitle = "Plumora e2e: no Fill";

// Runs the application until it is terminated. Never returns normally.
int runNoFillApp();

}  // namespace plumora::e2e
