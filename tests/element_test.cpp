#include "accessibility/element.hpp"

#include <gtest/gtest.h>

#include "sim_fixture.hpp"

namespace plumora {
namespace {

using sim::NodeId;

// An element of a process of its own, so that its requests and latency are its own.
class ElementTest : public test::SimFixture {
 protected:
  static constexpr std::int32_t kPid = 321;

  sim::SimAccessibility& ax = mac.accessibility;
  NodeId app = ax.applicationNode(kPid);
  NodeId node = ax.addNode(kPid);
};

TEST_F(ElementTest, EachReadTakesOnlyItsOwnKind) {
  const NodeId other = ax.addNode(kPid);
  ax.set(node, "Text", RawValue::string("yes"));
  ax.set(node, "Zero", RawValue::integer(0));
  ax.set(node, "Negative", RawValue::number(-0.5));
  ax.set(node, "True", RawValue::boolean(true));
  ax.set(node, "Window", RawValue::element(ax.handle(other)));
  ax.fail(node, "Broken", ax::kFailure);
  const Element e = element(node);
  // A boolean is any number, non-zero for true.
  const std::pair<const char*, std::optional<bool>> booleans[] = {
      {"Text", std::nullopt}, {"Zero", false},          {"Negative", true},
      {"True", true},         {"Broken", std::nullopt}, {"Missing", std::nullopt}};
  for (const auto& [name, value] : booleans) EXPECT_EQ(e.boolean(name), value) << name;
  EXPECT_EQ(e.string("Text"), "yes");
  EXPECT_EQ(e.string("Zero"), std::nullopt);
  EXPECT_EQ(e.string("Broken"), std::nullopt);
  EXPECT_EQ(e.element("Text"), std::nullopt);
  EXPECT_EQ(e.element("Window"), element(other));
  // A list keeps only its elements, in their order.
  const NodeId a = ax.addNode(kPid), b = ax.addNode(kPid);
  ax.set(node, "Mixed",
         RawValue::array({RawValue::element(ax.handle(a)), RawValue::string("x"),
                          RawValue::integer(1), RawValue::element(ax.handle(b))}));
  ax.set(node, "NotArray", RawValue::element(ax.handle(a)));
  EXPECT_EQ(e.elements("Mixed"), (std::vector<Element>{element(a), element(b)}));
  EXPECT_TRUE(e.elements("NotArray").empty());
  EXPECT_TRUE(e.elements("Missing").empty());
  EXPECT_TRUE(e.children().empty());
  // Reads hand out a new handle every time, as the platform does.
  ax.set(app, "AXFocusedWindow", RawValue::element(ax.handle(node)));
  auto read1 = element(app).element("AXFocusedWindow");
  auto read2 = element(app).element("AXFocusedWindow");
  ASSERT_TRUE(read1 && read2);
  EXPECT_NE(read1->handle().get(), read2->handle().get());
  EXPECT_EQ(*read1, *read2);
  EXPECT_EQ(*read1, element(node));
  EXPECT_FALSE(*read1 == element(app));
}

TEST_F(ElementTest, FrameAndValuesAreOneRequestEach) {
  const Element e = element(node);
  ax.set(node, "AXPosition", RawValue::point({10, 20}));
  EXPECT_EQ(e.frame(), std::nullopt);
  ax.set(node, "AXSize", RawValue::size({300, 200}));
  ax.resetRequestCounts();
  EXPECT_EQ(e.frame(), Rect::make(10, 20, 300, 200));
  EXPECT_EQ(ax.requests(kPid), 1u);  // one round trip for both
  // A size box where the point belongs is no position.
  ax.set(node, "AXPosition", RawValue::size({10, 20}));
  EXPECT_EQ(e.frame(), std::nullopt);
  // Values gives one slot per name.
  ax.set(node, "AXRole", RawValue::string("AXButton"));
  ax.set(node, "AXEnabled", RawValue::boolean(true));
  ax.fail(node, "AXSubrole", ax::kCannotComplete);
  ax.resetRequestCounts();
  auto slots = element(node).values({"AXRole", "AXSubrole", "AXEnabled", "AXMissing"});
  EXPECT_EQ(ax.requests(kPid), 1u);
  ASSERT_EQ(slots.size(), 4u);
  EXPECT_EQ(*slots[0].asString(), "AXButton");
  EXPECT_TRUE(slots[1].isNone());
  EXPECT_EQ(*slots[2].asBool(), true);
  EXPECT_TRUE(slots[3].isNone());
  // A vanished element gives every slot empty, and cannot act.
  ax.vanish(node);
  slots = element(node).values({"AXRole", "AXSubrole", "AXWindow"});
  ASSERT_EQ(slots.size(), 3u);
  for (const auto& slot : slots) EXPECT_TRUE(slot.isNone());
  EXPECT_EQ(element(node).perform("AXPress"), ax::kInvalidUIElement);
  // The application of a process that is not running cannot complete.
  const Element ghost(ax.application(4040));
  EXPECT_EQ(ghost.perform("AXRaise"), ax::kCannotComplete);
  EXPECT_EQ(ghost.string("AXTitle"), std::nullopt);
  EXPECT_EQ(ghost.pid(), 4040);
}

// A handle whose reply of three values fits no other request: every slot is empty.
class MismatchedReplyHandle : public ElementHandle {
 public:
  bool equals(const ElementHandle& other) const override { return &other == this; }
  AXError copyAttribute(std::string_view, RawValue&) const override { return ax::kFailure; }
  AXError copyAttributes(std::span<const std::string_view>, RawValue& reply) const override {
    reply = RawValue::array(
        {RawValue::string("one"), RawValue::string("two"), RawValue::string("three")});
    return ax::kSuccess;
  }
  AXError performAction(std::string_view) const override { return ax::kFailure; }
  AXError setAttribute(std::string_view, const RawValue&) const override { return ax::kFailure; }
  AXError isAttributeSettable(std::string_view, bool& settable) const override {
    settable = true;  // the call fails, so this must not count
    return ax::kFailure;
  }
  AXError processId(std::int32_t& pid) const override {
    pid = 77;
    return ax::kFailure;
  }
  AXError setMessagingTimeout(float) const override { return ax::kSuccess; }
  // A success that names no element.
  AXError elementAtPosition(float, float, ElementRef&) const override { return ax::kSuccess; }
};

TEST(ElementFailures, FailedCallsGiveNothing) {
  const Element e(std::make_shared<MismatchedReplyHandle>());
  for (std::size_t count : {2u, 4u}) {
    const std::vector<std::string_view> names{"A", "B", "C", "D"};
    auto slots = e.values(std::vector<std::string_view>(names.begin(), names.begin() + count));
    ASSERT_EQ(slots.size(), count);
    for (const auto& slot : slots) EXPECT_TRUE(slot.isNone()) << count;
  }
  EXPECT_FALSE(e.isSettable("AXSize"));
  EXPECT_EQ(e.pid(), 0);
  EXPECT_EQ(e.elementAt(1, 2), std::nullopt);
  EXPECT_EQ(axElement(RawValue::element(nullptr)), std::nullopt);
}

TEST_F(ElementTest, TimeoutOnAHandleGovernsThatHandleOnlyAndNotTheAction) {
  ax.set(node, "AXTitle", RawValue::string("lento"));
  ax.setLatency(kPid, 2.0);
  const double start = mac.clock.mediaTime();
  const Element patient = element(node);
  patient.setTimeout(3.0f);
  EXPECT_EQ(patient.string("AXTitle"), "lento");
  EXPECT_DOUBLE_EQ(mac.clock.mediaTime() - start, 2.0);
  // Another handle to the same element keeps the process default (about 6 s).
  const Element other = element(node);
  EXPECT_EQ(other.string("AXTitle"), "lento");
  // The system-wide element's timeout becomes the default of every other handle.
  Element(ax.systemWide()).setTimeout(0.25f);
  const double before = mac.clock.mediaTime();
  EXPECT_EQ(other.string("AXTitle"), std::nullopt);
  EXPECT_DOUBLE_EQ(mac.clock.mediaTime() - before, 0.25);
  EXPECT_EQ(patient.string("AXTitle"), "lento");
  // As on the platform, an action that times out still takes effect once the application
  // gets to it.
  int presses = 0;
  ax.setAction(node, "AXPress", [&] {
    ++presses;
    return ax::kSuccess;
  });
  ax.setLatency(kPid, 1.5);
  const double pressed = mac.clock.mediaTime();
  const Element item = element(node);
  item.setTimeout(1.0f);
  EXPECT_EQ(item.perform("AXPress"), ax::kCannotComplete);
  EXPECT_DOUBLE_EQ(mac.clock.mediaTime() - pressed, 1.0);
  mac.clock.advanceTo(pressed + 1.49);
  EXPECT_EQ(presses, 0);
  mac.clock.advanceTo(pressed + 1.5);
  EXPECT_EQ(presses, 1);
}

}  // namespace
}  // namespace plumora
