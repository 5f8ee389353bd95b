#include "present/palette.h"

#include "core/localize.h"

namespace kovra {

std::string_view paletteName(ArayuzPalette colour) {
  switch (colour) {
    case ArayuzPalette::ok: return "ok";
    case ArayuzPalette::warning: return "warning";
    case ArayuzPalette::critical: return "critical";
    case ArayuzPalette::memoryApps: return "memoryApps";
    case ArayuzPalette::memorySystem: return "memorySystem";
    case ArayuzPalette::memoryCache: return "memoryCache";
    case ArayuzPalette::memoryFree: return "memoryFree";
    case ArayuzPalette::memoryLine: return "memoryLine";
    case ArayuzPalette::download: return "download";
    case ArayuzPalette::upload: return "upload";
    case ArayuzPalette::cpu: return "cpu";
    case ArayuzPalette::track: return "track";
    case ArayuzPalette::cardBackground: return "cardBackground";
    case ArayuzPalette::cardBorder: return "cardBorder";
  }
  return "ok";
}

namespace ArayuzCardInfo {
std::string title(CardKind card) {
  switch (card) {
    case CardKind::memory: return localized("Bellek", "Kart başlığı");
    case CardKind::network: return localized("Ağ", "Kart başlığı");
    case CardKind::disk: return localized("Disk", "Kart başlığı");
    case CardKind::cpu: return localized("İşlemci", "Kart başlığı");
  }
  return {};
}
}  // namespace ArayuzCardInfo

std::optional<ArayuzSeverityStyle> ArayuzSeverityStyle::of(Severity severity) {
  switch (severity) {
    case Severity::neutral: return std::nullopt;
    case Severity::ok:
      return ArayuzSeverityStyle{localized("İyi", "Durum rozeti"), "checkmark.circle.fill", ArayuzPalette::ok};
    case Severity::warning:
      return ArayuzSeverityStyle{localized("Dikkat", "Durum rozeti"), "exclamationmark.triangle.fill",
                                 ArayuzPalette::warning};
    case Severity::critical:
      return ArayuzSeverityStyle{localized("Kritik", "Durum rozeti"), "exclamationmark.octagon.fill",
                                 ArayuzPalette::critical};
  }
  return std::nullopt;
}

namespace ArayuzNetworkText {
std::string connection(ConnectionKind kind) {
  switch (kind) {
    case ConnectionKind::wifi: return localized("Wi-Fi", "Bağlantı türü");
    case ConnectionKind::ethernet: return localized("Ethernet", "Bağlantı türü");
    case ConnectionKind::other: return localized("Diğer bağlantı", "Bağlantı türü");
    case ConnectionKind::none: return localized("Bağlantı yok", "Bağlantı türü");
  }
  return {};
}
}  // namespace ArayuzNetworkText

}  // namespace kovra
