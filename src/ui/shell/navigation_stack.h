#pragma once
// The main window's navigation stack over the navigation path: the dashboard at the root, one
// detail page per card on the path. A page exists exactly while its card is on the path, so a
// page that is popped is destroyed (and deactivates its card); pages that stay are kept as
// they are.

#include <QWidget>

#include <functional>
#include <utility>
#include <vector>

#include "ui/shell/shell_context.h"

class QLabel;
class QStackedWidget;
class QToolButton;

namespace kovra::ui {

class NavigationStack final : public QWidget {
  Q_OBJECT

 public:
  NavigationStack(ShellContext& context, std::function<void()> openSettings, QWidget* parent = nullptr);
  ~NavigationStack() override;

  // Pages above the dashboard, bottom first.
  std::vector<CardKind> pageCards() const;
  QWidget* currentPage() const;
  QWidget* dashboard() const { return dashboard_; }
  QToolButton* backButton() const { return back_; }

 private:
  void follow(const std::vector<CardKind>& path);
  void updateBar();

  ShellContext& context_;
  QToolButton* back_;
  QLabel* title_;
  QToolButton* settings_;
  QStackedWidget* stack_;
  QWidget* dashboard_;
  std::vector<std::pair<CardKind, QWidget*>> pages_;
  ObservationToken pathToken_;
};

}  // namespace kovra::ui
