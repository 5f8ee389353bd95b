#include "ui/shell/collaborators.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "present/palette.h"

namespace kovra::ui {

namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }

constexpr CardKind kCards[] = {CardKind::memory, CardKind::network, CardKind::disk, CardKind::cpu};

// Interim content until the dashboard's own views are in: the headline and one button per card.
class InterimDashboard final : public QWidget {
 public:
  InterimDashboard(ShellContext& context, std::function<void(CardKind)> onCard, QWidget* parent)
      : QWidget(parent), context_(context) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    headline_ = new QLabel(this);
    headline_->setWordWrap(true);
    layout->addWidget(headline_);
    auto* grid = new QGridLayout;
    int i = 0;
    for (CardKind card : kCards) {
      auto* button = new QPushButton(qs(ArayuzCardInfo::title(card)), this);
      button->setMinimumHeight(60);
      connect(button, &QPushButton::clicked, this, [onCard, card] { onCard(card); });
      grid->addWidget(button, i / 2, i % 2);
      ++i;
    }
    layout->addLayout(grid);
    layout->addStretch(1);
    update();
    token_ = context_.dashboard.headline().subscribe([this](const Verdict&) { update(); });
  }

 private:
  void update() { headline_->setText(qs(context_.dashboard.headline()->sentence)); }

  ShellContext& context_;
  QLabel* headline_;
  ObservationToken token_;
};

class InterimDetail final : public QLabel {
 public:
  InterimDetail(CardKind card, ShellContext& context, QWidget* parent)
      : QLabel(qs(ArayuzCardInfo::title(card)), parent), card_(card), context_(context) {
    setAlignment(Qt::AlignCenter);
    context_.detail.activate(card_);
  }
  ~InterimDetail() override { context_.detail.deactivate(card_); }

 private:
  CardKind card_;
  ShellContext& context_;
};

}  // namespace

QWidget* makeDashboardWidget(ShellContext& context, std::function<void(CardKind)> onCard, QWidget* parent) {
  return new InterimDashboard(context, std::move(onCard), parent);
}

QWidget* makeMenuPanelWidget(ShellContext& context, PanelActions actions, QWidget* parent) {
  auto* panel = new QWidget(parent);
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(12, 12, 12, 12);
  layout->setSpacing(10);
  layout->addWidget(makeDashboardWidget(context, actions.openCard, panel));
  auto* divider = new QFrame(panel);
  divider->setFrameShape(QFrame::HLine);
  layout->addWidget(divider);
  auto* row = new QHBoxLayout;
  auto addButton = [&](const char* text, std::function<void()> action) {
    auto* button = new QPushButton(QString::fromUtf8(text), panel);
    QObject::connect(button, &QPushButton::clicked, panel, [action] {
      if (action) action();
    });
    row->addWidget(button);
  };
  addButton("Pencereyi aç", actions.openWindow);
  addButton("Ayarlar…", actions.openSettings);
  addButton("Çık", actions.quit);
  layout->addLayout(row);
  return panel;
}

QWidget* makeDetailWidget(CardKind card, ShellContext& context, QWidget* parent) {
  return new InterimDetail(card, context, parent);
}

QImage labelPicture(ShellContext&, qreal) { return {}; }

}  // namespace kovra::ui
