#pragma once
// SIGINT and SIGTERM end the event loop like "Çık" does, so that everything is torn down in
// order. The handler only writes the signal's number into a pipe; a socket notifier on the GUI
// thread reads it.

#include <QObject>

class QSocketNotifier;

namespace kovra::ui {

class StopSignals final : public QObject {
  Q_OBJECT

 public:
  // Installs the handlers. Call once, early (before the QApplication), so that a signal that
  // arrives during start-up waits in the pipe. Returns false when the pipe cannot be made.
  static bool install();
  // Restores the default handlers and closes the pipe.
  static void uninstall();

  // Watches the pipe; needs a QCoreApplication.
  explicit StopSignals(QObject* parent = nullptr);
  ~StopSignals() override;

 signals:
  void stopRequested(int signalNumber);

 private:
  void drain();
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace kovra::ui
