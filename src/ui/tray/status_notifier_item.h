#pragma once
// The tray item as an org.kde.StatusNotifierItem object. It holds what panels read (title, icon
// pictures, tool tip, the text label and its guide) and announces each change with the matching
// signal; clicks from the panel come back as Qt signals.

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QObject>
#include <QPoint>

#include "ui/tray/sni_types.h"

namespace kovra::ui {

class StatusNotifierItemAdaptor;

class StatusNotifierItem : public QObject {
  Q_OBJECT

 public:
  static constexpr const char* objectPath = "/StatusNotifierItem";
  static constexpr const char* interfaceName = "org.kde.StatusNotifierItem";

  explicit StatusNotifierItem(const QDBusObjectPath& menuPath, QObject* parent = nullptr);

  QString id() const { return QStringLiteral("kovra"); }
  QString title() const { return QStringLiteral("Kovra"); }
  QString category() const { return QStringLiteral("SystemServices"); }
  QString status() const { return QStringLiteral("Active"); }
  const SniIconPixmapList& iconPixmap() const { return icon_; }
  const QString& iconName() const { return iconName_; }
  const QString& iconThemePath() const { return iconThemePath_; }
  SniToolTip toolTip() const;
  const QString& toolTipDescription() const { return toolTipDescription_; }
  QDBusObjectPath menu() const { return menuPath_; }
  const QString& label() const { return label_; }
  const QString& labelGuide() const { return guide_; }

  // Each announces the change on the bus when the value differs. `name` and `themePath` name the
  // same picture as a file, for hosts that only load icons by name.
  void setIcon(SniIconPixmapList pixmaps, const QString& name = {}, const QString& themePath = {});
  void setToolTipDescription(const QString& description);
  void setLabel(const QString& label, const QString& guide);

 signals:
  void activateRequested(QPoint globalPos);
  void secondaryActivateRequested(QPoint globalPos);
  void contextMenuRequested(QPoint globalPos);

 private:
  StatusNotifierItemAdaptor* adaptor_;
  QDBusObjectPath menuPath_;
  SniIconPixmapList icon_;
  QString iconName_;
  QString iconThemePath_;
  QString toolTipDescription_;
  QString label_;
  QString guide_;
};

class StatusNotifierItemAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
  Q_PROPERTY(QString Category READ category)
  Q_PROPERTY(QString Id READ id)
  Q_PROPERTY(QString Title READ title)
  Q_PROPERTY(QString Status READ status)
  Q_PROPERTY(int WindowId READ windowId)
  Q_PROPERTY(QString IconName READ iconName)
  Q_PROPERTY(QList<kovra::ui::SniIconPixmap> IconPixmap READ iconPixmap)
  Q_PROPERTY(QString OverlayIconName READ emptyName)
  Q_PROPERTY(QList<kovra::ui::SniIconPixmap> OverlayIconPixmap READ noPixmaps)
  Q_PROPERTY(QString AttentionIconName READ emptyName)
  Q_PROPERTY(QList<kovra::ui::SniIconPixmap> AttentionIconPixmap READ noPixmaps)
  Q_PROPERTY(QString AttentionMovieName READ emptyName)
  Q_PROPERTY(QString IconThemePath READ iconThemePath)
  Q_PROPERTY(QString IconAccessibleDesc READ accessibleDescription)
  Q_PROPERTY(QString AttentionAccessibleDesc READ emptyName)
  Q_PROPERTY(kovra::ui::SniToolTip ToolTip READ toolTip)
  Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
  Q_PROPERTY(QDBusObjectPath Menu READ menu)
  Q_PROPERTY(QString XAyatanaLabel READ label)
  Q_PROPERTY(QString XAyatanaLabelGuide READ labelGuide)
  Q_PROPERTY(uint XAyatanaOrderingIndex READ orderingIndex)

 public:
  explicit StatusNotifierItemAdaptor(StatusNotifierItem* item);

  QString category() const { return item_->category(); }
  QString id() const { return item_->id(); }
  QString title() const { return item_->title(); }
  QString status() const { return item_->status(); }
  int windowId() const { return 0; }
  QString iconName() const { return item_->iconName(); }
  QString iconThemePath() const { return item_->iconThemePath(); }
  QString accessibleDescription() const { return item_->toolTipDescription(); }
  QString emptyName() const { return {}; }
  SniIconPixmapList iconPixmap() const { return item_->iconPixmap(); }
  SniIconPixmapList noPixmaps() const { return {}; }
  SniToolTip toolTip() const { return item_->toolTip(); }
  bool itemIsMenu() const { return false; }
  QDBusObjectPath menu() const { return item_->menu(); }
  QString label() const { return item_->label(); }
  QString labelGuide() const { return item_->labelGuide(); }
  uint orderingIndex() const { return 0; }

 public slots:
  void Activate(int x, int y);
  void SecondaryActivate(int x, int y);
  // The Ayatana hosts' middle click.
  void XAyatanaSecondaryActivate(uint timestamp);
  void ContextMenu(int x, int y);
  void Scroll(int delta, const QString& orientation);
  void ProvideXdgActivationToken(const QString& token);

 signals:
  void NewTitle();
  void NewIcon();
  void NewAttentionIcon();
  void NewOverlayIcon();
  void NewToolTip();
  void NewStatus(const QString& status);
  void XAyatanaNewLabel(const QString& label, const QString& guide);

 private:
  StatusNotifierItem* item_;
};

}  // namespace kovra::ui
