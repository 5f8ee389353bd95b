#include "store/sample_kind.h"

#include <string>

namespace kovra {

std::string_view rawValue(MantikSampleKind k) {
  switch (k) {
    case MantikSampleKind::memory: return "memory";
    case MantikSampleKind::cpu: return "cpu";
    case MantikSampleKind::network: return "network";
    case MantikSampleKind::processes: return "processes";
    case MantikSampleKind::disk: return "disk";
    case MantikSampleKind::battery: return "battery";
    case MantikSampleKind::processNetwork: return "processNetwork";
  }
  return "memory";
}

std::optional<MantikSampleKind> sampleKindFromRaw(std::string_view raw) {
  for (MantikSampleKind k : kAllSampleKinds) {
    if (rawValue(k) == raw) return k;
  }
  return std::nullopt;
}

double loopInterval(MantikSampleKind k) {
  switch (k) {
    case MantikSampleKind::memory: return 2;
    case MantikSampleKind::cpu: return 1;
    case MantikSampleKind::network: return 1;
    case MantikSampleKind::processes: return 3;
    case MantikSampleKind::disk: return 30;
    case MantikSampleKind::battery: return 10;
    case MantikSampleKind::processNetwork: return 2;
  }
  return 1;
}

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
