#include "ui/shell/live_program.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QIcon>

#include <xcb/xcb.h>

#include <csignal>
#include <cstdio>
#include <memory>
#include <vector>
#include <unistd.h>

#include "app/kovra_app.h"
#include "core/log.h"
#include "core/runtime.h"
#include "ui/common/look.h"
#include "ui/common/qt_executor.h"
#include "ui/shell/color_scheme_watch.h"
#include "ui/shell/display_check.h"
#include "ui/shell/shell.h"
#include "ui/shell/single_instance.h"
#include "ui/shell/stop_signals.h"
#include "ui/tray/dbus_notifier.h"
#include "ui/tray/session_bus.h"
#include "ui/tray/tray_presence.h"
#include "ui/tray/qt_text_measurer.h"

namespace kovra::ui {

namespace {

QtMessageHandler previousHandler = nullptr;
struct HeldMessage {
  QtMsgType type;
  QString category;
  QString text;
};
std::vector<HeldMessage>* heldMessages = nullptr;

// While Qt connects to the display: a platform that cannot start ends the program with one
// clear line and status 1 instead of Qt's abort and core dump. Other messages are held and
// passed on once the connection stands.
void startupMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtFatalMsg) {
    // The platform's own complaint ("could not connect to display :1") says more than Qt's
    // closing message.
    QString reason = message;
    if (heldMessages) {
      for (const auto& held : *heldMessages) {
        if (held.category.startsWith("qt.qpa.") && held.category != "qt.qpa.plugin") {
          reason = held.text;
          break;
        }
      }
    }
    std::fprintf(stderr, kDisplayUnreachableMessage, reason.simplified().toLocal8Bit().constData());
    ::_exit(1);
  }
  if (heldMessages) heldMessages->push_back({type, QString::fromUtf8(context.category), message});
}

void releaseHeldMessages() {
  qInstallMessageHandler(previousHandler);
  for (const auto& m : *heldMessages) {
    const QByteArray category = m.category.toUtf8();
    QMessageLogContext context(nullptr, 0, nullptr, category.constData());
    if (previousHandler) {
      previousHandler(m.type, context, m.text);
    } else {
      std::fprintf(stderr, "%s\n", m.text.toLocal8Bit().constData());
    }
  }
  delete heldMessages;
  heldMessages = nullptr;
}

constexpr const char* kUnreachableTitle = "Kovra başlatılamadı";
constexpr const char* kUnreachableBody =
    "Çalışan bir Kovra var ama yanıt vermiyor (com.example.Kovra). Onu kapatıp yeniden deneyin.";

// Started from a menu there is no terminal: the notice is what the user sees. Its answer is
// waited for briefly, as the program ends right after.
void tellUnreachable(const QDBusConnection& bus) {
  std::fprintf(stderr, "%s: %s\n", kUnreachableTitle, kUnreachableBody);
  QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(DBusNotifier::service),
                                                     QString::fromLatin1(DBusNotifier::path),
                                                     QString::fromLatin1(DBusNotifier::service), QStringLiteral("Notify"));
  call << QString::fromLatin1(DBusNotifier::appName) << 0u << QStringLiteral("dialog-error")
       << QString::fromUtf8(kUnreachableTitle) << QString::fromUtf8(kUnreachableBody) << QStringList()
       << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("kovra")}} << -1;
  auto reply = bus.call(call, QDBus::Block, 2000);
  if (reply.type() == QDBusMessage::ErrorMessage) {
    Log::ui.info("Başlatılamama bildirimi gösterilemedi: " + reply.errorMessage().toStdString());
  }
}

// A Wayland client cannot place its own windows, so the menu panel could not open at the tray
// icon. When the session also offers X11 (XWayland) and the user has not chosen a platform, run
// on X11.
void preferXWayland() {
  const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
  const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
  if (!wayland || !x11 || qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return;
  // Only when X11 answers (it may need authorisation the session did not pass on).
  xcb_connection_t* probe = xcb_connect(nullptr, nullptr);
  const bool reachable = xcb_connection_has_error(probe) == 0;
  xcb_disconnect(probe);
  if (!reachable) return;
  qputenv("QT_QPA_PLATFORM", "xcb");
  Log::ui.info("Wayland oturumu: menü paneli simgenin yanında açılabilsin diye XWayland kullanılıyor.");
}

}  // namespace

