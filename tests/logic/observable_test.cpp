#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "logic/observable.h"

namespace kovra {
namespace {

TEST(Observable, NotifiesOnlyOnRealChanges) {
  Observable<std::optional<std::string>> value;
  std::vector<std::optional<std::string>> seen;
  auto token = value.subscribe([&](const auto& v) { seen.push_back(v); });
  EXPECT_FALSE(value.set(std::nullopt));
  EXPECT_TRUE(value.set("a"));
  EXPECT_FALSE(value.set("a"));
  EXPECT_TRUE(value.set(std::nullopt));
  EXPECT_EQ(seen, (std::vector<std::optional<std::string>>{"a", std::nullopt}));
  // Observers see the stored value, not a stale one.
  auto check = value.subscribe([&](const auto& v) { EXPECT_EQ(v, value.value()); });
  value.set("b");
}

TEST(Observable, DroppingTheTokenUnsubscribes) {
  Observable<int> value(0);
  int calls = 0;
  {
    auto token = value.subscribe([&](int) { ++calls; });
    value.set(1);
    EXPECT_EQ(value.observerCount(), 1u);
  }
  value.set(2);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(value.observerCount(), 0u);

  auto token = value.subscribe([&](int) { ++calls; });
  token.cancel();
  EXPECT_FALSE(token.active());
  value.set(3);
  EXPECT_EQ(calls, 1);
}

TEST(Observable, TokenMayOutliveTheObservable) {
  ObservationToken token;
  {
    Observable<int> value(0);
    token = value.subscribe([](int) {});
  }
  token.cancel();  // must not touch freed memory
  SUCCEED();
}

TEST(Observable, ObserversMayUnsubscribeThemselvesAndOthersWhileNotified) {
  Observable<int> value(0);
  std::vector<std::string> calls;
  ObservationToken first;
  ObservationToken second;
  first = value.subscribe([&](int) {
    calls.push_back("first");
    first.cancel();
    second.cancel();
  });
  second = value.subscribe([&](int) { calls.push_back("second"); });
  ObservationToken added;
  auto third = value.subscribe([&](int) {
    calls.push_back("third");
    if (!added.active()) added = value.subscribe([&](int) { calls.push_back("added"); });
  });
  value.set(1);
  EXPECT_EQ(calls, (std::vector<std::string>{"first", "third"}));
  calls.clear();
  value.set(2);
  EXPECT_EQ(calls, (std::vector<std::string>{"third", "added"}));
}

TEST(Observable, CombinedTokenEndsEverySubscription) {
  Observable<int> a(0);
  Observable<int> b(0);
  int calls = 0;
  std::vector<ObservationToken> tokens;
  tokens.push_back(a.subscribe([&](int) { ++calls; }));
  tokens.push_back(b.subscribe([&](int) { ++calls; }));
  auto both = ObservationToken::combined(std::move(tokens));
  a.set(1);
  b.set(1);
  EXPECT_EQ(calls, 2);
  both.cancel();
  a.set(2);
  b.set(2);
  EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace kovra
