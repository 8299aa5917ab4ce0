#include "fill/size_steps.hpp"

#include <algorithm>
#include <cmath>

namespace plumora {
namespace {

// A rounding keeps the origin; a point of play covers a frame read back through other units.
constexpr double kOriginKept = 1.0;

// How much `got` falls short of `asked`, when that is a rounding down by less than a step.
bool shortBy(double asked, double got, double& amount) {
  amount = asked - got;
  return amount >= 0 && amount < SizeSteps::kLargestStep;
}

}  // namespace

Size SizeSteps::rounding(std::int32_t pid) const {
  for (const App& app : apps_) {
    if (app.pid == pid) return app.rounding;
  }
  return Size{};
}

bool SizeSteps::observe(std::int32_t pid, Rect asked, Rect got) {
  if (!(std::fabs(minX(got) - minX(asked)) <= kOriginKept &&
        std::fabs(minY(got) - minY(asked)) <= kOriginKept)) {
    return false;
  }
  double w = 0;
  double h = 0;
  if (!shortBy(width(asked), width(got), w) || !shortBy(height(asked), height(got), h)) {
    return false;
  }
  if (w == 0 && h == 0) return false;
  Size learned = rounding(pid);
  learned.width = std::max(learned.width, w);
  learned.height = std::max(learned.height, h);
  std::erase_if(apps_, [&](const App& app) { return app.pid == pid; });
  apps_.push_back(App{pid, learned});
  if (apps_.size() > kMaxApps) apps_.erase(apps_.begin());
  return true;
}

bool withinOrShort(double got, double wanted, double tolerance, double shortfall) {
  // Comparisons with NaN are false, so a NaN anywhere fails.
  return got <= wanted + tolerance && got >= wanted - tolerance - shortfall;
}

bool sameFrameRounded(const Rect& got, const Rect& asked, double tolerance, Size rounding) {
  return std::fabs(minX(got) - minX(asked)) <= tolerance &&
         std::fabs(minY(got) - minY(asked)) <= tolerance &&
         withinOrShort(width(got), width(asked), tolerance, rounding.width) &&
         withinOrShort(height(got), height(asked), tolerance, rounding.height);
}

}  // namespace plumora
