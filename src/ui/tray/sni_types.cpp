#include "ui/tray/sni_types.h"

#include <QDBusMetaType>
#include <QtEndian>

namespace kovra::ui {

QDBusArgument& operator<<(QDBusArgument& arg, const SniIconPixmap& v) {
  arg.beginStructure();
  arg << v.width << v.height << v.bytes;
  arg.endStructure();
  return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, SniIconPixmap& v) {
  arg.beginStructure();
  arg >> v.width >> v.height >> v.bytes;
  arg.endStructure();
  return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const SniToolTip& v) {
  arg.beginStructure();
  arg << v.iconName << v.iconPixmap << v.title << v.description;
  arg.endStructure();
  return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, SniToolTip& v) {
  arg.beginStructure();
  arg >> v.iconName >> v.iconPixmap >> v.title >> v.description;
  arg.endStructure();
  return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuLayoutItem& v) {
  arg.beginStructure();
  arg << v.id << v.properties;
  arg.beginArray(qMetaTypeId<QDBusVariant>());
  for (const auto& child : v.children) arg << QDBusVariant(QVariant::fromValue(child));
  arg.endArray();
  arg.endStructure();
  return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuLayoutItem& v) {
  arg.beginStructure();
  arg >> v.id >> v.properties;
  v.children.clear();
  arg.beginArray();
  while (!arg.atEnd()) {
    QDBusVariant wrapped;
    arg >> wrapped;
    DBusMenuLayoutItem child;
    const QVariant inner = wrapped.variant();
    if (inner.canConvert<QDBusArgument>()) {
      inner.value<QDBusArgument>() >> child;
    } else if (inner.canConvert<DBusMenuLayoutItem>()) {
      child = inner.value<DBusMenuLayoutItem>();
    }
    v.children.push_back(child);
  }
  arg.endArray();
  arg.endStructure();
  return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItem& v) {
  arg.beginStructure();
  arg << v.id << v.properties;
  arg.endStructure();
  return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItem& v) {
  arg.beginStructure();
  arg >> v.id >> v.properties;
  arg.endStructure();
  return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItemKeys& v) {
  arg.beginStructure();
  arg << v.id << v.properties;
  arg.endStructure();
  return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItemKeys& v) {
  arg.beginStructure();
  arg >> v.id >> v.properties;
  arg.endStructure();
  return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuEvent& v) {
  arg.beginStructure();
  arg << v.id << v.eventId << v.data << v.timestamp;
  arg.endStructure();
  return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuEvent& v) {
  arg.beginStructure();
  arg >> v.id >> v.eventId >> v.data >> v.timestamp;
  arg.endStructure();
  return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuEventList& v) {
  v.clear();
  arg.beginArray();
  while (!arg.atEnd() && v.size() < maxDecodedMenuEvents) {
    DBusMenuEvent event;
    arg >> event;
    v.push_back(std::move(event));
  }
  arg.endArray();  // the parent has already moved past the whole array
  return arg;
}

void registerTrayDBusTypes() {
  static const bool registered = [] {
    qDBusRegisterMetaType<SniIconPixmap>();
    qDBusRegisterMetaType<SniIconPixmapList>();
    qDBusRegisterMetaType<SniToolTip>();
    qDBusRegisterMetaType<DBusMenuLayoutItem>();
    qDBusRegisterMetaType<DBusMenuItem>();
    qDBusRegisterMetaType<DBusMenuItemList>();
    qDBusRegisterMetaType<DBusMenuItemKeys>();
    qDBusRegisterMetaType<DBusMenuItemKeysList>();
    qDBusRegisterMetaType<DBusMenuEvent>();
    qDBusRegisterMetaType<DBusMenuEventList>();
    return true;
  }();
  (void)registered;
}

SniIconPixmap sniIconPixmap(const QImage& image) {
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  SniIconPixmap out{argb.width(), argb.height(), {}};
  out.bytes.resize(static_cast<qsizetype>(argb.width()) * argb.height() * 4);
  auto* dst = reinterpret_cast<uchar*>(out.bytes.data());
  for (int y = 0; y < argb.height(); ++y) {
    const auto* row = reinterpret_cast<const quint32*>(argb.constScanLine(y));
    for (int x = 0; x < argb.width(); ++x) {
      qToBigEndian<quint32>(row[x], dst);
      dst += 4;
    }
  }
  return out;
}

}  // namespace kovra::ui
