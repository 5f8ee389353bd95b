#pragma once
// The tray item's menu as a com.canonical.dbusmenu object: "Pencereyi aç", "Ayarlar…", "Çık".
// The layout never changes, so its revision stays 1.

#include <QDBusAbstractAdaptor>
#include <QDBusContext>
#include <QObject>

#include "ui/tray/sni_types.h"

namespace kovra::ui {

// Bus calls reach it through its adaptor; the call's context (for error replies) is its own.
class DBusMenu : public QObject, public QDBusContext {
  Q_OBJECT

 public:
  static constexpr int openWindowId = 1;
  static constexpr int settingsId = 2;
  static constexpr int quitId = 3;
  static constexpr uint revision = 1;

  struct Entry {
    int id;
    QString label;
    QString iconName;           // the desktop theme's name, for panels
    const char* symbol = "";    // the program's own symbol, for its local menu
  };

  explicit DBusMenu(QObject* parent = nullptr);

  const QList<Entry>& entries() const { return entries_; }
  bool hasItem(int id) const;
  // The item's properties, only `names` when not empty; empty for an unknown item.
  QVariantMap properties(int id, const QStringList& names = {}) const;
  // A caller's property names cut down to those items can have, each once: what properties()
  // is then asked for, so a long or repetitive list costs one pass. Empty stays empty (all).
  static QStringList askedNames(const QStringList& names);
  // The ids of a request split into the items that exist, each once in first-seen order, and
  // the unknown ones, each once and no more than maxReportedUnknownIds: a request's length
  // never decides the size of the answer.
  static constexpr qsizetype maxReportedUnknownIds = 16;
  struct IdSplit {
    QList<int> known;
    QList<int> unknown;
  };
  IdSplit splitIds(const QList<int>& ids) const;
  // The item and its children down to `depth` levels (-1: all).
  DBusMenuLayoutItem layout(int parentId, int depth, const QStringList& names) const;
  // A click on an item (from the bus or a local menu); emits triggered later, on the event loop.
  void activate(int id);

 signals:
  void triggered(int id);

 private:
  QList<Entry> entries_;
};

class DBusMenuAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
  Q_PROPERTY(uint Version READ version)
  Q_PROPERTY(QString TextDirection READ textDirection)
  Q_PROPERTY(QString Status READ status)
  Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

 public:
  // Bus-facing signatures spell out the list types: QtDBus looks parameter types up by name.
  explicit DBusMenuAdaptor(DBusMenu* menu);

  uint version() const { return 3; }
  QString textDirection() const { return QStringLiteral("ltr"); }
  QString status() const { return QStringLiteral("normal"); }
  QStringList iconThemePath() const { return {}; }

 public slots:
  uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames, kovra::ui::DBusMenuLayoutItem& layout);
  QList<kovra::ui::DBusMenuItem> GetGroupProperties(const QList<int>& ids, const QStringList& propertyNames);
  QDBusVariant GetProperty(int id, const QString& name);
  void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp);
  QList<int> EventGroup(const QList<kovra::ui::DBusMenuEvent>& events);
  bool AboutToShow(int id);
  QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

 signals:
  void ItemsPropertiesUpdated(const QList<kovra::ui::DBusMenuItem>& updatedProps,
                              const QList<kovra::ui::DBusMenuItemKeys>& removedProps);
  void LayoutUpdated(uint revision, int parent);
  void ItemActivationRequested(int id, uint timestamp);

 private:
  DBusMenu* menu_;
};

}  // namespace kovra::ui
