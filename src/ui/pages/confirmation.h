#pragma once
// Asking the user to confirm a step (the quit and force-quit dialogs). The answer arrives
// through a callback, so no nested event loop runs; tests install their own handler.

#include <QString>

#include <functional>

class QWidget;

namespace kovra::ui {

struct ConfirmRequest {
  QString title;
  QString message;
  QString acceptText;
  QString cancelText;
  bool destructive = false;
};

using ConfirmDone = std::function<void(bool accepted)>;
using ConfirmHandler = std::function<void(const ConfirmRequest&, QWidget* parent, ConfirmDone done)>;

// Shows a window-modal confirmation dialog (or hands the request to the installed handler).
void askConfirmation(const ConfirmRequest& request, QWidget* parent, ConfirmDone done);
// Replaces how confirmations are asked and returns the previous handler; an empty handler
// restores the dialog.
ConfirmHandler setConfirmHandler(ConfirmHandler handler);
// The dialog askConfirmation shows, unopened and answering nobody (for pictures of it).
QWidget* makeConfirmationPreview(const ConfirmRequest& request, QWidget* parent = nullptr);

}  // namespace kovra::ui
