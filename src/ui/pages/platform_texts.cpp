#include "ui/pages/platform_texts.h"

#include "core/format.h"
#include "core/localize.h"

namespace kovra::ui {

const PlatformTexts& platformTexts(TextPlatform platform) {
  static const PlatformTexts mac{
      localized("Durum rengi boş belleğe göre değil, macOS'un bildirdiği bellek baskısına göre belirlenir. Önbellek "
                "hız için tutulur ve gerekince anında boşalır. macOS önbellekte hangi dosyaların tutulduğunu "
                "bildirmez; bu yüzden sadece toplam miktar gösterilir."),
      localized(". macOS bu süreçlerin bilgisini vermiyor."),
      localized("Boş alan Finder'daki rakamla aynıdır: macOS'un gerektiğinde boşaltabileceği alan da dahildir."),
      localized("Finder'da göster"),
      localized("Bu sürüm hiçbir şey silmez; dosyaya ulaşmak için “Finder'da göster”i kullan."),
      true,
      localized("Menü çubuğu"),
      localized("İkisi de kapalıysa menü çubuğunda sadece simge görünür."),
  };
  static const PlatformTexts gnu{
      localized("Durum rengi boş belleğe göre değil, Linux'un bildirdiği bellek baskısına göre belirlenir. Önbellek "
                "hız için tutulur ve gerekince anında boşalır. Linux önbellekte hangi dosyaların tutulduğunu "
                "bildirmez; bu yüzden sadece toplam miktar gösterilir."),
      localized(". Linux bu süreçlerin bilgisini vermiyor."),
      localized("Boş alan df komutunun gösterdiği rakamla aynıdır: yöneticiye ayrılmış alan dahil değildir."),
      localized("Dosya yöneticisinde göster"),
      localized("Bu sürüm hiçbir şey silmez; dosyaya ulaşmak için “Dosya yöneticisinde göster”i kullan."),
      false,
      localized("Panel"),
      localized("İkisi de kapalıysa panelde sadece simge görünür."),
  };
  return platform == TextPlatform::macOS ? mac : gnu;
}

TextPlatform currentTextPlatform() {
#if defined(__APPLE__)
  return TextPlatform::macOS;
#else
  return TextPlatform::linuxDesktop;
#endif
}

std::string unreadableFooter(int64_t count, TextPlatform platform) {
  return localized("Okunamayan sistem süreçleri: ") + Format::grouped(count) + platformTexts(platform).unreadableFooterTail;
}

}  // namespace kovra::ui
