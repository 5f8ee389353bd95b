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
  // Walks the item's few properties, not the caller's list, which may be long and repetitive.
  QVariantMap picked;
  for (auto it = all.cbegin(); it != all.cend(); ++it) {
    if (names.contains(it.key())) picked.insert(it.key(), it.value());
  }
  return picked;
}

QStringList DBusMenu::askedNames(const QStringList& names) {
  if (names.isEmpty()) return {};
  static const QStringList known{QStringLiteral("children-display"), QStringLiteral("label"),
                                 QStringLiteral("enabled"), QStringLiteral("visible"), QStringLiteral("icon-name")};
  QStringList out;
  for (const auto& name : known) {
    if (names.contains(name)) out.push_back(name);
  }
  // None of them: a name no item has, so the answer stays "nothing" rather than "everything".
  if (out.isEmpty()) out.push_back(QStringLiteral("-"));
  return out;
}

DBusMenuLayoutItem DBusMenu::layout(int parentId, int depth, const QStringList& names) const {
  const QStringList asked = askedNames(names);
  DBusMenuLayoutItem item{parentId, properties(parentId, asked), {}};
  if (parentId == 0 && depth != 0) {
    for (const auto& e : entries_) item.children.push_back({e.id, properties(e.id, asked), {}});
  }
  return item;
}

DBusMenu::IdSplit DBusMenu::splitIds(const QList<int>& ids) const {
  IdSplit split;
  for (int id : ids) {
    if (hasItem(id)) {
      if (!split.known.contains(id)) split.known.push_back(id);
    } else if (split.unknown.size() < maxReportedUnknownIds && !split.unknown.contains(id)) {
      split.unknown.push_back(id);
    }
  }
  return split;
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
  const QStringList asked = DBusMenu::askedNames(propertyNames);
  DBusMenuItemList out;
  for (int id : menu_->splitIds(ids).known) out.push_back({id, menu_->properties(id, asked)});
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

QList<int> DBusMenuAdaptor::EventGroup(const QList<kovra::ui::DBusMenuEvent>& events) {
  QList<int> ids;
  QList<int> clicked;
  ids.reserve(events.size());
  for (const auto& e : events) {
    ids.push_back(e.id);
    // One click per item however often it is named.
    if (e.eventId == QLatin1String("clicked") && menu_->hasItem(e.id) && !clicked.contains(e.id)) {
      clicked.push_back(e.id);
      menu_->activate(e.id);
    }
  }
  return menu_->splitIds(ids).unknown;
}

bool DBusMenuAdaptor::AboutToShow(int) { return false; }

QList<int> DBusMenuAdaptor::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors) {
  idErrors = menu_->splitIds(ids).unknown;
  return {};
}

}  // namespace kovra::ui
