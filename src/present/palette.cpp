#include "present/palette.h"

#include <iterator>

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
    case ArayuzPalette::partLine1: return "partLine1";
    case ArayuzPalette::partLine2: return "partLine2";
    case ArayuzPalette::partLine3: return "partLine3";
    case ArayuzPalette::partLine4: return "partLine4";
    case ArayuzPalette::partLine5: return "partLine5";
    case ArayuzPalette::partLine6: return "partLine6";
  }
  return "ok";
}

ArayuzPalette partLineColour(size_t index) {
  static constexpr ArayuzPalette kLines[] = {ArayuzPalette::partLine1, ArayuzPalette::partLine2,
                                             ArayuzPalette::partLine3, ArayuzPalette::partLine4,
                                             ArayuzPalette::partLine5, ArayuzPalette::partLine6};
  return kLines[index % std::size(kLines)];
}

namespace ArayuzCardInfo {
std::string title(CardKind card) {
  switch (card) {
    case CardKind::memory: return localized("Bellek", "Kart başlığı");
    case CardKind::network: return localized("Ağ", "Kart başlığı");
    case CardKind::disk: return localized("Disk", "Kart başlığı");
    case CardKind::cpu: return localized("İşlemci", "Kart başlığı");
    case CardKind::sensors: return localized("Sıcaklık", "Kart başlığı");
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
