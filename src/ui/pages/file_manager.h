#pragma once
// Showing an item in the desktop's file manager: org.freedesktop.FileManager1.ShowItems on the
// session bus, and the containing folder through the desktop's URL handler when that fails.

#include <QByteArray>
#include <QDBusConnection>
#include <QString>

#include <functional>

namespace kovra::ui {

enum class RevealOutcome { shownByFileManager, openedFolder, failed };

// Paths are the file system's bytes, absolute and as they are: a name need not be UTF-8, and
// only the bytes name the file.

// The item's file:// URI as the file manager expects it, every byte that needs it escaped.
QString fileUri(const QByteArray& path);

// Asks the file manager on `bus` to show and select `path`; falls back to opening the folder
// that holds it. `done` (optional) hears how it went, on the GUI thread.
void revealInFileManager(const QByteArray& path, const QDBusConnection& bus,
                         std::function<void(RevealOutcome)> done = {});
// The same on the session bus.
void revealInFileManager(const QByteArray& path, std::function<void(RevealOutcome)> done = {});

}  // namespace kovra::ui
