#pragma once
// The notifier interface, and a recording notifier for tests and previews.

#include <vector>

#include "logic/notification_text.h"

namespace kovra {

class MantikNotifying {
 public:
  virtual ~MantikNotifying() = default;
  // Asks the user once per run for permission to notify; returns at once.
  virtual void requestAuthorization() = 0;
  // Delivers one notice now; returns at once.
  virtual void post(const MantikNotice& notice) = 0;
};

// Remembers every call instead of reaching the desktop.
class MantikRecordingNotifier final : public MantikNotifying {
 public:
  void requestAuthorization() override { ++authorizationRequests; }
  void post(const MantikNotice& notice) override { posted.push_back(notice); }

  int authorizationRequests = 0;
  std::vector<MantikNotice> posted;
};

}  // namespace kovra
