#pragma once
// Whether a surface (the main window or the menu panel) counts as visible. The front end feeds
// in its window's facts and notifications; this decides and reports changes, dropping repeats.

#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "core/executor.h"

namespace kovra {

// Short reasons passed with each report, for the log only.
namespace ArayuzVisibilityReason {
inline constexpr std::string_view noWindow = "pencere yok";
inline constexpr std::string_view closing = "kapanma";
inline constexpr std::string_view minimized = "simge durumu";
inline constexpr std::string_view onScreen = "ekranda";
inline constexpr std::string_view occluded = "örtülme";
inline constexpr std::string_view notVisible = "ekranda değil";
inline constexpr std::string_view forced = "zorlanmış";
}  // namespace ArayuzVisibilityReason

// The window as it is right now.
struct ArayuzWindowFacts {
  bool isPanel = false;
  int level = 0;  // 0 is the normal level
  bool isMiniaturized = false;
  bool isVisible = false;
  bool occlusionVisible = false;  // some part of the window is unobscured
};

enum class ArayuzWindowEvent {
  occlusionChanged,
  willClose,
  didMiniaturize,
  didDeminiaturize,
  didBecomeKey,
  didResignKey,
  applicationHidden,
  applicationUnhidden,
};

struct ArayuzVisibilityDecision {
  bool visible = false;
  std::string_view reason;
  bool operator==(const ArayuzVisibilityDecision&) const = default;
};

class ArayuzVisibilityTracker {
 public:
  using WindowQuery = std::function<ArayuzWindowFacts()>;
  using OnChange = std::function<void(bool)>;

  // `onChange` is always called later on `mainSequence`, never from inside a notification.
  ArayuzVisibilityTracker(Executor& mainSequence, OnChange onChange, bool forceVisible);
  ~ArayuzVisibilityTracker();
  ArayuzVisibilityTracker(const ArayuzVisibilityTracker&) = delete;
  ArayuzVisibilityTracker& operator=(const ArayuzVisibilityTracker&) = delete;

  // The surface was rebuilt with a new handler.
  void setOnChange(OnChange onChange) { onChange_ = std::move(onChange); }

  // The view moved into a window (`window` answers its facts) or out of one (empty query). Drops
  // the previous window's subscriptions, decides and reports.
  void moveToWindow(WindowQuery window);
  // A notification of the current window, or of the application (hidden / unhidden), already
  // on the main sequence. Ignored when the tracker does not observe it.
  void handle(ArayuzWindowEvent event);

  ArayuzVisibilityDecision decide(bool closing, bool becameKey);
  // Passes `visible` on unless it equals the last report.
  void report(bool visible, std::string_view reason);

  bool tracksMainWindow() const { return tracksMainWindow_; }
  // Whether the front end should deliver the application's hide and unhide notifications.
  bool observesApplication() const { return observesApplication_; }
  bool hasWindow() const { return static_cast<bool>(window_); }

 private:
  Executor& executor_;
  OnChange onChange_;
  bool forceVisible_;
  WindowQuery window_;
  std::optional<bool> lastReported_;
  bool isClosed_ = false;
  bool tracksMainWindow_ = false;
  bool observesApplication_ = false;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace kovra
