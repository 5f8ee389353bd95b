#pragma once
// Registering the program to start when the user logs in.

#include <string>

#include "core/result.h"

namespace kovra {

// The raw values follow the login item service: 1 enabled, 2 waiting for the user's approval.
enum class LoginItemStatus : int { notRegistered = 0, enabled = 1, requiresApproval = 2, notFound = 3 };

class LoginItemService {
 public:
  virtual ~LoginItemService() = default;
  virtual LoginItemStatus status() = 0;
  // The error is a description of what failed, shown to the user after a fixed prefix.
  virtual Result<Unit, std::string> registerItem() = 0;
  virtual Result<Unit, std::string> unregisterItem() = 0;
};

// A scriptable login item for tests: a successful call moves `currentStatus` to
// `statusAfterRegister` / notRegistered; a set failure is returned instead.
class FakeLoginItem final : public LoginItemService {
 public:
  LoginItemStatus status() override {
    ++statusCalls;
    return currentStatus;
  }
  Result<Unit, std::string> registerItem() override {
    ++registerCalls;
    if (!registerFailure.empty()) return Failure{registerFailure};
    currentStatus = statusAfterRegister;
    return Unit{};
  }
  Result<Unit, std::string> unregisterItem() override {
    ++unregisterCalls;
    if (!unregisterFailure.empty()) return Failure{unregisterFailure};
    currentStatus = LoginItemStatus::notRegistered;
    return Unit{};
  }

  LoginItemStatus currentStatus = LoginItemStatus::notRegistered;
  LoginItemStatus statusAfterRegister = LoginItemStatus::enabled;
  std::string registerFailure;    // non-empty: registerItem fails with it
  std::string unregisterFailure;  // non-empty: unregisterItem fails with it
  int statusCalls = 0;
  int registerCalls = 0;
  int unregisterCalls = 0;
};

}  // namespace kovra
