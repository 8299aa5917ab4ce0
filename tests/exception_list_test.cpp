// The stored list of exceptions as a user may have written it, and the set the tap's thread
// checks against.
#include "support/exception_list.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "interception/exception_set.hpp"
#include "sim/sim_defaults.hpp"

namespace plumora {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using R = RawValue;

R texts(std::initializer_list<const char*> ids) {
  R::Array items;
  for (const char* id : ids) items.push_back(R::string(id));
  return R::array(std::move(items));
}

R manyTexts(int count, const std::string& prefix) {
  R::Array items;
  for (int i = 0; i < count; ++i) items.push_back(R::string(prefix + std::to_string(i)));
  return R::array(std::move(items));
}

// Two copies of one identifier, then 199 others: 200 to keep, exactly the limit.
R duplicateThen199() {
  R::Array items{R::string("com.x"), R::string("com.X")};
  const R others = manyTexts(199, "com.example.App");
  for (const R& item : *others.asArray()) items.push_back(item);
  return R::array(std::move(items));
}

struct StoredRow {
  const char* name;
  R value;
  std::vector<std::string> kept;  // the first few, in order, when `count` says more
  std::size_t count;
  std::string line;
};

const std::string kLong(256, 'a');
const std::string kLongest(255, 'b');

class StoredValueTest : public ::testing::TestWithParam<StoredRow> {};

TEST_P(StoredValueTest, IsReadEntryByEntry) {
  const StoredRow& row = GetParam();
  sim::SimDefaults defaults;
  if (!row.value.isNone()) defaults.setValue(ExceptionList::kKey, row.value);
  const StoredExceptions stored = ExceptionList::read(defaults);
  ASSERT_EQ(stored.ids.size(), row.count);
  for (std::size_t i = 0; i < row.kept.size(); ++i) EXPECT_EQ(stored.ids[i], row.kept[i]);
  EXPECT_EQ(stored.skippedLine(), row.line);
}

const StoredRow kStoredRows[] = {
    {"Nothing", R(), {}, 0, ""},
    {"TwoInTheirOrder", texts({"com.b.Two", "com.a.One"}), {"com.b.Two", "com.a.One"}, 2, ""},
    {"AnEmptyList", texts({}), {}, 0, ""},
    {"ATextNotAList",
     R::string("com.apple.Terminal"),
     {},
     0,
     "Eccezioni: il valore di NormalGreenButtonApps non è una lista, ignorato"},
    {"ABool",
     R::boolean(true),
     {},
     0,
     "Eccezioni: il valore di NormalGreenButtonApps non è una lista, ignorato"},
    {"ADictionary",
     R::dictionary({{"com.a", R::boolean(true)}}),
     {},
     0,
     "Eccezioni: il valore di NormalGreenButtonApps non è una lista, ignorato"},
    {"EntriesThatAreNoText",
     R::array({R::integer(42), R::string("com.a"), R::boolean(false), texts({"com.b"}), R::other(),
               R::number(1.5), R::dictionary({})}),
     {"com.a"},
     1,
     "Eccezioni, voci di NormalGreenButtonApps ignorate: non testo 6"},
    {"EmptyAndTooLong",
     R::array({R::string(""), R::string(kLong), R::string(kLongest)}),
     {kLongest},
     1,
     "Eccezioni, voci di NormalGreenButtonApps ignorate: vuote o troppo lunghe 2"},
    {"DuplicatesWhateverTheCase",
     texts({"com.a.One", "COM.A.ONE", "com.b", "com.a.one", "com.b"}),
     {"com.a.One", "com.b"},
     2,
     "Eccezioni, voci di NormalGreenButtonApps ignorate: doppie 3"},
    {"PastTheLimit",
     manyTexts(250, "com.example.App"),
     {"com.example.App0", "com.example.App1"},
     200,
     "Eccezioni, voci di NormalGreenButtonApps ignorate: oltre le 200 50"},
    // A duplicate does not take a place: the limit counts what is kept.
    {"ADuplicateTakesNoPlace",
     duplicateThen199(),
     {"com.x", "com.example.App0"},
     200,
     "Eccezioni, voci di NormalGreenButtonApps ignorate: doppie 1"},
    {"EveryKindAtOnce",
     R::array({R::string("com.a"), R::integer(1), R::string(""), R::string("COM.A"),
               R::string("com.b")}),
     {"com.a", "com.b"},
     2,
     "Eccezioni, voci di NormalGreenButtonApps ignorate: non testo 1, vuote o troppo lunghe 1, "
     "doppie 1"},
};
INSTANTIATE_TEST_SUITE_P(Values, StoredValueTest, ::testing::ValuesIn(kStoredRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StoredExceptionsTest, AListOfOneIdentifierRepeatedIsReadAsOne) {
  R::Array items(20'000, R::string("com.example.Same"));
  sim::SimDefaults defaults;
  defaults.setValue(ExceptionList::kKey, R::array(std::move(items)));
  const StoredExceptions stored = ExceptionList::read(defaults);
  EXPECT_THAT(stored.ids, ElementsAre("com.example.Same"));
  EXPECT_EQ(stored.duplicates, 19'999);
}

TEST(StoredExceptionsTest, WhatIsWrittenIsReadBackAndSurvivesARelaunch) {
  sim::SimDefaults defaults;
  const std::vector<std::string> ids{"com.b", "com.a"};
  ExceptionList::write(defaults, ids);
  defaults.relaunch();
  EXPECT_THAT(ExceptionList::read(defaults).ids, ElementsAreArray(ids));
  // A Bool written over the list replaces it, and the list then reads as of the wrong type.
  defaults.setBool(ExceptionList::kKey, true);
  EXPECT_TRUE(ExceptionList::read(defaults).notAList);
}

TEST(ExceptionSetTest, FindsAnIdentifierWhateverItsCaseAndNothingElse) {
  const std::vector<std::string> ids{"com.example.Editor", "org.other.Tool", "com.Example.editor"};
  const ExceptionSet set(ids);
  EXPECT_EQ(set.size(), 2u);
  const std::pair<const char*, bool> rows[] = {
      {"com.example.Editor", true}, {"COM.EXAMPLE.EDITOR", true},   {"org.other.tool", true},
      {"com.example.Edito", false}, {"com.example.Editor2", false}, {"", false},
      {"com.example", false},       {"org.other.Tool ", false},
  };
  for (const auto& [id, found] : rows) EXPECT_EQ(set.contains(id), found) << id;
  EXPECT_FALSE(ExceptionSet().contains(""));
}

TEST(PublishedExceptionsTest, ASetOnceReadStaysValidAndAnEqualListReusesIt) {
  PublishedExceptions published;
  const ExceptionSet& empty = published.current();
  EXPECT_TRUE(empty.empty());
  const std::vector<std::string> one{"com.a"}, two{"com.a", "com.b"};
  published.publish(one);
  const ExceptionSet& first = published.current();
  published.publish(two);
  // A reader that loaded the first set still reads it, unchanged.
  EXPECT_TRUE(first.contains("com.a"));
  EXPECT_FALSE(first.contains("com.b"));
  EXPECT_TRUE(published.current().contains("com.b"));
  // Turning an application off and on again goes back to the sets already made.
  published.publish(one);
  EXPECT_EQ(&published.current(), &first);
  published.publish({});
  EXPECT_EQ(&published.current(), &empty);
}

}  // namespace
}  // namespace plumora
