#include "present/visibility.h"

#include <string>

#include "core/log.h"

namespace kovra {

namespace Reason = ArayuzVisibilityReason;

ArayuzVisibilityTracker::ArayuzVisibilityTracker(Executor& mainSequence, OnChange onChange, bool forceVisible)
    : executor_(mainSequence), onChange_(std::move(onChange)), forceVisible_(forceVisible) {}

ArayuzVisibilityTracker::~ArayuzVisibilityTracker() { *alive_ = false; }

void ArayuzVisibilityTracker::moveToWindow(WindowQuery window) {
  window_ = std::move(window);
  observesApplication_ = false;
  isClosed_ = false;
  tracksMainWindow_ = false;
  if (!window_) {
    report(false, Reason::noWindow);
    return;
  }
  const ArayuzWindowFacts facts = window_();
  tracksMainWindow_ = !facts.isPanel && facts.level == 0;
  observesApplication_ = forceVisible_ && tracksMainWindow_;
  auto d = decide(false, false);
  report(d.visible, d.reason);
}

void ArayuzVisibilityTracker::handle(ArayuzWindowEvent event) {
  if (!window_) return;
  bool application = event == ArayuzWindowEvent::applicationHidden || event == ArayuzWindowEvent::applicationUnhidden;
  if (application && !observesApplication_) return;
  auto d = decide(event == ArayuzWindowEvent::willClose, event == ArayuzWindowEvent::didBecomeKey);
  report(d.visible, d.reason);
}

ArayuzVisibilityDecision ArayuzVisibilityTracker::decide(bool closing, bool becameKey) {
  if (!window_) return {false, Reason::noWindow};
  const ArayuzWindowFacts facts = window_();
  if (forceVisible_ && tracksMainWindow_) {
    if (closing || becameKey) isClosed_ = closing;
    if (isClosed_) return {false, Reason::closing};
    if (facts.isMiniaturized) return {false, Reason::minimized};
    return {true, Reason::forced};
  }
  if (closing) return {false, Reason::closing};
  if (facts.isMiniaturized) return {false, Reason::minimized};
  if (facts.isVisible) return facts.occlusionVisible ? ArayuzVisibilityDecision{true, Reason::onScreen}
                                                     : ArayuzVisibilityDecision{false, Reason::occluded};
  return {false, Reason::notVisible};
}

void ArayuzVisibilityTracker::report(bool visible, std::string_view reason) {
  if (lastReported_ && *lastReported_ == visible) return;
  lastReported_ = visible;
  if (tracksMainWindow_) {
    Log::ui.log(std::string("ana pencere görünür: ") + (visible ? "true" : "false") + " (" + std::string(reason) + ")");
  }
  std::weak_ptr<bool> alive = alive_;
  executor_.post([this, alive, visible] {
    auto a = alive.lock();
    if (!a || !*a) return;  // the tracker is gone: drop the report
    if (onChange_) onChange_(visible);
  });
}

}  // namespace kovra
