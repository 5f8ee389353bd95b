#pragma once
// The short line an app list shows under an app after a quit request.

#include <string>
#include <string_view>

#include "core/records.h"

namespace kovra {

struct ArayuzTerminateNote {
  bool isFailure = false;
  std::string text;

  ArayuzTerminateNote() = default;
  ArayuzTerminateNote(TerminateOutcome outcome, std::string_view appName, bool force);
  bool operator==(const ArayuzTerminateNote&) const = default;
};

}  // namespace kovra
