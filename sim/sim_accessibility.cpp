#include "sim/sim_accessibility.hpp"

#include <stdexcept>

namespace plumora::sim {

struct SimAccessibility::Attribute {
  std::optional<RawValue> stored;
  std::function<RawValue()> computed;
  std::optional<AXError> error;
  std::function<AXError(const RawValue&)> write;
  bool exists() const { return stored || computed || error; }
};

struct SimAccessibility::Node {
  std::int32_t pid = 0;
  bool alive = true;
  // What a request about a dead node answers: an application element of a process that is not
  // running cannot complete; a vanished element is invalid.
  AXError deadError = ax::kInvalidUIElement;
  std::map<std::string, Attribute, std::less<>> attributes;
  std::map<std::string, std::function<AXError()>, std::less<>> actions;
};

// One handle to a node. Copies of an ElementRef share the handle and its timeout, as copies of
// a platform reference share the object.
class SimElementHandle : public ElementHandle {
 public:
  SimElementHandle(SimAccessibility& sim, NodeId node) : sim_(sim), node_(node) {}

  NodeId node() const { return node_; }
  const SimAccessibility* owner() const { return &sim_; }

  bool equals(const ElementHandle& other) const override {
    auto* o = dynamic_cast<const SimElementHandle*>(&other);
    return o && o->owner() == owner() && o->node_ == node_;
  }
  AXError copyAttribute(std::string_view name, RawValue& value) const override {
    return sim_.copyAttribute(node_, timeout_, name, value);
  }
  AXError copyAttributes(std::span<const std::string_view> names, RawValue& reply) const override {
    return sim_.copyAttributes(node_, timeout_, names, reply);
  }
  // The answers below may run after the handle is gone (a late effect), so they hold the
  // interface and the node, not the handle.
  AXError performAction(std::string_view action) const override {
    SimAccessibility* sim = &sim_;
    const NodeId node = node_;
    return sim_.serve(node_, timeout_, true, [sim, node, name = std::string(action)]() -> AXError {
      auto* n = sim->find(node);
      auto it = n->actions.find(name);
      if (it == n->actions.end()) return ax::kActionUnsupported;
      sim->performed_.push_back({node, name, sim->clock_.mediaTime()});
      return it->second();
    });
  }
  AXError setAttribute(std::string_view name, const RawValue& value) const override {
    SimAccessibility* sim = &sim_;
    const NodeId node = node_;
    return sim_.serve(node_, timeout_, true,
                      [sim, node, attribute = std::string(name), value]() -> AXError {
                        auto* n = sim->find(node);
                        auto it = n->attributes.find(attribute);
                        if (it == n->attributes.end() || !it->second.write) {
                          return ax::kAttributeUnsupported;
                        }
                        sim->written_.push_back({node, attribute, value, sim->clock_.mediaTime()});
                        if (sim->onWrite) sim->onWrite(sim->written_.back());
                        return it->second.write(value);
                      });
  }
  AXError isAttributeSettable(std::string_view name, bool& settable) const override {
    return sim_.serve(node_, timeout_, false, [this, &settable, name]() -> AXError {
      auto* n = sim_.find(node_);
      auto it = n->attributes.find(name);
      settable = it != n->attributes.end() && it->second.write != nullptr;
      return ax::kSuccess;
    });
  }
  // Answered by the handle itself, with no request to the application.
  AXError processId(std::int32_t& pid) const override {
    if (node_ == sim_.systemWide_) return ax::kIllegalArgument;
    pid = sim_.pidOf(node_);
    return ax::kSuccess;
  }
  AXError setMessagingTimeout(float seconds) const override {
    if (!(seconds >= 0)) return ax::kIllegalArgument;
    if (node_ == sim_.systemWide_) {
      sim_.processTimeout_ = seconds > 0 ? seconds : SimAccessibility::kDefaultTimeout;
    } else {
      timeout_ = seconds;
    }
    return ax::kSuccess;
  }
  AXError elementAtPosition(float x, float y, ElementRef& element) const override {
    if (node_ != sim_.systemWide_) return ax::kIllegalArgument;
    if (!sim_.trusted_) return ax::kAPIDisabled;
    auto hit = sim_.hitTest_ ? sim_.hitTest_(Point{x, y}) : std::nullopt;
    if (!hit) return ax::kNoValue;
    // The application under the point answers, at its own pace.
    return sim_.serve(*hit, 0, false, [this, &element, hit]() -> AXError {
      element = sim_.handle(*hit);
      return ax::kSuccess;
    });
  }

