#pragma once
// Runs `done` with the finished call on the event loop of `context`, also when the call never
// left (a disconnected bus answers at once with an error and no watcher would ever fire).

#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QMetaObject>
#include <QObject>

#include <utility>

namespace kovra::ui {

template <class Done>
void onDBusReply(const QDBusPendingCall& call, QObject* context, Done done) {
  if (call.isFinished()) {
    QMetaObject::invokeMethod(context, [call, done = std::move(done)] { done(call); }, Qt::QueuedConnection);
    return;
  }
  auto* watcher = new QDBusPendingCallWatcher(call, context);
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                   [watcher, done = std::move(done)] {
                     watcher->deleteLater();
                     done(*watcher);
                   });
}

}  // namespace kovra::ui
