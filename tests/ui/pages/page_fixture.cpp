#include "page_fixture.h"

namespace kovra::ui::testing {

AppUsage makeApp(const std::string& id, const std::string& name, uint64_t bytes, std::optional<double> cpu,
                 bool canTerminate, int processCount) {
  AppUsage app;
  app.id = id;
  app.name = name;
  app.kind = canTerminate ? AppGroupKind::app : AppGroupKind::system;
  if (canTerminate) app.bundlePath = "/usr/share/applications/" + id + ".desktop";
  app.footprintBytes = bytes;
  app.cpuFraction = cpu;
  app.canTerminate = canTerminate;
  for (int i = 0; i < processCount; ++i) {
    ProcessEntry p;
    p.pid = 1000 + i;
    p.name = name + "-" + std::to_string(i);
    p.footprintBytes = bytes / static_cast<uint64_t>(processCount);
    if (cpu) p.cpuFraction = *cpu / processCount;
    app.processes.push_back(p);
  }
  return app;
}

PageFixture::PageFixture() {
  settings = std::make_shared<AppSettings>(std::make_shared<InMemoryDefaults>(), std::make_shared<FakeLoginItem>());
  SamplerSet set;
  set.memory = memorySampler;
  set.cpu = cpuSampler;
  set.network = networkSampler;
  set.processes = processSampler;
  set.terminator = terminator;
  set.disk = diskSampler;
  set.scanner = scanner;
  set.battery = batterySampler;
  set.sensors = sensorsSampler;
  set.processNetwork = processNetworkSampler;
  MantikClock clock{[this] { return wallStart + std::chrono::milliseconds(std::llround(executor.now() * 1000)); },
                    [this] { return executor.now(); }};
  // Nothing is read until a test sets a value.
  memorySampler->box.set(notReady());
  cpuSampler->box.set(notReady());
  networkSampler->box.set(notReady());
  processSampler->box.set(notReady());
  diskSampler->box.set(notReady());
  batterySampler->box.set(notReady());
  processNetworkSampler->box.set(notReady());
  store = std::make_unique<Store>(set, settings, std::make_shared<MantikRecordingNotifier>(), clock, 1.0,
                                  StoreEnvironment{executor, queues, std::string("/home/user")});
  detail = std::make_unique<ArayuzDetailModel>(*store);
  dashboard = std::make_unique<ArayuzDashboardModel>(*store);
}

PageFixture::~PageFixture() {
  scanner->release();
  executor.runPending();
}

}  // namespace kovra::ui::testing
