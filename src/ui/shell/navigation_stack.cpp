#include "ui/shell/navigation_stack.h"

#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QShortcut>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "present/palette.h"
#include "ui/common/symbols.h"
#include "ui/common/tint.h"
#include "ui/shell/collaborators.h"

namespace kovra::ui {

NavigationStack::NavigationStack(ShellContext& context, std::function<void()> openSettings, QWidget* parent)
    : QWidget(parent), context_(context) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  auto* bar = new QWidget(this);
  bar->setObjectName("kovra-navigation-bar");
  auto* barLayout = new QHBoxLayout(bar);
  barLayout->setContentsMargins(8, 6, 8, 6);
  back_ = new QToolButton(bar);
  back_->setObjectName("kovra-back");
  back_->setAutoRaise(true);
  back_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  setSymbolIcon(back_, "chevron.left");
  title_ = new QLabel(bar);
  QFont titleFont = title_->font();
  titleFont.setBold(true);
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.15);
  title_->setFont(titleFont);
  settings_ = new QToolButton(bar);
  settings_->setAutoRaise(true);
  settings_->setText(QStringLiteral("Ayarlar"));
  settings_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  setSymbolIcon(settings_, "gearshape");
  barLayout->addWidget(back_);
  barLayout->addWidget(title_, 1);
  barLayout->addWidget(settings_);
  layout->addWidget(bar);

  stack_ = new QStackedWidget(this);
  layout->addWidget(stack_, 1);
  dashboard_ = makeDashboardWidget(context_, [this](CardKind card) { context_.navigation.open(card); }, stack_);
  stack_->addWidget(dashboard_);

  connect(back_, &QToolButton::clicked, this, [this] { context_.navigation.back(); });
  auto* backKey = new QShortcut(QKeySequence::Back, this);
  connect(backKey, &QShortcut::activated, this, [this] { context_.navigation.back(); });
  connect(settings_, &QToolButton::clicked, this, [openSettings = std::move(openSettings)] {
    if (openSettings) openSettings();
  });

  follow(context_.navigation.path.value());
  pathToken_ = context_.navigation.path.subscribe([this](const std::vector<CardKind>& path) { follow(path); });
}

NavigationStack::~NavigationStack() {
  pathToken_.cancel();
  // Top first, so that each page leaves the detail model as the one above it found it.
  while (!pages_.empty()) {
    delete pages_.back().second;
    pages_.pop_back();
  }
}

std::vector<CardKind> NavigationStack::pageCards() const {
  std::vector<CardKind> cards;
  for (const auto& [card, page] : pages_) cards.push_back(card);
  return cards;
}

QWidget* NavigationStack::currentPage() const { return stack_->currentWidget(); }

void NavigationStack::follow(const std::vector<CardKind>& path) {
  size_t keep = 0;
  while (keep < pages_.size() && keep < path.size() && pages_[keep].first == path[keep]) ++keep;
  while (pages_.size() > keep) {
    QWidget* page = pages_.back().second;
    pages_.pop_back();
    stack_->removeWidget(page);
    delete page;
  }
  for (size_t i = keep; i < path.size(); ++i) {
    QWidget* page = makeDetailWidget(path[i], context_, stack_);
    stack_->addWidget(page);
    pages_.emplace_back(path[i], page);
  }
  stack_->setCurrentWidget(pages_.empty() ? dashboard_ : pages_.back().second);
  updateBar();
}

void NavigationStack::updateBar() {
  const bool atRoot = pages_.empty();
  back_->setVisible(!atRoot);
  settings_->setVisible(atRoot);
  if (atRoot) {
    title_->setText(QStringLiteral("Kovra"));
    return;
  }
  title_->setText(QString::fromStdString(ArayuzCardInfo::title(pages_.back().first)));
  const QString previous = pages_.size() >= 2
                               ? QString::fromStdString(ArayuzCardInfo::title(pages_[pages_.size() - 2].first))
                               : QStringLiteral("Kovra");
  back_->setText(previous);
}

}  // namespace kovra::ui
