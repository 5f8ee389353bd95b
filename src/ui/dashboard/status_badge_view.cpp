#include "ui/dashboard/status_badge_view.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

#include "core/localize.h"
#include "present/palette.h"
#include "ui/common/colors.h"
#include "ui/common/symbols.h"
#include "ui/dashboard/card_size.h"

namespace kovra::ui {

StatusBadgeView::StatusBadgeView(int symbolPx, const QFont& font, QWidget* parent)
    : QWidget(parent), symbolPx_(symbolPx), symbol_(new QLabel(this)), label_(new QLabel(this)) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(4);
  symbol_->setFixedSize(symbolPx, symbolPx);
  label_->setFont(font);
  layout->addWidget(symbol_);
  layout->addWidget(label_);
  setVisible(false);
}

QString StatusBadgeView::labelText() const { return label_->text(); }

void StatusBadgeView::setSeverity(Severity severity) {
  if (severity == severity_ && (severity == Severity::neutral || !label_->text().isEmpty())) return;
  severity_ = severity;
  restyle();
}

void StatusBadgeView::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) restyle();
}

void StatusBadgeView::restyle() {
  const auto style = ArayuzSeverityStyle::of(severity_);
  if (!style) {
    setVisible(false);
    label_->clear();
    setAccessibleName({});
    return;
  }
  const QColor colour = paletteColor(style->colour, palette());
  symbol_->setPixmap(symbolPixmap(style->symbol, colour, symbolPx_, devicePixelRatioF()));
  // Inside a button (the cards) a label would draw in the button text colour: name the role.
  label_->setForegroundRole(QPalette::WindowText);
  QPalette pal = label_->palette();
  pal.setColor(QPalette::WindowText, colour);
  label_->setPalette(pal);
  label_->setText(qstr(style->label));
  setAccessibleName(qstr(localized("Durum: ", "Durum rozeti")) + qstr(style->label));
  setVisible(true);
}

}  // namespace kovra::ui
