#include "ui/pages/confirmation.h"

#include <QMessageBox>
#include <QPushButton>

#include <memory>

namespace kovra::ui {

namespace {
ConfirmHandler& installed() {
  static ConfirmHandler handler;
  return handler;
}
}  // namespace

ConfirmHandler setConfirmHandler(ConfirmHandler handler) { return std::exchange(installed(), std::move(handler)); }

void askConfirmation(const ConfirmRequest& request, QWidget* parent, ConfirmDone done) {
  if (installed()) {
    installed()(request, parent, std::move(done));
    return;
  }
  auto* box = new QMessageBox(request.destructive ? QMessageBox::Warning : QMessageBox::Question, request.title,
                              request.title, QMessageBox::NoButton, parent);
  box->setInformativeText(request.message);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::WindowModal);
  QPushButton* accept = box->addButton(request.acceptText, request.destructive ? QMessageBox::DestructiveRole
                                                                                : QMessageBox::AcceptRole);
  QPushButton* cancel = box->addButton(request.cancelText, QMessageBox::RejectRole);
  box->setDefaultButton(cancel);
  box->setEscapeButton(cancel);
  auto answered = std::make_shared<bool>(false);
  QObject::connect(box, &QMessageBox::buttonClicked, box, [done, accept, answered](QAbstractButton* clicked) {
    if (*answered) return;
    *answered = true;
    done(clicked == accept);
  });
  // Closing the box any other way counts as "Vazgeç".
  QObject::connect(box, &QObject::destroyed, [done, answered] {
    if (*answered) return;
    *answered = true;
    done(false);
  });
  box->open();
}

}  // namespace kovra::ui