int runLiveProgram(int argc, char** argv) {
  if (!hasDisplayEnvironment()) {
    std::fputs(kNoDisplayMessage, stderr);
    return 1;
  }
  StopSignals::install();
  preferXWayland();

  heldMessages = new std::vector<HeldMessage>;
  previousHandler = qInstallMessageHandler(startupMessageHandler);
  QApplication application(argc, argv);
  releaseHeldMessages();
  QApplication::setApplicationName(QStringLiteral("Kovra"));
  QApplication::setDesktopFileName(QStringLiteral("com.example.Kovra"));
  // Title bars and task bars show the program's own icon, the installed one when the theme has it.
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("com.example.Kovra"),
                                               QIcon(QStringLiteral(":/kovra/app-icon.svg"))));
  QApplication::setQuitOnLastWindowClosed(false);
  StopSignals stopSignals;
  QObject::connect(&stopSignals, &StopSignals::stopRequested, &application, [](int signalNumber) {
    Log::ui.info(signalNumber == SIGINT ? "SIGINT alındı, kapanıyor." : "SIGTERM alındı, kapanıyor.");
    QCoreApplication::quit();
  });

  SingleInstance instance(QDBusConnection::sessionBus(), SingleInstance::standardLockPath());
  switch (instance.claim()) {
    case SingleInstance::Claim::first:
      break;
    case SingleInstance::Claim::alreadyRunning:
      return 0;
    case SingleInstance::Claim::unreachable:
      tellUnreachable(QDBusConnection::sessionBus());
      return 1;
  }

  QtExecutor executor;
  QtTextMeasurer measurer;
  std::shared_ptr<SettingsContract> settings;
  auto kovra = std::make_unique<KovraApp>([&] {
    auto samplers = SamplerSet::live();
    settings = KovraApp::standardSettings();
    std::shared_ptr<MantikNotifying> notifier = std::make_shared<DBusNotifier>();
    return KovraAppParts{executor, measurer, std::move(samplers), settings, std::move(notifier),
                         MantikClock::system(), nullptr};
  });

  // Only now, with the store sampling (the label's rates need two readings a second apart): the
  // desktop's style where it offers one, the program's own look otherwise; the colour scheme
  // follows the desktop's preference, also when it changes while running.
  applyDesktopLook(application, ColorScheme::light);
  ColorSchemeWatch colorScheme(QDBusConnection::sessionBus());
  QObject::connect(&colorScheme, &ColorSchemeWatch::changed, &application,
                   [&application](ColorScheme scheme) { applyColorScheme(application, scheme); });

  ShellContext context{kovra->store(),
                       *settings,
                       *kovra->dashboard(),
                       *kovra->detail(),
                       kovra->navigation(),
                       kovra->label(),
                       executor,
                       !Runtime::isRunningTests(),
                       ArayuzVisibilityOverride::isForceVisible(),
                       ArayuzOpenOverride::target(),
                       &measurer};
  auto shell = std::make_unique<Shell>(context);
  QObject::connect(&instance, &SingleInstance::activateRequested, shell.get(), &Shell::openMainWindow);
  shell->start();

  // The bus daemon may drop the connection; everything on the bus moves to a new one.
  SessionBus sessionBus(executor);
  QObject::connect(&sessionBus, &SessionBus::reconnected, shell.get(), [&](const QDBusConnection& bus) {
    instance.rebind(bus);
    if (shell->tray()) shell->tray()->rebind(bus);
  });

  application.exec();

  // The tray item leaves the bus and the windows close before the store stops its loops and
  // reaps the traffic tool.
  shell->shutdown();
  shell.reset();
  kovra.reset();
  StopSignals::uninstall();
  return 0;
}

}  // namespace kovra::ui
