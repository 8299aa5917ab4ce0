#include "platform/raw_value.hpp"

#include <cmath>

namespace plumora {

Number Number::of(double d) {
  Number n{d, std::nullopt};
  // 2^63 is exact in a double; the range check keeps the conversion defined.
  if (std::isfinite(d) && d == std::trunc(d) && d >= -9223372036854775808.0 &&
      d < 9223372036854775808.0) {
    n.integer = static_cast<std::int64_t>(d);
  }
  return n;
}

const RawValue::Array* RawValue::asArray() const {
  const auto* p = std::get_if<std::shared_ptr<const Array>>(&value_);
  return p ? p->get() : nullptr;
}

const RawValue::Dictionary* RawValue::asDictionary() const {
  const auto* p = std::get_if<std::shared_ptr<const Dictionary>>(&value_);
  return p ? p->get() : nullptr;
}

std::optional<double> RawValue::numeric() const {
  if (const auto* n = asNumber()) return n->value;
  if (const auto* b = asBool()) return *b ? 1.0 : 0.0;
  return std::nullopt;
}

const RawValue* RawValue::find(std::string_view key) const {
  const auto* entries = asDictionary();
  if (!entries) return nullptr;
  for (const auto& [name, value] : *entries) {
    if (name == key) return &value;
  }
  return nullptr;
}

}  // namespace plumora
