#pragma once
// A value or an error, returned across layers instead of throwing.

#include <cassert>
#include <utility>
#include <variant>

namespace kovra {

template <class E>
struct Failure {
  E error;
};
template <class E>
Failure(E) -> Failure<E>;

template <class T, class E>
class [[nodiscard]] Result {
 public:
  Result(T value) : v_(std::in_place_index<0>, std::move(value)) {}  // NOLINT(google-explicit-constructor)
  template <class F>
  Result(Failure<F> f) : v_(std::in_place_index<1>, std::move(f.error)) {}  // NOLINT

  bool ok() const { return v_.index() == 0; }
  explicit operator bool() const { return ok(); }

  T& value() & { assert(ok()); return std::get<0>(v_); }
  const T& value() const& { assert(ok()); return std::get<0>(v_); }
  T&& value() && { assert(ok()); return std::get<0>(std::move(v_)); }
  const E& error() const { assert(!ok()); return std::get<1>(v_); }

  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }

  bool operator==(const Result&) const = default;

 private:
  std::variant<T, E> v_;
};

// Result of an operation that yields nothing on success.
struct Unit {
  bool operator==(const Unit&) const = default;
};

}  // namespace kovra
