#pragma once
// The desktop's colour scheme preference (light or dark) from the desktop portal's settings
// ("org.freedesktop.appearance" / "color-scheme"), read once at start and followed while running.
// Without a portal on the bus nothing is reported and the program stays light.

#include <QDBusConnection>
#include <QDBusVariant>
#include <QObject>

#include <optional>

#include "ui/common/look.h"

class QDBusMessage;
class QDBusPendingCallWatcher;

namespace kovra::ui {

// The scheme a portal value stands for: 1 asks for dark, 0 (no preference) and 2 for light;
// anything else (another type, a value out of range) is no answer.
std::optional<ColorScheme> colorSchemeFromPortal(const QVariant& value);

class ColorSchemeWatch : public QObject {
  Q_OBJECT
 public:
  explicit ColorSchemeWatch(QDBusConnection bus, QObject* parent = nullptr);

 signals:
  void changed(kovra::ui::ColorScheme scheme);

 private slots:
  void settingChanged(const QString& group, const QString& key, const QDBusVariant& value);

 private:
  void answered(QDBusPendingCallWatcher* call);
  void report(const QVariant& value);

  QDBusConnection bus_;
  std::optional<ColorScheme> last_;
};

}  // namespace kovra::ui
