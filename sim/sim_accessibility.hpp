#pragma once

// A simulated accessibility interface: a tree of elements with attributes, actions and owning
// processes, served the way the platform serves them. Every read that yields an element yields
// a new handle; requests to an application cost its latency in virtual time and fail with
// kAXErrorCannotComplete past the messaging timeout that governs the handle (an action still
// takes effect when the application gets to it); vanished elements answer
// kAXErrorInvalidUIElement. Requests are counted per application. Without the permission every
// request is refused with kAXErrorAPIDisabled, as the system refuses an untrusted process.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/accessibility.hpp"
#include "sim/virtual_clock.hpp"

namespace plumora::sim {

using NodeId = std::uint32_t;

class SimAccessibility : public Accessibility {
 public:
  // The timeout of every handle without one of its own, until the system-wide element's is set.
  static constexpr float kDefaultTimeout = 6.0f;

  struct Performed {
    NodeId node;
    std::string action;
    double time;
  };
  struct Written {
    NodeId node;
    std::string attribute;
    RawValue value;
    double time;
  };

  explicit SimAccessibility(VirtualClock& clock);
  ~SimAccessibility() override;

  // The port.
  ElementRef systemWide() override;
  ElementRef application(std::int32_t pid) override;
  bool isProcessTrusted(bool prompt) override;

  // Building the tree.
  NodeId addNode(std::int32_t pid);
  // The application element of `pid`, made (and marked running) on first use.
  NodeId applicationNode(std::int32_t pid);
  NodeId systemWideNode() const { return systemWide_; }
  // A stored value; the elements inside it are handed out as new handles on every read.
  void set(NodeId node, std::string_view attribute, RawValue value);
  // Computed at every read; an error marker makes the read fail with its code.
  void setComputed(NodeId node, std::string_view attribute, std::function<RawValue()> read);
  // From now on the attribute answers `error`.
  void fail(NodeId node, std::string_view attribute, AXError error);
  void remove(NodeId node, std::string_view attribute);
  // Makes the attribute settable; `write` answers each write.
  void setWritable(NodeId node, std::string_view attribute,
                   std::function<AXError(const RawValue&)> write);
  void setReadOnly(NodeId node, std::string_view attribute);
  void setAction(NodeId node, std::string_view action, std::function<AXError()> perform);
  // From now on every request about the element fails with kAXErrorInvalidUIElement.
  void vanish(NodeId node);
  bool alive(NodeId node) const;
  std::int32_t pidOf(NodeId node) const;

  ElementRef handle(NodeId node);
  // The node a handle of this interface denotes.
  std::optional<NodeId> nodeOf(const ElementHandle& handle) const;
  std::optional<NodeId> nodeOf(const ElementRef& handle) const {
    return handle ? nodeOf(*handle) : std::nullopt;
  }
  void setHitTest(std::function<std::optional<NodeId>(Point)> hitTest);

  // Faults and measurements.
  void setLatency(std::int32_t pid, double seconds);
  // Requests about this one element take this long instead of the application's latency.
  void setLatency(NodeId node, double seconds) { nodeLatency_[node] = seconds; }
  float processTimeout() const { return processTimeout_; }
  std::uint64_t requests(std::int32_t pid) const;
  std::uint64_t totalRequests() const;
  void resetRequestCounts() { requests_.clear(); }
  // The user grants or revokes the permission; `onTrustChanged` hears of every change.
  void setTrusted(bool trusted);
  std::function<void(bool trusted)> onTrustChanged;
  int promptsShown() const { return prompts_; }
  // Whether the system trusts the program now, asked without a prompt or a count.
  bool trusted() const { return trusted_; }
  const std::vector<Performed>& performed() const { return performed_; }
  const std::vector<Written>& written() const { return written_; }
  // Called with each write that reaches its element, before the element takes it.
  std::function<void(const Written&)> onWrite;
  void clearJournal();

 private:
  friend class SimElementHandle;
  struct Attribute;
  struct Node;

  Node* find(NodeId id);
  const Node* find(NodeId id) const;
  RawValue fresh(const RawValue& value);
  // Serves one request about `node` through a handle whose own timeout is `timeout` (0: none).
  // `answer` runs when the application answers in time, or later, as a world event, for a
  // request with an effect that the caller stopped waiting for.
  AXError serve(NodeId node, float timeout, bool hasEffect, std::function<AXError()> answer);
  AXError copyAttribute(NodeId node, float timeout, std::string_view name, RawValue& value);
  AXError copyAttributes(NodeId node, float timeout, std::span<const std::string_view> names,
                         RawValue& reply);

  VirtualClock& clock_;
  std::vector<std::unique_ptr<Node>> nodes_;
  std::map<std::int32_t, NodeId> applications_;
  std::map<std::int32_t, double> latency_;
  std::map<NodeId, double> nodeLatency_;
  std::map<std::int32_t, std::uint64_t> requests_;
  std::function<std::optional<NodeId>(Point)> hitTest_;
  NodeId systemWide_;
  float processTimeout_ = kDefaultTimeout;
  bool trusted_ = true;
  int prompts_ = 0;
  std::vector<Performed> performed_;
  std::vector<Written> written_;
};

}  // namespace plumora::sim
