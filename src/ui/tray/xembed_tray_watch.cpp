#include "ui/tray/xembed_tray_watch.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <string>

namespace kovra::ui {

namespace {

uint32_t internAtom(xcb_connection_t* c, const std::string& name) {
  auto cookie = xcb_intern_atom(c, 0, static_cast<uint16_t>(name.size()), name.c_str());
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, cookie, nullptr);
  if (reply == nullptr) return 0;
  const uint32_t atom = reply->atom;
  std::free(reply);
  return atom;
}

}  // namespace

XEmbedTrayWatch::XEmbedTrayWatch(QObject* parent) : QObject(parent) {
  auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (x11 == nullptr || x11->connection() == nullptr) return;
  xcb_connection_t* c = x11->connection();
  const xcb_setup_t* setup = xcb_get_setup(c);
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
  if (it.rem == 0) return;
  const xcb_window_t root = it.data->root;
  manager_ = internAtom(c, "MANAGER");
  selection_ = internAtom(c, "_NET_SYSTEM_TRAY_S0");
  if (manager_ == 0 || selection_ == 0) {
    selection_ = 0;
    return;
  }
  // The announcement goes to the root window with StructureNotify; add that to whatever the
  // toolkit already selects there.
  auto attrs = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, root), nullptr);
  uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
  if (attrs != nullptr) {
    mask |= attrs->your_event_mask;
    std::free(attrs);
  }
  xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(c);
  QCoreApplication::instance()->installNativeEventFilter(this);
}

XEmbedTrayWatch::~XEmbedTrayWatch() {
  if (selection_ != 0 && QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool XEmbedTrayWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t" || message == nullptr) return false;
  auto* event = static_cast<xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE) return false;
  auto* client = reinterpret_cast<xcb_client_message_event_t*>(event);
  if (client->format == 32 && client->type == manager_ && client->data.data32[1] == selection_) {
    // Handled after the toolkit has seen the same event and learnt of the new tray itself.
    QMetaObject::invokeMethod(this, &XEmbedTrayWatch::trayAppeared, Qt::QueuedConnection);
  }
  return false;
}

}  // namespace kovra::ui
