#pragma once
// The main window, "Kovra": the navigation stack with the dashboard at its root, or, with the
// start-up override, the settings form or the panel inspection. Its content exists only while
// the window counts as visible (and half a second longer); closing it only hides it.

#include <QWidget>

#include <memory>

#include "ui/shell/collaborators.h"
#include "ui/shell/shell_context.h"

class QVBoxLayout;

namespace kovra::ui {

class SurfaceVisibility;

class MainWindow final : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kDefaultWidth = 820;
  static constexpr int kDefaultHeight = 760;
  static constexpr int kMinimumWidth = 640;
  static constexpr int kMinimumHeight = 520;

  MainWindow(ShellContext& context, PanelActions actions, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Shows the window (restoring it when minimised) and brings it to the front.
  void bringForward();
  // Null while the content is released.
  QWidget* content() const { return content_; }
  SurfaceVisibility& visibility() { return *visibility_; }

 private:
  void setContentShown(bool shown);

  ShellContext& context_;
  PanelActions actions_;
  QVBoxLayout* layout_;
  QWidget* content_ = nullptr;
  std::unique_ptr<SurfaceVisibility> visibility_;
  ObservationToken onScreenToken_;
};

}  // namespace kovra::ui
