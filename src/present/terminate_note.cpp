#include "present/terminate_note.h"

#include "core/localize.h"

namespace kovra {

namespace {

// The texts are looked up with "%@" standing for the app's name.
std::string interpolate(std::string_view key, std::string_view appName) {
  std::string text = localized(key, "Uygulama kapatma sonucu");
  if (size_t at = text.find("%@"); at != std::string::npos) text.replace(at, 2, appName);
  return text;
}

}  // namespace

ArayuzTerminateNote::ArayuzTerminateNote(TerminateOutcome outcome, std::string_view appName, bool force) {
  switch (outcome) {
    case TerminateOutcome::requested:
      isFailure = false;
      text = force ? interpolate("“%@” zorla kapatılıyor.", appName)
                   : interpolate("“%@” uygulamasına kapanma isteği gönderildi. Kaydedilmemiş iş varsa sana sorabilir.",
                                 appName);
      break;
    case TerminateOutcome::notRunning:
      isFailure = false;
      text = interpolate("“%@” zaten kapalı.", appName);
      break;
    case TerminateOutcome::notAllowed:
      isFailure = true;
      text = interpolate("“%@” buradan kapatılamaz.", appName);
      break;
    case TerminateOutcome::failed:
      isFailure = true;
      text = interpolate("“%@” kapatılamadı. Uygulamanın kendi menüsünden kapatmayı dene.", appName);
      break;
  }
}

}  // namespace kovra
