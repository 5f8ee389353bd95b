#include "present/tray_label_text.h"

#include <vector>

namespace kovra {

namespace {

struct Slot {
  size_t length = 0;   // code points of the widest sample
  std::string widest;  // that sample, with its prefix
};

Slot widestSample(std::string_view prefix, const std::vector<std::string>& samples) {
  Slot slot;
  for (const auto& sample : samples) {
    std::string text = std::string(prefix) + sample;
    size_t n = codePointCount(text);
    if (n > slot.length) slot = {n, std::move(text)};
  }
  return slot;
}

std::string padded(std::string text, size_t length) {
  std::string out;
  for (size_t n = codePointCount(text); n < length; ++n) out += kFigureSpace;
  return out + text;
}

void append(std::string& to, const std::string& part) {
  if (!to.empty()) to += kTrayLabelSeparator;
  to += part;
}

}  // namespace

size_t codePointCount(std::string_view text) {
  size_t n = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++n;  // every byte but a continuation byte starts a code point
  }
  return n;
}

ArayuzTrayLabel makeTrayLabel(const std::optional<ArayuzMenuBarContent>& content) {
  ArayuzTrayLabel out;
  if (!content) return out;
  if (content->down && content->up) {
    auto rates = ArayuzMenuBarRenderer::rateSampleTexts(content->unit);
    for (auto [prefix, text] : {std::pair{kDownPrefix, &*content->down}, std::pair{kUpPrefix, &*content->up}}) {
      Slot slot = widestSample(prefix, rates);
      append(out.label, padded(std::string(prefix) + *text, slot.length));
      append(out.guide, slot.widest);
    }
  }
  if (content->ram) {
    Slot slot = widestSample(kRamPrefix, ArayuzMenuBarRenderer::percentSampleTexts());
    append(out.label, padded(std::string(kRamPrefix) + *content->ram, slot.length));
    append(out.guide, slot.widest);
  }
  if (content->temperature) {
    Slot slot = widestSample("", ArayuzMenuBarRenderer::temperatureSampleTexts());
    append(out.label, padded(*content->temperature, slot.length));
    append(out.guide, slot.widest);
  }
  return out;
}

}  // namespace kovra
