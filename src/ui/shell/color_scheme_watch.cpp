#include "ui/shell/color_scheme_watch.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace kovra::ui {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString kGroup = QStringLiteral("org.freedesktop.appearance");
const QString kKey = QStringLiteral("color-scheme");

}  // namespace

std::optional<ColorScheme> colorSchemeFromPortal(const QVariant& value) {
  QVariant v = value;
  // Read wraps the value in one more variant than ReadOne and the change signal; unwrap a few.
  for (int depth = 0; depth < 3 && v.canConvert<QDBusVariant>() && v.userType() == qMetaTypeId<QDBusVariant>();
       ++depth) {
    v = v.value<QDBusVariant>().variant();
  }
  if (v.userType() != QMetaType::UInt) return std::nullopt;
  switch (v.toUInt()) {
    case 0:
    case 2: return ColorScheme::light;
    case 1: return ColorScheme::dark;
    default: return std::nullopt;
  }
}

ColorSchemeWatch::ColorSchemeWatch(QDBusConnection bus, QObject* parent) : QObject(parent), bus_(bus) {
  if (!bus_.isConnected()) return;
  bus_.connect(kService, kPath, kInterface, QStringLiteral("SettingChanged"), this,
               SLOT(settingChanged(QString, QString, QDBusVariant)));
  QDBusMessage read = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Read"));
  read << kGroup << kKey;
  auto* call = new QDBusPendingCallWatcher(bus_.asyncCall(read, 2000), this);
  connect(call, &QDBusPendingCallWatcher::finished, this, &ColorSchemeWatch::answered);
}

void ColorSchemeWatch::answered(QDBusPendingCallWatcher* call) {
  call->deleteLater();
  const QDBusMessage reply = call->reply();
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1) return;
  report(reply.arguments().constFirst());
}

void ColorSchemeWatch::settingChanged(const QString& group, const QString& key, const QDBusVariant& value) {
  if (group != kGroup || key != kKey) return;
  report(value.variant());
}

void ColorSchemeWatch::report(const QVariant& value) {
  const auto scheme = colorSchemeFromPortal(value);
  if (!scheme || scheme == last_) return;
  last_ = scheme;
  Q_EMIT changed(*scheme);
}

}  // namespace kovra::ui
