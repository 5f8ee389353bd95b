// The live program in this process, driven from inside to measure how long the hand waits, on
// whatever display and session bus it is given (bench/latency.sh gives it a virtual one, a
// private bus and a stand-in tray host):
//   panel        the tray item's Activate call, sent over the bus → the menu panel painted, opened
//                after its content was released (more than half a second closed) and again
//                while it is still kept (closed for a tenth of a second)
//   window       SecondaryActivate → the main window painted
//   page         a click on the processor card → the detail page painted
//   memory       resident memory with the tray item alone, and after the main window was opened
//                on every page and closed, ROUNDS times
// Painted means the window's expose or update request has been handled: its content painted
// into the backing store and flushed to the display. One line per measurement on standard
// output ("panel-released 12.3"), milliseconds; "rss-tray", "rss-after" in kilobytes.

#include <QAbstractButton>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHash>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

#include "ui/shell/live_program.h"

namespace {

double nowMs() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

long rssKb() {
  std::ifstream status("/proc/self/status");
  std::string key;
  long value = 0;
  while (status >> key) {
    if (key == "VmRSS:") {
      status >> value;
      return value;
    }
    status.ignore(1 << 12, '\n');
  }
  return 0;
}

QWidget* topLevel(const char* name) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == QLatin1String(name)) return w;
  return nullptr;
}

// Notes when each top-level window last finished a paint.
class PaintWatch : public QObject {
 public:
  double lastPaint(QWidget* w) const { return w != nullptr ? painted_.value(w->windowHandle(), 0) : 0; }

 protected:
  bool eventFilter(QObject* obj, QEvent* e) override {
    if (inside_ || !obj->isWindowType() || (e->type() != QEvent::UpdateRequest && e->type() != QEvent::Expose))
      return false;
    auto* window = static_cast<QWindow*>(obj);
    inside_ = true;
    obj->event(e);  // paints and flushes
    inside_ = false;
    if (window->isExposed()) painted_[window] = nowMs();
    return true;
  }

 private:
  bool inside_ = false;
  QHash<QWindow*, double> painted_;
};

PaintWatch* watch = nullptr;

void spin(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

bool waitFor(const std::function<bool()>& done, int timeoutMs = 5000) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > timeoutMs) return false;
    spin(2);
  }
  return true;
}

QString itemService() {
  const QString prefix = QStringLiteral("org.kde.StatusNotifierItem-%1-").arg(QCoreApplication::applicationPid());
  for (const QString& name : QDBusConnection::sessionBus().interface()->registeredServiceNames().value())
    if (name.startsWith(prefix)) return name;
  return {};
}

void callItem(const QString& service, const char* method) {
  QDBusMessage call = QDBusMessage::createMethodCall(service, QStringLiteral("/StatusNotifierItem"),
                                                     QStringLiteral("org.kde.StatusNotifierItem"),
                                                     QString::fromLatin1(method));
  call << 10 << 10;
  QDBusConnection::sessionBus().asyncCall(call);
}

// Sends `method` and waits for the window `name` to finish a paint; the milliseconds, or -1.
double measureOpen(const QString& service, const char* method, const char* name) {
  const double start = nowMs();
  callItem(service, method);
  double painted = 0;
  bool ok = waitFor([&] {
    QWidget* w = topLevel(name);
    if (w == nullptr || !w->isVisible()) return false;
    painted = watch->lastPaint(w);
    return painted > start;
  });
  return ok ? painted - start : -1;
}

void print(const char* what, double value) {
  std::printf("%s %.1f\n", what, value);
  std::fflush(stdout);
}

void drive() {
  const int rounds = std::getenv("ROUNDS") ? std::atoi(std::getenv("ROUNDS")) : 20;
  const int memoryRounds = std::getenv("MEMORY_ROUNDS") ? std::atoi(std::getenv("MEMORY_ROUNDS")) : 50;
  const int settle = std::getenv("SETTLE_MS") ? std::atoi(std::getenv("SETTLE_MS")) : 15000;
  QString service;
  if (!waitFor([&] { return !(service = itemService()).isEmpty(); }, 10000)) {
    std::fprintf(stderr, "latency_driver: the tray item never appeared on the bus\n");
    QCoreApplication::exit(1);
    return;
  }
  spin(settle);
  print("rss-tray", static_cast<double>(rssKb()));

  for (int i = 0; i < rounds; ++i) {
    print("panel-released", measureOpen(service, "Activate", "menupanel"));
    if (QWidget* p = topLevel("menupanel")) p->hide();
    spin(100);
    print("panel-kept", measureOpen(service, "Activate", "menupanel"));
    if (QWidget* p = topLevel("menupanel")) p->hide();
    spin(700);
  }

  for (int i = 0; i < rounds; ++i) {
    print("window", measureOpen(service, "SecondaryActivate", "main"));
    spin(300);
    QWidget* main = topLevel("main");
    if (main == nullptr) break;
    auto* card = main->findChild<QAbstractButton*>(QStringLiteral("card-cpu"));
    if (card != nullptr && card->isVisible()) {
      const double start = nowMs();
      card->click();
      double painted = 0;
      bool ok = waitFor([&] { return (painted = watch->lastPaint(main)) > start; });
      print("page", ok ? painted - start : -1);
      spin(200);
      if (auto* back = main->findChild<QAbstractButton*>(QStringLiteral("kovra-back"))) back->click();
    }
    main->close();
    spin(700);
  }

  for (int i = 0; i < memoryRounds; ++i) {
    measureOpen(service, "SecondaryActivate", "main");
    QWidget* main = topLevel("main");
    if (main == nullptr) break;
    for (const char* name : {"card-memory", "card-network", "card-disk", "card-cpu"}) {
      auto* card = main->findChild<QAbstractButton*>(QLatin1String(name));
      if (card == nullptr) continue;
      const double start = nowMs();
      card->click();
      waitFor([&] { return watch->lastPaint(main) > start; });
      spin(100);
      if (auto* back = main->findChild<QAbstractButton*>(QStringLiteral("kovra-back"))) back->click();
      spin(50);
    }
    main->close();
    spin(700);
  }
  spin(2000);
  print("rss-after", static_cast<double>(rssKb()));
  QCoreApplication::exit(0);
}

void install() {
  watch = new PaintWatch;
  qApp->installEventFilter(watch);
  QTimer::singleShot(0, qApp, [] { drive(); });
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(install)

int main(int argc, char** argv) { return kovra::ui::runLiveProgram(argc, argv); }
