#pragma once
// Watches an X11 display for a system tray (the freedesktop "MANAGER" announcement that a tray
// took the _NET_SYSTEM_TRAY_S<n> selection), so a tray that starts after the program still gets
// its icon. Does nothing on other platforms.

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <cstdint>

namespace kovra::ui {

class XEmbedTrayWatch final : public QObject, public QAbstractNativeEventFilter {
  Q_OBJECT

 public:
  explicit XEmbedTrayWatch(QObject* parent = nullptr);
  ~XEmbedTrayWatch() override;

  bool isWatching() const { return selection_ != 0; }
  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 signals:
  void trayAppeared();

 private:
  uint32_t manager_ = 0;
  uint32_t selection_ = 0;
};

}  // namespace kovra::ui
