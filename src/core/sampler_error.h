#pragma once
// The error a sampler raises: the quantity could not be read, or there is no value yet.

#include <string>

#include "core/result.h"

namespace kovra {

class SamplerError {
 public:
  enum class Kind { unreadable, notReady };

  static SamplerError unreadable(std::string message) { return SamplerError(Kind::unreadable, std::move(message)); }
  static SamplerError notReady() { return SamplerError(Kind::notReady, {}); }

  Kind kind() const { return kind_; }
  bool isNotReady() const { return kind_ == Kind::notReady; }
  // The message of an unreadable error; empty for notReady.
  const std::string& message() const { return message_; }
  // The text used wherever an error has to be shown or logged: the message, or "notReady".
  std::string text() const { return kind_ == Kind::notReady ? std::string("notReady") : message_; }

  bool operator==(const SamplerError&) const = default;

 private:
  SamplerError(Kind k, std::string m) : kind_(k), message_(std::move(m)) {}
  Kind kind_;
  std::string message_;
};

template <class T>
using SampleResult = Result<T, SamplerError>;

inline Failure<SamplerError> unreadable(std::string message) { return {SamplerError::unreadable(std::move(message))}; }
inline Failure<SamplerError> notReady() { return {SamplerError::notReady()}; }

}  // namespace kovra
