#include "ui/tray/dbus_menu.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QMetaObject>

#include "core/localize.h"

namespace kovra::ui {

namespace {

QString localizedLabel(std::string_view text) { return QString::fromStdString(localized(text, "Tepsi menüsü")); }

}  // namespace

DBusMenu::DBusMenu(QObject* parent) : QObject(parent) {
  registerTrayDBusTypes();
  entries_ = {{openWindowId, localizedLabel("Pencereyi aç"), QStringLiteral("window-new"), "macwindow"},
              {settingsId, localizedLabel("Ayarlar…"), QStringLiteral("preferences-system"), "gearshape"},
              {quitId, localizedLabel("Çık"), QStringLiteral("application-exit"), "power"}};
  new DBusMenuAdaptor(this);
}

bool DBusMenu::hasItem(int id) const {
  if (id == 0) return true;
  for (const auto& e : entries_) {
    if (e.id == id) return true;
  }
  return false;
}

QVariantMap DBusMenu::properties(int id, const QStringList& names) const {
  QVariantMap all;
  if (id == 0) {
    all.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
  } else {
    for (const auto& e : entries_) {
      if (e.id != id) continue;
      all.insert(QStringLiteral("label"), e.label);
      all.insert(QStringLiteral("enabled"), true);
      all.insert(QStringLiteral("visible"), true);
      all.insert(QStringLiteral("icon-name"), e.iconName);
    }
  }
  if (names.isEmpty()) return all;
  QVariantMap picked;
  for (const auto& name : names) {
    if (all.contains(name)) picked.insert(name, all.value(name));
  }
  return picked;
}

DBusMenuLayoutItem DBusMenu::layout(int parentId, int depth, const QStringList& names) const {
  DBusMenuLayoutItem item{parentId, properties(parentId, names), {}};
  if (parentId == 0 && depth != 0) {
    for (const auto& e : entries_) item.children.push_back({e.id, properties(e.id, names), {}});
  }
  return item;
}

void DBusMenu::activate(int id) {
  if (id == 0 || !hasItem(id)) return;
  // Later, so a bus call is answered before the program acts on it (quitting, for one).
  QMetaObject::invokeMethod(this, [this, id] { Q_EMIT triggered(id); }, Qt::QueuedConnection);
}

DBusMenuAdaptor::DBusMenuAdaptor(DBusMenu* menu) : QDBusAbstractAdaptor(menu), menu_(menu) {}

uint DBusMenuAdaptor::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                                DBusMenuLayoutItem& layout) {
  if (!menu_->hasItem(parentId) && menu_->calledFromDBus()) {
    menu_->sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("unknown menu item"));
    return 0;
  }
  layout = menu_->layout(parentId, recursionDepth, propertyNames);
  return DBusMenu::revision;
}

DBusMenuItemList DBusMenuAdaptor::GetGroupProperties(const QList<int>& ids, const QStringList& propertyNames) {
  DBusMenuItemList out;
  for (int id : ids) {
    if (menu_->hasItem(id)) out.push_back({id, menu_->properties(id, propertyNames)});
  }
  return out;
}

QDBusVariant DBusMenuAdaptor::GetProperty(int id, const QString& name) {
  const QVariantMap props = menu_->properties(id, {name});
  if (!props.contains(name)) {
    if (menu_->calledFromDBus()) menu_->sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("unknown menu item or property"));
    return QDBusVariant(QVariant(QString()));
  }
  return QDBusVariant(props.value(name));
}

void DBusMenuAdaptor::Event(int id, const QString& eventId, const QDBusVariant&, uint) {
  if (eventId == QLatin1String("clicked")) menu_->activate(id);
}

QList<int> DBusMenuAdaptor::EventGroup(const DBusMenuEventList& events) {
  QList<int> errors;
  for (const auto& e : events) {
    if (!menu_->hasItem(e.id)) {
      errors.push_back(e.id);
      continue;
    }
    Event(e.id, e.eventId, e.data, e.timestamp);
  }
  return errors;
}

bool DBusMenuAdaptor::AboutToShow(int) { return false; }

QList<int> DBusMenuAdaptor::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors) {
  idErrors.clear();
  for (int id : ids) {
    if (!menu_->hasItem(id)) idErrors.push_back(id);
  }
  return {};
}

}  // namespace kovra::ui
