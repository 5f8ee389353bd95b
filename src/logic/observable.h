#pragma once
// Observable values for the main sequence: a property notifies its observers after it changed,
// and only when the new value differs from the old one (value equality). Subscribing returns a
// token; dropping the token ends the subscription. No locking: main sequence only.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace kovra {

// Ends its subscription when destroyed (or on cancel()). Safe to outlive the observed object.
class ObservationToken {
 public:
  ObservationToken() = default;
  explicit ObservationToken(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
  ~ObservationToken() { cancel(); }
  ObservationToken(ObservationToken&& other) noexcept : cancel_(std::exchange(other.cancel_, nullptr)) {}
  ObservationToken& operator=(ObservationToken&& other) noexcept {
    if (this != &other) {
      cancel();
      cancel_ = std::exchange(other.cancel_, nullptr);
    }
    return *this;
  }
  ObservationToken(const ObservationToken&) = delete;
  ObservationToken& operator=(const ObservationToken&) = delete;

  void cancel() {
    if (auto c = std::exchange(cancel_, nullptr)) c();
  }
  bool active() const { return static_cast<bool>(cancel_); }

  // One token that ends all of `tokens` together.
  static ObservationToken combined(std::vector<ObservationToken> tokens);

 private:
  std::function<void()> cancel_;
};

// A list of callbacks with token-based removal; the building block of Observable<T>. Callbacks
// removed while a notification runs are not called afterwards; callbacks added during one are
// called from the next notification on.
template <class... Args>
class ObserverList {
 public:
  using Callback = std::function<void(Args...)>;

  ObserverList() : state_(std::make_shared<State>()) {}
  ObserverList(const ObserverList&) = delete;
  ObserverList& operator=(const ObserverList&) = delete;
  ObserverList(ObserverList&&) noexcept = default;
  ObserverList& operator=(ObserverList&&) noexcept = default;

  [[nodiscard]] ObservationToken subscribe(Callback callback) const {
    const uint64_t id = state_->nextId++;
    state_->callbacks.emplace(id, std::make_shared<Callback>(std::move(callback)));
    std::weak_ptr<State> weak = state_;
    return ObservationToken([weak, id] {
      if (auto s = weak.lock()) s->callbacks.erase(id);
    });
  }

  void notify(const Args&... args) const {
    if (!state_) return;
    // Work on a snapshot so that callbacks may subscribe or unsubscribe while we call them.
    std::vector<std::pair<uint64_t, std::weak_ptr<Callback>>> snapshot;
    snapshot.reserve(state_->callbacks.size());
    for (const auto& [id, cb] : state_->callbacks) snapshot.emplace_back(id, cb);
    std::weak_ptr<State> weak = state_;
    for (const auto& [id, cbWeak] : snapshot) {
      auto s = weak.lock();
      if (!s || s->callbacks.find(id) == s->callbacks.end()) continue;
      if (auto cb = cbWeak.lock()) (*cb)(args...);
    }
  }

  size_t observerCount() const { return state_ ? state_->callbacks.size() : 0; }

 private:
  struct State {
    uint64_t nextId = 1;
    std::map<uint64_t, std::shared_ptr<Callback>> callbacks;
  };
  std::shared_ptr<State> state_;
};

template <class T>
class Observable {
 public:
  using Observer = std::function<void(const T&)>;

  Observable() : value_() {}
  explicit Observable(T initial) : value_(std::move(initial)) {}
  Observable(const Observable&) = delete;
  Observable& operator=(const Observable&) = delete;
  Observable(Observable&&) noexcept = default;
  Observable& operator=(Observable&&) noexcept = default;

  const T& value() const { return value_; }
  const T& operator*() const { return value_; }
  const T* operator->() const { return &value_; }

  // Stores `newValue`; when it differs from the current value, notifies every observer with the
  // new value and returns true. An equal value changes nothing and notifies nobody.
  bool set(T newValue) {
    if (newValue == value_) return false;
    value_ = std::move(newValue);
    observers_.notify(value_);
    return true;
  }

  // The observer runs after each change, with the new value.
  [[nodiscard]] ObservationToken subscribe(Observer observer) const { return observers_.subscribe(std::move(observer)); }
  size_t observerCount() const { return observers_.observerCount(); }

 private:
  T value_;
  ObserverList<T> observers_;
};

}  // namespace kovra
