#include "store/sample_kind.h"

#include <string>

#include "store/kinds.h"

namespace kovra {

std::string_view rawValue(MantikSampleKind k) { return sampleKindRow(k).name; }

std::optional<MantikSampleKind> sampleKindFromRaw(std::string_view raw) {
  for (MantikSampleKind k : kAllSampleKinds) {
    if (rawValue(k) == raw) return k;
  }
  return std::nullopt;
}

double loopInterval(MantikSampleKind k) { return sampleKindRow(k).interval; }

double refreshThreshold(MantikSampleKind k) { return loopInterval(k) / 2; }

std::string sampleQueueLabel(MantikSampleKind k) { return "com.example.Kovra.sample." + std::string(rawValue(k)); }

std::string_view rawValue(Surface s) {
  switch (s) {
    case Surface::menuPanel: return "menuPanel";
    case Surface::mainWindow: return "mainWindow";
    case Surface::networkDetail: return "networkDetail";
  }
  return "menuPanel";
}

std::optional<Surface> surfaceFromRaw(std::string_view raw) {
  for (Surface s : kAllSurfaces) {
    if (rawValue(s) == raw) return s;
  }
  return std::nullopt;
}

}  // namespace kovra