 private:
  SimAccessibility& sim_;
  NodeId node_;
  mutable float timeout_ = 0;  // 0: the process default
};

SimAccessibility::SimAccessibility(VirtualClock& clock) : clock_(clock) {
  systemWide_ = addNode(0);
}

SimAccessibility::~SimAccessibility() = default;

ElementRef SimAccessibility::systemWide() {
  return handle(systemWide_);
}

ElementRef SimAccessibility::application(std::int32_t pid) {
  auto it = applications_.find(pid);
  if (it != applications_.end()) return handle(it->second);
  // A process that is not running: its element exists, but nothing answers.
  NodeId id = addNode(pid);
  find(id)->alive = false;
  find(id)->deadError = ax::kCannotComplete;
  applications_[pid] = id;
  return handle(id);
}

bool SimAccessibility::isProcessTrusted(bool prompt) {
  if (prompt && !trusted_) ++prompts_;
  return trusted_;
}

void SimAccessibility::setTrusted(bool trusted) {
  if (trusted == trusted_) return;
  trusted_ = trusted;
  if (onTrustChanged) onTrustChanged(trusted);
}

NodeId SimAccessibility::addNode(std::int32_t pid) {
  nodes_.push_back(std::make_unique<Node>());
  nodes_.back()->pid = pid;
  return static_cast<NodeId>(nodes_.size() - 1);
}

NodeId SimAccessibility::applicationNode(std::int32_t pid) {
  auto it = applications_.find(pid);
  if (it == applications_.end()) it = applications_.emplace(pid, addNode(pid)).first;
  Node* node = find(it->second);
  node->alive = true;
  node->deadError = ax::kInvalidUIElement;
  return it->second;
}

SimAccessibility::Node* SimAccessibility::find(NodeId id) {
  return id < nodes_.size() ? nodes_[id].get() : nullptr;
}

const SimAccessibility::Node* SimAccessibility::find(NodeId id) const {
  return id < nodes_.size() ? nodes_[id].get() : nullptr;
}

namespace {
template <class N>
N& require(N* node) {
  if (!node) throw std::out_of_range("no such accessibility element");
  return *node;
}
}  // namespace

void SimAccessibility::set(NodeId node, std::string_view attribute, RawValue value) {
  auto& a = require(find(node)).attributes[std::string(attribute)];
  a.stored = std::move(value);
  a.computed = nullptr;
  a.error.reset();
}

void SimAccessibility::setComputed(NodeId node, std::string_view attribute,
                                   std::function<RawValue()> read) {
  auto& a = require(find(node)).attributes[std::string(attribute)];
  a.stored.reset();
  a.computed = std::move(read);
  a.error.reset();
}

void SimAccessibility::fail(NodeId node, std::string_view attribute, AXError error) {
  require(find(node)).attributes[std::string(attribute)].error = error;
}

void SimAccessibility::remove(NodeId node, std::string_view attribute) {
  auto& attributes = require(find(node)).attributes;
  if (auto it = attributes.find(attribute); it != attributes.end()) attributes.erase(it);
}

void SimAccessibility::setWritable(NodeId node, std::string_view attribute,
                                   std::function<AXError(const RawValue&)> write) {
  require(find(node)).attributes[std::string(attribute)].write = std::move(write);
}

void SimAccessibility::setReadOnly(NodeId node, std::string_view attribute) {
  auto& attributes = require(find(node)).attributes;
  if (auto it = attributes.find(attribute); it != attributes.end()) it->second.write = nullptr;
}

void SimAccessibility::setAction(NodeId node, std::string_view action,
                                 std::function<AXError()> perform) {
  require(find(node)).actions[std::string(action)] = std::move(perform);
}

void SimAccessibility::vanish(NodeId node) {
  require(find(node)).alive = false;
}

bool SimAccessibility::alive(NodeId node) const {
  const Node* n = find(node);
  return n && n->alive;
}

std::int32_t SimAccessibility::pidOf(NodeId node) const {
  return require(find(node)).pid;
}

ElementRef SimAccessibility::handle(NodeId node) {
  require(find(node));
  return std::make_shared<SimElementHandle>(*this, node);
}

std::optional<NodeId> SimAccessibility::nodeOf(const ElementHandle& handle) const {
  auto* h = dynamic_cast<const SimElementHandle*>(&handle);
  if (!h || h->owner() != this) return std::nullopt;
  return h->node();
}

void SimAccessibility::setHitTest(std::function<std::optional<NodeId>(Point)> hitTest) {
  hitTest_ = std::move(hitTest);
}

void SimAccessibility::setLatency(std::int32_t pid, double seconds) {
  latency_[pid] = seconds;
}

std::uint64_t SimAccessibility::requests(std::int32_t pid) const {
  auto it = requests_.find(pid);
  return it == requests_.end() ? 0 : it->second;
}

std::uint64_t SimAccessibility::totalRequests() const {
  std::uint64_t total = 0;
  for (const auto& [pid, count] : requests_) total += count;
  return total;
}

void SimAccessibility::clearJournal() {
  performed_.clear();
  written_.clear();
}

RawValue SimAccessibility::fresh(const RawValue& value) {
  if (const auto* e = value.asElement()) {
    if (auto node = nodeOf(*e)) return RawValue::element(handle(*node));
    return value;
  }
  if (const auto* items = value.asArray()) {
    RawValue::Array copy;
    copy.reserve(items->size());
    for (const auto& item : *items) copy.push_back(fresh(item));
    return RawValue::array(std::move(copy));
  }
  if (const auto* entries = value.asDictionary()) {
    RawValue::Dictionary copy;
    for (const auto& [key, item] : *entries) copy.emplace_back(key, fresh(item));
    return RawValue::dictionary(std::move(copy));
  }
  return value;
}

AXError SimAccessibility::serve(NodeId node, float timeout, bool hasEffect,
                                std::function<AXError()> answer) {
  const Node* n = find(node);
  if (!n) return ax::kInvalidUIElement;
  const std::int32_t pid = n->pid;
  if (node != systemWide_) ++requests_[pid];
  if (!trusted_) return ax::kAPIDisabled;
  const double limit = timeout > 0 ? timeout : processTimeout_;
  auto it = latency_.find(pid);
  auto own = nodeLatency_.find(node);
  const double latency = own != nodeLatency_.end() ? own->second
                         : it == latency_.end()    ? 0.0
                                                   : it->second;
  if (latency > limit) {
    clock_.sleep(limit);
    if (hasEffect) {
      clock_.at(clock_.mediaTime() + (latency - limit), [this, node, answer] {
        if (alive(node)) answer();
      });
    }
    return ax::kCannotComplete;
  }
  clock_.sleep(latency);
  n = find(node);
  if (!n->alive) return n->deadError;
  return answer();
}

AXError SimAccessibility::copyAttribute(NodeId node, float timeout, std::string_view name,
                                        RawValue& value) {
  return serve(node, timeout, false, [&]() -> AXError {
    const auto& attributes = find(node)->attributes;
    auto it = attributes.find(name);
    if (it == attributes.end() || !it->second.exists()) return ax::kAttributeUnsupported;
    const Attribute& a = it->second;
    if (a.error) return *a.error;
    RawValue v = a.computed ? a.computed() : *a.stored;
    if (v.isNone()) return ax::kNoValue;
    if (const auto* e = v.asError()) return e->code;
    value = fresh(v);
    return ax::kSuccess;
  });
}

AXError SimAccessibility::copyAttributes(NodeId node, float timeout,
                                         std::span<const std::string_view> names, RawValue& reply) {
  return serve(node, timeout, false, [&]() -> AXError {
    const auto& attributes = find(node)->attributes;
    RawValue::Array slots;
    for (auto name : names) {
      auto it = attributes.find(name);
      if (it == attributes.end() || !it->second.exists()) {
        slots.push_back(RawValue::error(ax::kAttributeUnsupported));
        continue;
      }
      const Attribute& a = it->second;
      RawValue v = a.error ? RawValue::error(*a.error) : a.computed ? a.computed() : *a.stored;
      // A computed value may itself be an error marker: the attribute failed.
      slots.push_back(v.isNone() ? RawValue::error(ax::kNoValue) : fresh(v));
    }
    reply = RawValue::array(std::move(slots));
    return ax::kSuccess;
  });
}

}  // namespace plumora::sim
