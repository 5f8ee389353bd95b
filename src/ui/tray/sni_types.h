#pragma once
// The D-Bus structures of the status notifier item and its menu, with their marshalling.

#include <QDBusArgument>
#include <QDBusVariant>
#include <QImage>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace kovra::ui {

// (iiay): width, height and ARGB32 pixels in network byte order.
struct SniIconPixmap {
  int width = 0;
  int height = 0;
  QByteArray bytes;
};
using SniIconPixmapList = QList<SniIconPixmap>;

// (sa(iiay)ss): icon name, icon pixmaps, title, description.
struct SniToolTip {
  QString iconName;
  SniIconPixmapList iconPixmap;
  QString title;
  QString description;
};

// (ia{sv}av): a menu item and its children, each child wrapped in a variant.
struct DBusMenuLayoutItem {
  int id = 0;
  QVariantMap properties;
  QList<DBusMenuLayoutItem> children;
};

// (ia{sv})
struct DBusMenuItem {
  int id = 0;
  QVariantMap properties;
};
using DBusMenuItemList = QList<DBusMenuItem>;

// (ias)
struct DBusMenuItemKeys {
  int id = 0;
  QStringList properties;
};
using DBusMenuItemKeysList = QList<DBusMenuItemKeys>;

// (isvu)
struct DBusMenuEvent {
  int id = 0;
  QString eventId;
  QDBusVariant data;
  uint timestamp = 0;
};
using DBusMenuEventList = QList<DBusMenuEvent>;

QDBusArgument& operator<<(QDBusArgument& arg, const SniIconPixmap& v);
const QDBusArgument& operator>>(const QDBusArgument& arg, SniIconPixmap& v);
QDBusArgument& operator<<(QDBusArgument& arg, const SniToolTip& v);
const QDBusArgument& operator>>(const QDBusArgument& arg, SniToolTip& v);
QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuLayoutItem& v);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuLayoutItem& v);
QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItem& v);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItem& v);
QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItemKeys& v);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItemKeys& v);
QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuEvent& v);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuEvent& v);
// Reads no more than maxDecodedMenuEvents events of a list and steps over the rest unread, so a
// caller cannot make the program decode millions of them.
inline constexpr qsizetype maxDecodedMenuEvents = 256;
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuEventList& v);

// Registers every type above with QtDBus; safe to call more than once.
void registerTrayDBusTypes();

// An image as the pixmap structure (converted to ARGB32 first).
SniIconPixmap sniIconPixmap(const QImage& image);

}  // namespace kovra::ui

Q_DECLARE_METATYPE(kovra::ui::SniIconPixmap)
Q_DECLARE_METATYPE(kovra::ui::SniToolTip)
Q_DECLARE_METATYPE(kovra::ui::DBusMenuLayoutItem)
Q_DECLARE_METATYPE(kovra::ui::DBusMenuItem)
Q_DECLARE_METATYPE(kovra::ui::DBusMenuItemKeys)
Q_DECLARE_METATYPE(kovra::ui::DBusMenuEvent)
