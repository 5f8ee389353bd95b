#include "ui/pages/detail_pages.h"

#include <QHBoxLayout>
#include <QLabel>

#include <algorithm>
#include <cmath>

#include "core/format.h"
#include "core/localize.h"
#include "present/detail_model.h"
#include "store/store.h"
#include "ui/pages/app_list_view.h"
#include "ui/pages/app_network_list_view.h"
#include "ui/pages/card_table.h"
#include "ui/pages/detail_page_views.h"
#include "ui/pages/history_chart_view.h"
#include "ui/pages/memory_bar_bridge.h"
#include "ui/pages/page_style.h"
#include "ui/pages/platform_texts.h"

namespace kovra::ui {

namespace {

const QString kDash = QString::fromUtf8("—");

QString percentText(double fraction) { return qs(Format::percent(fraction)); }
QString memory(uint64_t bytes) { return qs(Format::memoryText(static_cast<double>(bytes))); }

DetailSectionView* section(const char* title, QWidget* content) {
  auto* s = new DetailSectionView(qs(localized(title)));
  s->addContent(content);
  return s;
}

QString pressureText(const std::optional<MemoryPressure>& p) {
  if (!p) return kDash;
  switch (*p) {
    case MemoryPressure::normal: return qs(localized("Normal"));
    case MemoryPressure::warning: return qs(localized("Uyarı"));
    case MemoryPressure::critical: return qs(localized("Kritik"));
  }
  return kDash;
}

QString rateTemplate(RateUnit unit) { return unit == RateUnit::bits ? "888,8 Mbps" : "888,8 MB/s"; }

}  // namespace

// ---- processor ---------------------------------------------------------------------------------

CpuDetailView::CpuDetailView(const PageContext& context, QWidget* parent)
    : DetailScaffoldView(qs(ArayuzCardInfo::title(CardKind::cpu)), parent), detail_(context.detail) {
  big_ = new BigValueView(kDash, qs(localized("kullanımda")), PageMetrics::kBigFigure, "%100");
  header_ = new DetailHeaderView(CardKind::cpu, big_);
  addContent(header_);
  history_ = new HistorySectionView(detail_, {{SeriesKind::cpuUsage, qs(localized("Toplam")), ArayuzPalette::cpu}},
                                    [](double v) { return percentText(v); });
  addContent(history_);
  apps_ = new AppListView(ArayuzAppMetric::cpu, context.store, detail_.processes());
  addContent(section("Uygulamalar", apps_));
  auto* details = new DetailSectionView(qs(localized("Detay")));
  const char* labels[] = {"Kullanıcı (user)", "Sistem (system)", "Boşta (idle)", "Çekirdek sayısı"};
  for (int i = 0; i < 4; ++i) {
    rows_[i] = new KeyValueRowView(qs(localized(labels[i])), kDash, details);
    details->addContent(rows_[i]);
  }
  addContent(details);
  addContent(makeNote(qs(localized("Uygulama payları tüm çekirdeklerin toplam kapasitesine göredir. Pencere ve menü "
                                   "paneli kapalıyken işlemci ölçülmez; grafikteki boşluklar bu yüzdendir.")),
                      TextRole::secondaryCallout));
  tokens_.push_back(detail_.cpu().subscribe([this](const auto&) { reload(); }));
  tokens_.push_back(detail_.verdict(CardKind::cpu).subscribe([this](const auto&) { reload(); }));
  detail_.activate(CardKind::cpu);
  reload();
}

CpuDetailView::~CpuDetailView() { detail_.deactivate(CardKind::cpu); }

void CpuDetailView::reload() {
  header_->setVerdict(detail_.verdict(CardKind::cpu).value());
  const auto& cpu = detail_.cpu().value();
  big_->setPrimary(cpu ? percentText(cpu->usage) : kDash);
  rows_[0]->setValue(cpu ? percentText(cpu->userFraction) : kDash);
  rows_[1]->setValue(cpu ? percentText(cpu->systemFraction) : kDash);
  rows_[2]->setValue(cpu ? percentText(std::max(0.0, 1.0 - cpu->usage)) : kDash);
  rows_[3]->setValue(cpu ? qs(Format::grouped(cpu->coreCount)) : kDash);
}

// ---- memory --------------------------------------------------------------------------------------

MemoryDetailView::MemoryDetailView(const PageContext& context, QWidget* parent)
    : DetailScaffoldView(qs(ArayuzCardInfo::title(CardKind::memory)), parent), detail_(context.detail) {
  big_ = new BigValueView(kDash, {}, PageMetrics::kBigFigure, "888,8 GB");
  header_ = new DetailHeaderView(CardKind::memory, big_);
  addContent(header_);
  addContent(section("Dağılım", makeMemoryBar(detail_.memory(), nullptr)));
  apps_ = new AppListView(ArayuzAppMetric::memory, context.store, detail_.processes());
  addContent(section("Uygulamalar", apps_));
  history_ = new HistorySectionView(detail_,
                                    {{SeriesKind::memoryUsed, qs(localized("Kullanılan")), ArayuzPalette::memoryLine}},
                                    [](double v) { return percentText(v); });
  addContent(history_);
  auto* details = new DetailSectionView(qs(localized("Detay")));
  const char* labels[] = {"Toplam",
                          "Uygulama belleği (app memory)",
                          "Sabit bellek (wired)",
                          "Sıkıştırılmış (compressed)",
                          "Önbellekteki dosyalar (cached files)",
                          "Kullanılan (app + wired + compressed)",
                          "Bellek baskısı (memory pressure)",
                          "Takas kullanımı (swap)"};
  for (int i = 0; i < 8; ++i) {
    if (i == 6) details->addContent(makeDivider(details));
    rows_[i] = new KeyValueRowView(qs(localized(labels[i])), kDash, details);
    details->addContent(rows_[i]);
  }
  addContent(details);
  note_ = makeNote(qs(platformTexts().memoryNote), TextRole::secondaryCallout);
  addContent(note_);
  tokens_.push_back(detail_.memory().subscribe([this](const auto&) { reload(); }));
  tokens_.push_back(detail_.verdict(CardKind::memory).subscribe([this](const auto&) { reload(); }));
  detail_.activate(CardKind::memory);
  reload();
}

MemoryDetailView::~MemoryDetailView() { detail_.deactivate(CardKind::memory); }

void MemoryDetailView::reload() {
  header_->setVerdict(detail_.verdict(CardKind::memory).value());
  const auto& m = detail_.memory().value();
  big_->setPrimary(m ? memory(m->usedBytes()) : kDash);
  big_->setSecondary(qs(localized("kullanılıyor / ")) + (m ? memory(m->totalBytes) : kDash));
  rows_[0]->setValue(m ? memory(m->totalBytes) : kDash);
  rows_[1]->setValue(m ? memory(m->appBytes) : kDash);
  rows_[2]->setValue(m ? memory(m->wiredBytes) : kDash);
  rows_[3]->setValue(m ? memory(m->compressedBytes) : kDash);
  rows_[4]->setValue(m ? memory(m->cachedBytes) : kDash);
  rows_[5]->setValue(m ? memory(m->usedBytes()) : kDash);
  rows_[6]->setValue(m ? pressureText(m->pressure) : kDash);
  rows_[7]->setValue(m && m->swap ? memory(m->swap->usedBytes) + " / " + memory(m->swap->totalBytes) : kDash);
}

// ---- network -------------------------------------------------------------------------------------

NetworkDetailView::NetworkDetailView(const PageContext& context, QWidget* parent)
    : DetailScaffoldView(qs(ArayuzCardInfo::title(CardKind::network)), parent),
      store_(context.store),
      detail_(context.detail),
      drivesSampling_(context.drivesSampling) {
  auto* rates = new QWidget();
  auto* rateRow = new QHBoxLayout(rates);
  rateRow->setContentsMargins(0, 0, 0, 0);
  rateRow->setSpacing(32);
  const QString tmpl = rateTemplate(detail_.rateUnit().value());
  down_ = new RateColumnView(ArayuzRateDirection::download, kDash, PageMetrics::kRateFigure, tmpl, rates);
  up_ = new RateColumnView(ArayuzRateDirection::upload, kDash, PageMetrics::kRateFigure, tmpl, rates);
  rateRow->addWidget(down_);
  rateRow->addWidget(up_);
  rateRow->addStretch(1);
  header_ = new DetailHeaderView(CardKind::network, rates);
  addContent(header_);
  ArayuzDetailModel* detail = &detail_;
  history_ = new HistorySectionView(
      detail_,
      {{SeriesKind::networkDownload, directionTitle(ArayuzRateDirection::download), ArayuzPalette::download},
       {SeriesKind::networkUpload, directionTitle(ArayuzRateDirection::upload), ArayuzPalette::upload}},
      [detail](double v) { return qs(Format::rate(v, detail->rateUnit().value())); });
  addContent(history_);
  apps_ = new AppNetworkListView(detail_.appNetwork(), detail_.rateUnit());
  addContent(section("Uygulamalara göre ağ kullanımı", apps_));
  auto* details = new DetailSectionView(qs(localized("Bağlantı")));
  const char* labels[] = {"Bağlantı türü", "Arayüz", "Yerel IP adresi", "Açılıştan beri indirilen",
                          "Açılıştan beri yüklenen"};
  for (int i = 0; i < 5; ++i) {
    if (i == 3) details->addContent(makeDivider(details));
    rows_[i] = new KeyValueRowView(qs(localized(labels[i])), kDash, details);
    details->addContent(rows_[i]);
  }
  details->addContent(makeNote(qs(localized("Sadece fiziksel bağlantılar (Wi-Fi, Ethernet) sayılır; VPN trafiği iki "
                                            "kez sayılmaz. Gösterilen hız son üç ölçümün ortalamasıdır. Birimi "
                                            "Ayarlar'dan değiştirebilirsin.")),
                               TextRole::secondaryCallout, details));
  addContent(details);

  tokens_.push_back(detail_.network().subscribe([this](const auto&) { reload(); }));
  tokens_.push_back(detail_.displayRates().subscribe([this](const auto&) { reload(); }));
  tokens_.push_back(detail_.verdict(CardKind::network).subscribe([this](const auto&) { reload(); }));
  tokens_.push_back(detail_.rateUnit().subscribe([this](RateUnit unit) {
    down_->setWidthTemplate(rateTemplate(unit));
    up_->setWidthTemplate(rateTemplate(unit));
    history_->chart()->setValueText([this](double v) { return qs(Format::rate(v, detail_.rateUnit().value())); });
    reload();
  }));
  if (drivesSampling_) store_.setVisible(Surface::networkDetail, true);
  detail_.activate(CardKind::network);
  reload();
}

NetworkDetailView::~NetworkDetailView() {
  // Leaving the page ends per-app sampling; the store drops the totals counted so far.
  if (drivesSampling_) store_.setVisible(Surface::networkDetail, false);
  detail_.deactivate(CardKind::network);
}

void NetworkDetailView::reload() {
  header_->setVerdict(detail_.verdict(CardKind::network).value());
  const RateUnit unit = detail_.rateUnit().value();
  const auto& rates = detail_.displayRates().value();
  down_->setText(rates ? qs(Format::rate(rates->downloadBytesPerSecond, unit)) : kDash);
  up_->setText(rates ? qs(Format::rate(rates->uploadBytesPerSecond, unit)) : kDash);
  const auto& n = detail_.network().value();
  rows_[0]->setValue(n ? qs(ArayuzNetworkText::connection(n->connection)) : kDash);
  rows_[1]->setValue(n && n->interfaceName ? qs(*n->interfaceName) : kDash);
  rows_[2]->setValue(n && n->localIP ? qs(*n->localIP) : kDash);
  rows_[3]->setValue(n ? qs(Format::storageText(static_cast<double>(n->totalDownloadedBytes))) : kDash);
  rows_[4]->setValue(n ? qs(Format::storageText(static_cast<double>(n->totalUploadedBytes))) : kDash);
}

// ---- factory -------------------------------------------------------------------------------------

QWidget* makeDetailPage(CardKind card, PageContext context, QWidget* parent) {
  return cardRow(card).page(context, parent);
}

}  // namespace kovra::ui
