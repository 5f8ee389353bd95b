#include "ui/pages/confirmation.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

#include "present/palette.h"
#include "ui/common/colors.h"
#include "ui/common/look.h"
#include "ui/common/tint.h"
#include "ui/pages/page_style.h"

namespace kovra::ui {

namespace {

ConfirmHandler& installed() {
  static ConfirmHandler handler;
  return handler;
}

// The message wraps at a reading width, not at the few words a stock box allows.
constexpr int kTextWidth = 360;

// A desktop confirmation: a symbol, the question in bold, the explanation beneath, and the
// buttons at the trailing end with the safe choice as the default. A destructive choice is
// written in the critical colour.
QDialog* makeDialog(const ConfirmRequest& request, QWidget* parent, QPushButton** accept, QPushButton** cancel) {
  auto* dialog = new QDialog(parent);
  dialog->setObjectName(QStringLiteral("kovra-confirmation"));
  dialog->setWindowTitle(request.title);
  dialog->setAccessibleName(request.title);
  auto* column = new QVBoxLayout(dialog);
  column->setContentsMargins(Look::kGap5, Look::kGap5, Look::kGap5, Look::kGap4);
  column->setSpacing(Look::kGap4);
  auto* row = new QHBoxLayout();
  row->setSpacing(Look::kGap4);
  if (request.destructive) {
    row->addWidget(makeSymbolLabel("exclamationmark.triangle.fill", fromPalette(ArayuzPalette::warning), 40, dialog),
                   0, Qt::AlignTop);
  } else {
    row->addWidget(makeSymbolLabel("power", inTone(Tone::secondary), 40, dialog), 0, Qt::AlignTop);
  }
  auto* texts = new QVBoxLayout();
  texts->setSpacing(Look::kGap2);
  auto* title = makeLabel(request.title, TextRole::headline, dialog);
  title->setWordWrap(true);
  title->setFixedWidth(kTextWidth);
  auto* message = makeLabel(request.message, TextRole::callout, dialog);
  message->setWordWrap(true);
  message->setFixedWidth(kTextWidth);
  texts->addWidget(title);
  texts->addWidget(message);
  row->addLayout(texts, 1);
  column->addLayout(row);
  auto* buttons = new QHBoxLayout();
  buttons->setSpacing(Look::kGap2);
  buttons->addStretch(1);
  *cancel = new QPushButton(request.cancelText, dialog);
  *accept = new QPushButton(request.acceptText, dialog);
  if (request.destructive) {
    setTextColor(*accept, [](const QPalette& p) { return paletteColor(ArayuzPalette::critical, p); });
  }
  buttons->addWidget(*cancel);
  buttons->addWidget(*accept);
  column->addLayout(buttons);
  (*cancel)->setDefault(true);
  (*cancel)->setFocus();
  QObject::connect(*cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  QObject::connect(*accept, &QPushButton::clicked, dialog, &QDialog::accept);
  dialog->setSizeGripEnabled(false);
  dialog->layout()->setSizeConstraint(QLayout::SetFixedSize);
  return dialog;
}

}  // namespace

ConfirmHandler setConfirmHandler(ConfirmHandler handler) { return std::exchange(installed(), std::move(handler)); }

void askConfirmation(const ConfirmRequest& request, QWidget* parent, ConfirmDone done) {
  if (installed()) {
    installed()(request, parent, std::move(done));
    return;
  }
  QPushButton* accept = nullptr;
  QPushButton* cancel = nullptr;
  QDialog* dialog = makeDialog(request, parent, &accept, &cancel);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowModality(Qt::WindowModal);
  auto answered = std::make_shared<bool>(false);
  QObject::connect(dialog, &QDialog::finished, dialog, [done, answered](int result) {
    if (*answered) return;
    *answered = true;
    done(result == QDialog::Accepted);
  });
  // Closing the dialog any other way counts as "Vazgeç".
  QObject::connect(dialog, &QObject::destroyed, [done, answered] {
    if (*answered) return;
    *answered = true;
    done(false);
  });
  dialog->open();
}

QWidget* makeConfirmationPreview(const ConfirmRequest& request, QWidget* parent) {
  QPushButton* accept = nullptr;
  QPushButton* cancel = nullptr;
  return makeDialog(request, parent, &accept, &cancel);
}

}  // namespace kovra::ui
