#include "present/dashboard_model.h"

#include "core/format.h"
#include "core/localize.h"
#include "logic/sensors_rules.h"
#include "store/kinds.h"
#include "store/store.h"

namespace kovra {

namespace {

Verdict placeholder(std::optional<CardKind> card) { return Verdict{card, Severity::neutral, std::string(Format::placeholder)}; }

std::string dash() { return std::string(Format::placeholder); }

}  // namespace

ArayuzDashboardModel::ArayuzDashboardModel(const Store& store)
    : memoryTemplate(Format::memoryText(1.37e11)),
      diskTemplate(Format::storageText(8.88e11)),
      percentTemplate(Format::percent(1.0)),
      temperatureTemplate("100 °C"),
      store_(store),
      headline_(placeholder(std::nullopt)),
      memoryUsedText_(dash()),
      downloadText_(dash()),
      uploadText_(dash()),
      rateTemplate_(dash()),
      diskFreeText_(dash()),
      cpuText_(dash()),
      sensorsText_(dash()),
      sensorsPart_(dash()) {
  for (const SampleKindRow& row : sampleKindTable()) {
    if (!row.card) continue;
    verdicts_.emplace(*row.card, placeholder(*row.card));
    present_.emplace(*row.card, row.present == nullptr);
  }
  refresh();
}

const Observable<Verdict>& ArayuzDashboardModel::verdict(CardKind card) const { return verdicts_.at(card); }

const Observable<bool>& ArayuzDashboardModel::present(CardKind card) const { return present_.at(card); }

const Observable<std::vector<ArayuzSparkSegment>>& ArayuzDashboardModel::spark(ArayuzSparkKind kind) const {
  switch (kind) {
    case ArayuzSparkKind::sensors: return sensorsSpark_;
    case ArayuzSparkKind::memory: return memorySpark_;
    case ArayuzSparkKind::cpu: return cpuSpark_;
    case ArayuzSparkKind::network: return networkSpark_;
  }
  return memorySpark_;
}

void ArayuzDashboardModel::setVisible(Surface surface, bool visible) {
  if (visible) {
    bool wasEmpty = visibleSurfaces_.empty();
    visibleSurfaces_.insert(surface);
    if (wasEmpty) refresh();
  } else {
    visibleSurfaces_.erase(surface);
  }
}

void ArayuzDashboardModel::refresh() {
  const Date now = store_.clock().now();
  const RateUnit unit = store_.settings().rateUnit();

  headline_.set(store_.headline());
  for (auto& [card, verdict] : verdicts_) verdict.set(store_.verdict(card));
  for (auto& [card, shown] : present_) shown.set(store_.isPresent(card));

  const auto& mem = store_.memory();
  memory_.set(mem);
  memoryUsedText_.set(mem ? Format::memoryText(static_cast<double>(mem->usedBytes())) : dash());
  memoryTotalLine_.set(localized("kullanılıyor / ", "Bellek kartında toplamdan önce") +
                       (mem ? Format::memoryText(static_cast<double>(mem->totalBytes)) : dash()));

  const auto& rates = store_.displayRates();
  downloadText_.set(rates ? Format::rate(rates->downloadBytesPerSecond, unit) : dash());
  uploadText_.set(rates ? Format::rate(rates->uploadBytesPerSecond, unit) : dash());
  rateTemplate_.set(Format::rate(8.888e8, unit));

  const auto& net = store_.network();
  connection_.set(net ? ArayuzConnectionInfo{net->connection, net->localIP, net->totalDownloadedBytes,
                                             net->totalUploadedBytes}
                      : ArayuzConnectionInfo{});

  const auto& disk = store_.disk();
  diskFreeText_.set(disk ? Format::storageText(static_cast<double>(disk->availableBytes)) : dash());
  diskTotalLine_.set(localized("boş / ", "Disk kartında toplamdan önce") +
                     (disk ? Format::storageText(static_cast<double>(disk->totalBytes)) : dash()));
  if (!disk) {
    diskUsedFraction_.set(std::nullopt);
  } else if (disk->totalBytes == 0) {
    diskUsedFraction_.set(0.0);
  } else {
    diskUsedFraction_.set(1.0 - static_cast<double>(disk->availableBytes) / static_cast<double>(disk->totalBytes));
  }

  const auto& cpu = store_.cpu();
  cpuText_.set(cpu ? Format::percent(cpu->usage) : dash());

  std::vector<ArayuzTopApp> top;
  if (const auto& processes = store_.processes()) {
    for (const auto& app : processes->topByCPU(3)) {
      top.push_back({app.id, app.name, app.kind, app.bundlePath, Format::percent(app.cpuFraction)});
    }
  }
  topCPUApps_.set(std::move(top));

  refreshSensors();
  refreshSparks(now);
  battery_.set(store_.battery());
}

void ArayuzDashboardModel::refreshSensors() {
  const auto& sensors = store_.sensors();
  const SensorPartReading* focus = sensors ? MantikSensorsVerdict::focus(*sensors, store_.sensorLevels()) : nullptr;
  sensorsFocus_ = focus ? MantikSensorTexts::partKey(*focus) : std::string();
  sensorsText_.set(focus ? MantikSensorTexts::celsius(focus->celsius) : dash());
  sensorsPart_.set(focus ? MantikSensorTexts::partName(*sensors, *focus) : std::string());
  const FanReading* fastest = nullptr;
  if (sensors) {
    for (const auto& fan : sensors->fans) {
      if (fan.rpm && (fastest == nullptr || *fan.rpm > *fastest->rpm)) fastest = &fan;
    }
  }
  sensorsFan_.set(fastest ? localized("Fan ", "Sıcaklık kartı") + MantikSensorTexts::fanSpeed(fastest->rpm)
                          : std::string());
}

void ArayuzDashboardModel::refreshSparks(Date now) {
  using ArayuzChartData::prepare;
  auto single = [&](SeriesKind series, ArayuzPalette colour) {
    auto points = prepare(store_.history(series, kSparkSpan), rawValue(series), colour, kSparkPoints, 0);
    return ArayuzSparkSegment::make(points, 1.0, kSparkSpan, now);
  };
  memorySpark_.set(single(SeriesKind::memoryUsed, ArayuzPalette::memoryLine));
  cpuSpark_.set(single(SeriesKind::cpuUsage, ArayuzPalette::cpu));

  auto points = prepare(store_.history(SeriesKind::networkDownload, kSparkSpan), rawValue(SeriesKind::networkDownload),
                        ArayuzPalette::download, kSparkPoints, 0);
  auto up = prepare(store_.history(SeriesKind::networkUpload, kSparkSpan), rawValue(SeriesKind::networkUpload),
                    ArayuzPalette::upload, kSparkPoints, static_cast<int64_t>(points.size()));
  points.insert(points.end(), std::make_move_iterator(up.begin()), std::make_move_iterator(up.end()));
  double top = ArayuzChartData::yMax(points, std::nullopt, kNetworkMinimumTop);
  networkSpark_.set(ArayuzSparkSegment::make(points, top, kSparkSpan, now));

  // The card's part, against its own limit.
  std::vector<ArayuzSparkSegment> heat;
  if (!sensorsFocus_.empty()) {
    double limit = 100;
    for (const auto& p : store_.sensors()->parts) {
      if (MantikSensorTexts::partKey(p) == sensorsFocus_ && p.limitCelsius > 0) limit = p.limitCelsius;
    }
    auto line = prepare(store_.sensorHistory(sensorsFocus_, kSparkSpan), sensorsFocus_, ArayuzPalette::partLine1,
                        kSparkPoints, 0);
    heat = ArayuzSparkSegment::make(line, limit, kSparkSpan, now);
  }
  sensorsSpark_.set(std::move(heat));
}

}  // namespace kovra
