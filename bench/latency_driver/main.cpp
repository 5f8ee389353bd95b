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
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

#include "ui/pages/app_list_view.h"
#include "ui/shell/live_program.h"

namespace {

double nowMs() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

long rssKb(const char* field = "VmRSS:") {
  std::ifstream status("/proc/self/status");
  std::string key;
  long value = 0;
  while (status >> key) {
    if (key == field) {
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

// Notes the first finished paint of a window that shows what is expected of it. A window paints
// when its expose or update request is handled, and sometimes straight from a layout change; a
// paint of one of its widgets inside such a request counts once the request (and so the flush
// to the display) is done, one outside counts when the widget has painted.
class PaintWatch : public QObject {
 public:
  void expect(QWidget* window, std::function<bool()> shows) {
    target_ = window;
    shows_ = std::move(shows);
    hit_ = 0;
    pending_ = false;
  }
  double hit() const { return hit_; }

 protected:
  bool eventFilter(QObject* obj, QEvent* e) override {
    if (hit_ != 0 || target_ == nullptr || !shows_) return false;
    if (e->type() == QEvent::Paint && obj->isWidgetType() && !inPaint_) {
      if (static_cast<QWidget*>(obj)->window() != target_ || !shows_()) return false;
      inPaint_ = true;
      QCoreApplication::sendEvent(obj, e);  // through the object's own filters, as it would have gone
      inPaint_ = false;
      if (inRequest_)
        pending_ = true;
      else
        hit_ = nowMs();
      return true;
    }
    if (inRequest_ || !obj->isWindowType() || (e->type() != QEvent::UpdateRequest && e->type() != QEvent::Expose))
      return false;
    auto* window = static_cast<QWindow*>(obj);
    if (window != target_->windowHandle()) return false;
    inRequest_ = true;
    QCoreApplication::sendEvent(obj, e);  // paints and flushes
    inRequest_ = false;
    if (pending_ || (window->isExposed() && shows_())) hit_ = nowMs();
    return true;
  }

 private:
  bool inRequest_ = false;
  bool inPaint_ = false;
  bool pending_ = false;
  QPointer<QWidget> target_;
  std::function<bool()> shows_;
  double hit_ = 0;
};

bool showsChild(QWidget* window, const char* name) {
  auto* child = window->findChild<QWidget*>(QLatin1String(name));
  return child != nullptr && child->isVisible();
}

// The processor page is on screen with its app list filled.
bool showsFilledAppList(QWidget* window) {
  for (auto* list : window->findChildren<kovra::ui::AppListView*>())
    if (list->isVisible() && !list->rows().empty()) return true;
  return false;
}

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

// Sends `method` and waits for the window `name` to finish a paint showing its content (the
// child `content`); the milliseconds, or -1.
double measureOpen(const QString& service, const char* method, const char* name, const char* content) {
  QWidget* window = topLevel(name);
  if (window == nullptr) return -1;
  watch->expect(window, [window, content] { return window->isVisible() && showsChild(window, content); });
  const double start = nowMs();
  callItem(service, method);
  bool ok = waitFor([&] { return watch->hit() > 0; });
  if (!ok && std::getenv("LATENCY_DEBUG"))
    std::fprintf(stderr, "no paint: %s visible=%d content=%d exposed=%d\n", name, window->isVisible(),
                 showsChild(window, content), window->windowHandle() ? window->windowHandle()->isExposed() : -1);
  return ok ? watch->hit() - start : -1;
}

// Clicks the card `name` of the open main window and waits for the page painted, and painted with
// its app list filled; false when the card is not there.
bool measurePage(QWidget* main, const char* name, double* painted, double* filled) {
  auto* card = main->findChild<QAbstractButton*>(QLatin1String(name));
  if (card == nullptr || !card->isVisible()) return false;
  watch->expect(main, [main] { return showsChild(main, "arayuz-sayfa"); });
  const double start = nowMs();
  card->click();
  bool ok = waitFor([&] { return watch->hit() > 0; });
  *painted = ok ? watch->hit() - start : -1;
  if (filled != nullptr) {
    if (showsFilledAppList(main)) {
      *filled = *painted;
    } else {
      watch->expect(main, [main] { return showsFilledAppList(main); });
      ok = waitFor([&] { return watch->hit() > 0; });
      *filled = ok ? watch->hit() - start : -1;
    }
  }
  return true;
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
  print("rss-tray-anon", static_cast<double>(rssKb("RssAnon:")));
  print("rss-tray-file", static_cast<double>(rssKb("RssFile:")));
  print("rss-tray-shmem", static_cast<double>(rssKb("RssShmem:")));

  QWidget* panel = topLevel("menupanel");
  QWidget* main = topLevel("main");
  if (panel == nullptr || main == nullptr) {
    std::fprintf(stderr, "latency_driver: no panel or main window\n");
    QCoreApplication::exit(1);
    return;
  }
  auto back = [main] {
    if (auto* b = main->findChild<QAbstractButton*>(QStringLiteral("kovra-back")); b != nullptr && b->isVisible())
      b->click();
  };

  for (int i = 0; i < rounds; ++i) {
    print("panel-released", measureOpen(service, "Activate", "menupanel", "menu-panel-content"));
    panel->hide();
    spin(400);
    print("panel-kept", measureOpen(service, "Activate", "menupanel", "menu-panel-content"));
    panel->hide();
    spin(700);
  }

  for (int i = 0; i < rounds; ++i) {
    print("window", measureOpen(service, "SecondaryActivate", "main", "dashboard"));
    spin(300);
    double painted = -1, filled = -1;
    if (measurePage(main, "card-cpu", &painted, &filled)) {
      print("page", painted);
      print("page-filled", filled);
    } else {
      std::fprintf(stderr, "latency_driver: no processor card to click\n");
    }
    spin(200);
    back();
    main->close();
    spin(700);
  }

  for (int i = 0; i < memoryRounds; ++i) {
    measureOpen(service, "SecondaryActivate", "main", "dashboard");
    for (const char* name : {"card-memory", "card-network", "card-disk", "card-cpu"}) {
      double painted = 0;
      measurePage(main, name, &painted, nullptr);
      spin(100);
      back();
      spin(50);
    }
    main->close();
    spin(700);
  }
  spin(2000);
  print("rss-after", static_cast<double>(rssKb()));
  print("rss-after-anon", static_cast<double>(rssKb("RssAnon:")));
  print("rss-after-file", static_cast<double>(rssKb("RssFile:")));
  print("rss-after-shmem", static_cast<double>(rssKb("RssShmem:")));
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
