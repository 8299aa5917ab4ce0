#include "compare/size_steps.hpp"

#include <cmath>
#include <cstdlib>
#include <numeric>

#include "compare/derived_scenario.hpp"

namespace plumora::simtool {
namespace {

constexpr double kTolerance = 0.5;

long long whole(double value) {
  return std::llround(value);
}

}  // namespace

SizeRule sizeRule(const std::vector<RecordedSizing>& sizings) {
  bool rounded = false;
  bool raised = false;
  Size least;
  long long stepWidth = 0;
  long long stepHeight = 0;
  for (const RecordedSizing& s : sizings) {
    rounded = rounded || s.taken.width < s.asked.width - kTolerance ||
              s.taken.height < s.asked.height - kTolerance;
    if (s.taken.width > s.asked.width + kTolerance) {
      raised = true;
      least.width = std::max(least.width, s.taken.width);
    }
    if (s.taken.height > s.asked.height + kTolerance) {
      raised = true;
      least.height = std::max(least.height, s.taken.height);
    }
    stepWidth = std::gcd(stepWidth, whole(s.taken.width));
    stepHeight = std::gcd(stepHeight, whole(s.taken.height));
  }
  SizeRule rule;
  if (rounded) {
    rule.step = Size{static_cast<double>(std::max(stepWidth, 1LL)),
                     static_cast<double>(std::max(stepHeight, 1LL))};
  }
  if (raised) rule.minimum = least;
  return rule;
}

bool takenInSteps(const Rect& asked, const Rect& taken) {
  if (std::fabs(minX(asked) - minX(taken)) > kTolerance ||
      std::fabs(minY(asked) - minY(taken)) > kTolerance) {
    return false;
  }
  const auto side = [](double a, double t) { return t > 0 && (t > a - kTolerance || a - t < t); };
  return side(width(asked), width(taken)) && side(height(asked), height(taken));
}

std::string sizeRuleText(const std::vector<RecordedSizing>& sizings) {
  const SizeRule rule = sizeRule(sizings);
  std::string out;
  const auto size = [](const Size& s) {
    return decimalText(s.width) + "x" + decimalText(s.height);
  };
  if (rule.step) {
    out +=
        "  # its windows took sizes rounded down from those asked: the step divides every "
        "size taken (";
    for (std::size_t i = 0; i < sizings.size(); ++i) {
      out += (i ? ", " : "") + size(sizings[i].asked) + " took " + size(sizings[i].taken);
    }
    out += ")\n  size-step " + size(*rule.step) + '\n';
  }
  if (rule.minimum) {
    out += "  # a size came out larger than asked: the least size it took\n  min-size " +
           size(*rule.minimum) + '\n';
  }
  return out;
}

}  // namespace plumora::simtool
