#include "logic/notification_text.h"

#include "core/format.h"
#include "core/localize.h"

namespace kovra {

MantikNotice MantikNotificationText::memory(const std::optional<AppUsage>& topApp) {
  std::string body = topApp ? topApp->name + " " + Format::memoryText(static_cast<double>(topApp->footprintBytes)) +
                                  " yer kaplıyor. Kapatırsan bilgisayarın rahatlar."
                            : std::string("Bilgisayarın yavaşlayabilir. Kullanmadığın uygulamaları kapatmayı dene.");
  return MantikNotice{memoryIdentifier, localized("Bellek dolu", "notification title"),
                      localized(body, "notification body")};
}

MantikNotice MantikNotificationText::disk(const std::optional<DiskSnapshot>& disk) {
  const std::string free =
      disk ? Format::storageText(static_cast<double>(disk->availableBytes)) : std::string(Format::placeholder);
  return MantikNotice{diskIdentifier, localized("Disk neredeyse dolu", "notification title"),
                      localized("Sadece " + free + " boş yer kaldı. Yer açmak için büyük dosyalarını gözden geçir.",
                                "notification body")};
}

}  // namespace kovra
