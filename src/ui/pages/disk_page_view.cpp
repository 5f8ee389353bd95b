#include "ui/pages/disk_page_view.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>

#include <cerrno>
#include <cmath>

#include "core/format.h"
#include "core/localize.h"
#include "core/system_links.h"
#include "present/detail_model.h"
#include "samplers/disk/disk_scan_walker.h"
#include "store/store.h"
#include "ui/common/colors.h"
#include "ui/common/icon_cache.h"
#include "ui/common/look.h"
#include "ui/common/symbols.h"
#include "ui/common/tint.h"
#include "ui/pages/file_manager.h"
#include "ui/pages/page_style.h"
#include "ui/pages/platform_texts.h"

namespace kovra::ui {

namespace {

constexpr int kScanFolders = 10;
constexpr int kScanFiles = 20;
constexpr int kItemIcon = 22;
// The section's stack, the same in every state of the scan.
constexpr int kStackSpacing = 14;

QString storage(double bytes) { return qs(Format::storageText(bytes)); }

QString percentOf(std::optional<double> fraction) {
  if (!fraction || !std::isfinite(*fraction) || *fraction < 0) return QString::fromUtf8("—");
  auto n = Format::wholeNumber(*fraction * 100);
  return n ? "%" + qs(*n) : QString::fromUtf8("—");
}

QPushButton* makeSymbolButton(const QString& text, const char* symbol, QWidget* parent) {
  auto* b = new QPushButton(text, parent);
  setSymbolIcon(b, symbol);
  return b;
}

// A failure message ending in " (errno N)" says what the number means instead, in words; other
// messages stay as they are.
QString inWords(const std::string& message) {
  static const QRegularExpression code(QStringLiteral(" \\(errno (\\d+)\\)$"));
  const QString text = qs(message);
  const QRegularExpressionMatch m = code.match(text);
  if (!m.hasMatch()) return text;
  QString words;
  switch (m.captured(1).toInt()) {
    case EPERM:
    case EACCES: words = QString::fromUtf8("izin yok"); break;
    case ENOENT: words = QString::fromUtf8("böyle bir klasör yok"); break;
    case EIO: words = QString::fromUtf8("disk okunurken hata oluştu"); break;
    case ENOMEM: words = QString::fromUtf8("bellek yetmedi"); break;
    case ENOTDIR: words = QString::fromUtf8("yolun bir parçası klasör değil"); break;
    case ELOOP: words = QString::fromUtf8("bağlantılar kendi içinde dönüyor"); break;
    case ENAMETOOLONG: words = QString::fromUtf8("yol çok uzun"); break;
    default: words = QString::fromUtf8("sistem hatası ") + m.captured(1); break;
  }
  return text.left(m.capturedStart()) + QStringLiteral(" (") + words + QStringLiteral(")");
}

void showIf(QWidget* w, bool shown) {
  if (w->isVisibleTo(w->parentWidget()) != shown) w->setVisible(shown);
}

}  // namespace

QString tildePath(const std::string& path) {
  return qs(abbreviateHome(path, QDir::homePath().toStdString()));
}

FullDiskAccessNoticeView::FullDiskAccessNoticeView(const QString& text, QWidget* parent)
    : NoticeBoxView("exclamationmark.triangle.fill", ArayuzPalette::warning, text, parent) {
  auto* open = new QPushButton(qs(localized("Sistem Ayarları'nı aç")), this);
  connect(open, &QPushButton::clicked, this,
          [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(SystemLinks::fullDiskAccess))); });
  auto* row = new QWidget(this);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(open);
  layout->addStretch(1);
  addBelow(row);
}

// ---- progress ------------------------------------------------------------------------------------

DiskScanProgressView::DiskScanProgressView(QWidget* parent) : QWidget(parent) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  // The same rhythm as the other states of the section; its title is a line of text, not a
  // second heading under the section's.
  column->setSpacing(kStackSpacing);
  column->addWidget(makeLabel(qs(localized("Tarama sürüyor")), TextRole::body, this));
  bar_ = new QProgressBar(this);
  bar_->setTextVisible(false);
  bar_->setFixedHeight(8);
  bar_->setAccessibleName(qs(localized("Tarama sürüyor")));
  column->addWidget(bar_);
  auto* line = new QHBoxLayout();
  count_ = makeLabel({}, TextRole::callout, this);
  percent_ = makeLabel({}, TextRole::secondaryCallout, this);
  percent_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  percent_->setMinimumWidth(percent_->fontMetrics().horizontalAdvance("%100") + 2);
  line->addWidget(count_, 1);
  line->addWidget(percent_);
  column->addLayout(line);
  path_ = makeLabel({}, TextRole::secondaryCaption, this);
  path_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  path_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  column->addWidget(path_);
  auto* buttons = new QHBoxLayout();
  stop_ = new QPushButton(qs(localized("Durdur")), this);
  buttons->addWidget(stop_);
  buttons->addStretch(1);
  column->addLayout(buttons);
  connect(stop_, &QPushButton::clicked, this, &DiskScanProgressView::cancelRequested);
}

void DiskScanProgressView::setProgress(const DiskScanProgress& p) {
  const QString files =
      p.scannedFileCount < 0 ? QString::fromUtf8("—") : qs(Format::grouped(p.scannedFileCount));
  setTextIfChanged(count_, files + qs(localized(" dosya · ")) + storage(static_cast<double>(p.scannedBytes)));
  if (p.fraction) {
    if (bar_->maximum() != 1000) bar_->setRange(0, 1000);
    const double f = std::isfinite(*p.fraction) ? std::clamp(*p.fraction, 0.0, 1.0) : 0.0;
    bar_->setValue(static_cast<int>(std::lround(f * 1000)));
    setTextIfChanged(percent_, percentOf(p.fraction));
  } else if (bar_->maximum() != 0) {
    bar_->setRange(0, 0);  // busy
  }
  showIf(percent_, p.fraction.has_value());
  const QString path = p.currentPath ? tildePath(*p.currentPath) : QString();
  setTextIfChanged(path_, path);
  path_->setToolTip(path);
  showIf(path_, p.currentPath.has_value());
}

// ---- result --------------------------------------------------------------------------------------

DiskItemRowView::DiskItemRowView(const DiskItem& item, QWidget* parent) : QWidget(parent) {
  const QString path = qs(item.url);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 3, 0, 3);
  row->setSpacing(10);
  auto* icon = new QLabel(this);
  icon->setFixedSize(kItemIcon, kItemIcon);
  // A folder that is gone (or was never here) has no MIME type to ask the theme about.
  const QIcon fileIcon = item.isDirectory && !QFileInfo(path).isDir() ? adaptiveSymbolIcon("folder")
                                                                      : IconCache::shared().fileIcon(item.url);
  showIcon(icon, fileIcon, kItemIcon);
  row->addWidget(icon);
  auto* names = new QVBoxLayout();
  names->setSpacing(1);
  name_ = makeLabel(IconCache::shared().displayName(item.url), TextRole::body, this);
  name_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  name_->setMinimumWidth(120);
  path_ = makeLabel(tildePath(item.url), TextRole::secondaryCaption, this);
  path_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  path_->setMinimumWidth(120);
  path_->setToolTip(path_->text());
  names->addWidget(name_);
  names->addWidget(path_);
  row->addLayout(names, 1);
  size_ = makeLabel(storage(static_cast<double>(item.sizeBytes)), TextRole::body, this);
  size_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  size_->setMinimumWidth(size_->fontMetrics().horizontalAdvance("888,8 GB") + 2);
  row->addWidget(size_);
  reveal_ = new QPushButton(qs(platformTexts().revealButton), this);
  reveal_->setAccessibleDescription(name_->text());
  row->addWidget(reveal_);
  setAccessibleName(name_->text() + ", " + size_->text());
  connect(reveal_, &QPushButton::clicked, this,
          [this, bytes = QByteArray::fromStdString(item.url)] { Q_EMIT revealRequested(bytes); });
}

DiskItemListView::DiskItemListView(const QString& title, const std::vector<DiskItem>& items, QWidget* parent)
    : QWidget(parent) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(2);
  column->addWidget(makeLabel(title, TextRole::headline, this));
  setAccessibleName(title);
  if (items.empty()) {
    empty_ = makeLabel(QString::fromUtf8("—"), TextRole::secondary, this);
    column->addWidget(empty_);
    return;
  }
  for (const auto& item : items) {
    auto* r = new DiskItemRowView(item, this);
    connect(r, &DiskItemRowView::revealRequested, this, &DiskItemListView::revealRequested);
    rows_.push_back(r);
    column->addWidget(r);
  }
}

DiskScanResultView::DiskScanResultView(const DiskScanResult& result, QWidget* parent) : QWidget(parent) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(12);
  if (!result.hadFullDiskAccess && platformTexts().showsFullDiskAccess) {
    partial_ = new FullDiskAccessNoticeView(
        qs(localized("Bu sonuç kısmi: Tam Disk Erişimi olmadığı için bazı klasörler taranamadı. Erişim verdikten "
                     "sonra yeniden tara.")),
        this);
    column->addWidget(partial_);
  }
  auto* summaryBox = new QVBoxLayout();
  summaryBox->setSpacing(2);
  summary_ = makeLabel(qs(Format::grouped(result.scannedFileCount)) + qs(localized(" dosya tarandı, toplam ")) +
                          storage(static_cast<double>(result.scannedBytes)),
                      TextRole::body, this);
  summaryBox->addWidget(summary_);
  skipped_ = makeLabel(qs(localized("İzin olmadığı için atlanan öğe: ")) + qs(Format::grouped(result.skippedCount)),
                      TextRole::secondaryCallout, this);
  skipped_->setVisible(result.skippedCount > 0);
  summaryBox->addWidget(skipped_);
  column->addLayout(summaryBox);
  folders_ = new DiskItemListView(qs(localized("En büyük klasörler")), result.largestFolders, this);
  files_ = new DiskItemListView(qs(localized("En büyük dosyalar")), result.largestFiles, this);
  column->addWidget(folders_);
  column->addWidget(files_);
  connect(folders_, &DiskItemListView::revealRequested, this, &DiskScanResultView::revealRequested);
  connect(files_, &DiskItemListView::revealRequested, this, &DiskScanResultView::revealRequested);
  column->addWidget(makeNote(qs(platformTexts().resultNote), TextRole::secondaryCallout, this));
  auto* buttons = new QHBoxLayout();
  rescan_ = makeSymbolButton(qs(localized("Yeniden tara")), "arrow.clockwise", this);
  buttons->addWidget(rescan_);
  buttons->addStretch(1);
  column->addLayout(buttons);
  connect(rescan_, &QPushButton::clicked, this, &DiskScanResultView::rescanRequested);
}

// ---- section -------------------------------------------------------------------------------------

DiskScanSectionView::DiskScanSectionView(Store& store, AccessCheck accessCheck, QWidget* parent)
    : DetailSectionView(qs(localized("En çok yer kaplayanlar")), nullptr, parent),
      store_(store),
      accessCheck_(std::move(accessCheck)) {
  contentLayout()->setSpacing(kStackSpacing);
  if (!accessCheck_) accessCheck_ = [] { return true; };
  reveal_ = [this](const QByteArray& path) {
    // Where the user clicked: the button keeps the focus after its click.
    QPointer<QWidget> anchor = QApplication::focusWidget();
    revealInFileManager(path, [this, anchor](RevealOutcome outcome) {
      if (outcome == RevealOutcome::failed) showRevealFailure(anchor);
    });
  };
  // One of the pages below shows at a time (a plain column keeps the wrapped texts' heights right).
  pages_ = new QWidget(this);
  auto* pagesColumn = new QVBoxLayout(pages_);
  pagesColumn->setContentsMargins(0, 0, 0, 0);

  startPage_ = new QWidget(pages_);
  auto* column = new QVBoxLayout(startPage_);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(kStackSpacing);
  intro_ = makeNote(qs(localized("Ev klasörünü tarar ve en büyük ")) + qs(Format::grouped(kScanFolders)) +
                        qs(localized(" klasörü ve ")) + qs(Format::grouped(kScanFiles)) +
                        qs(localized(" dosyayı gösterir. Tarama arka planda çalışır, istediğin an durdurabilirsin. "
                                     "Hiçbir şey silinmez.")),
                    TextRole::secondaryCallout, startPage_);
  // Only as tall as its lines: the stack's spacing is the only gap around it.
  intro_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
  intro_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  column->addWidget(intro_);
  failure_ = new QWidget(startPage_);
  auto* failureRow = new QHBoxLayout(failure_);
  failureRow->setContentsMargins(0, 0, 0, 0);
  failureRow->setSpacing(6);
  failureRow->addWidget(
      makeSymbolLabel("xmark.octagon.fill", fromPalette(ArayuzPalette::critical), 16, failure_),
      0, Qt::AlignTop);
  failureText_ = makeNote({}, TextRole::body, failure_);
  failureRow->addWidget(failureText_, 1);
  column->addWidget(failure_);
  stopped_ = makeLabel(qs(localized("Tarama durduruldu.")), TextRole::body, startPage_);
  column->addWidget(stopped_);
  if (platformTexts().showsFullDiskAccess) {
    notice_ = new FullDiskAccessNoticeView(qs(localized("Kovra'ya Tam Disk Erişimi verilmemiş. Tarama bazı klasörleri "
                                                        "okuyamaz, bu yüzden sonuç kısmi olur.")),
                                           startPage_);
    column->addWidget(notice_);
    notice_->setVisible(false);
  }
  auto* buttons = new QHBoxLayout();
  start_ = new QPushButton(startPage_);
  buttons->addWidget(start_);
  buttons->addStretch(1);
  column->addLayout(buttons);
  connect(start_, &QPushButton::clicked, this, [this] { store_.startDiskScan(); });
  pagesColumn->addWidget(startPage_);

  progress_ = new DiskScanProgressView(pages_);
  connect(progress_, &DiskScanProgressView::cancelRequested, this, [this] { store_.cancelDiskScan(); });
  pagesColumn->addWidget(progress_);
  progress_->setVisible(false);
  addContent(pages_);

  connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
    if (s == Qt::ApplicationActive && checkedOnce_) checkAccess();
  });
  token_ = store_.diskScanProperty().subscribe([this](const DiskScanState& s) { apply(s); });
  apply(store_.diskScan());
}

void DiskScanSectionView::showEvent(QShowEvent* event) {
  DetailSectionView::showEvent(event);
  if (!checkedOnce_) {
    checkedOnce_ = true;
    checkAccess();
  }
}

void DiskScanSectionView::checkAccess() {
  hasFullDiskAccess_ = accessCheck_();
  updateNotice();
}

void DiskScanSectionView::updateNotice() {
  if (!notice_) return;
  // Absent (not checked yet) is not false.
  const bool show = hasFullDiskAccess_ == false && shown_ != DiskScanState::Case::scanning &&
                    shown_ != DiskScanState::Case::finished;
  showIf(notice_, show);
}

void DiskScanSectionView::apply(const DiskScanState& state) {
  shown_ = state.kind;
  switch (state.kind) {
    case DiskScanState::Case::idle:
    case DiskScanState::Case::failed:
    case DiskScanState::Case::cancelled: {
      showIf(intro_, state.kind == DiskScanState::Case::idle);
      showIf(failure_, state.kind == DiskScanState::Case::failed);
      showIf(stopped_, state.kind == DiskScanState::Case::cancelled);
      if (state.kind == DiskScanState::Case::failed) {
        setTextIfChanged(failureText_, qs(localized("Tarama tamamlanamadı: ")) + inWords(state.message));
      }
      const bool idle = state.kind == DiskScanState::Case::idle;
      start_->setText(idle ? qs(localized("En çok yer kaplayanları bul"))
                           : state.kind == DiskScanState::Case::failed ? qs(localized("Yeniden dene"))
                                                                       : qs(localized("Yeniden tara")));
      setSymbolIcon(start_, idle ? "magnifyingglass" : "");
      showPage(startPage_);
      break;
    }
    case DiskScanState::Case::scanning:
      progress_->setProgress(state.progress);
      showPage(progress_);
      break;
    case DiskScanState::Case::finished:
      if (!result_ || resultShown_ != state.result) {
        if (result_) {
          result_->hide();
          result_->deleteLater();
        }
        result_ = new DiskScanResultView(state.result, pages_);
        result_->setVisible(false);
        resultShown_ = state.result;
        connect(result_, &DiskScanResultView::rescanRequested, this, [this] { store_.startDiskScan(); });
        connect(result_, &DiskScanResultView::revealRequested, this, [this](const QByteArray& path) {
          if (reveal_) reveal_(path);
        });
        pages_->layout()->addWidget(result_);
      }
      showPage(result_);
      break;
  }
  updateNotice();
}

void DiskScanSectionView::showRevealFailure(QWidget* anchor) {
  const QPoint at = anchor && anchor->isVisible() ? anchor->mapToGlobal(QPoint(0, anchor->height())) : QCursor::pos();
  QToolTip::showText(at, qs(localized("Dosya yöneticisi açılamadı.")), anchor != nullptr ? anchor : this);
}

void DiskScanSectionView::showPage(QWidget* page) {
  for (QWidget* p : {startPage_, static_cast<QWidget*>(progress_), static_cast<QWidget*>(result_)}) {
    if (p && p != page) showIf(p, false);
  }
  showIf(page, true);
}

// ---- page ----------------------------------------------------------------------------------------

DiskPageView::DiskPageView(Store& store, ArayuzDetailModel& detail, QWidget* parent)
    : DetailScaffoldView(qs(ArayuzCardInfo::title(CardKind::disk)), parent), detail_(detail) {
  const QString dash = QString::fromUtf8("—");
  big_ = new BigValueView(dash, {}, PageMetrics::kBigFigure, QStringLiteral("888,8 GB"));
  header_ = new DetailHeaderView(CardKind::disk, big_);
  addContent(header_);

  auto* usage = new QWidget();
  auto* usageColumn = new QVBoxLayout(usage);
  usageColumn->setContentsMargins(0, 0, 0, 0);
  usageColumn->setSpacing(6);
  auto* usageTitle = new QHBoxLayout();
  auto* title = makeLabel(qs(localized("Doluluk")), TextRole::headline, usage);
  usage_ = makeLabel({}, TextRole::secondaryCallout, usage);
  usageTitle->addWidget(title);
  usageTitle->addStretch(1);
  usageTitle->addWidget(usage_);
  usageColumn->addLayout(usageTitle);
  bar_ = new ProportionBarView(std::nullopt, ArayuzPalette::memoryApps, 10, usage);
  bar_->setAccessibleName(title->text());
  usageColumn->addWidget(bar_);
  addContent(usage);

  auto* details = new DetailSectionView(qs(localized("Detay")));
  const char* labels[] = {"Birim", "Toplam", "Boş", "Kullanılan", "Doluluk"};
  for (int i = 0; i < 5; ++i) {
    rows_[i] = new KeyValueRowView(qs(localized(labels[i])), dash, details);
    details->addContent(rows_[i]);
  }
  details->addContent(makeNote(qs(platformTexts().diskNote), TextRole::secondaryCallout, details));
  addContent(details);

  scan_ = new DiskScanSectionView(store);
  addContent(scan_);

  tokens_.push_back(detail_.disk().subscribe([this](const auto&) { reload(); }));
  tokens_.push_back(detail_.verdict(CardKind::disk).subscribe([this](const auto&) { reload(); }));
  detail_.activate(CardKind::disk);
  reload();
}

DiskPageView::~DiskPageView() { detail_.deactivate(CardKind::disk); }

void DiskPageView::changeEvent(QEvent* event) {
  DetailScaffoldView::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) reload();
}

void DiskPageView::reload() {
  const auto& verdict = detail_.verdict(CardKind::disk).value();
  header_->setVerdict(verdict);
  const auto& disk = detail_.disk().value();
  const QString dash = QString::fromUtf8("—");
  std::optional<double> used;
  if (disk && disk->totalBytes > 0) {
    used = static_cast<double>(disk->totalBytes - std::min(disk->availableBytes, disk->totalBytes)) /
           static_cast<double>(disk->totalBytes);
  }
  big_->setPrimary(disk ? storage(static_cast<double>(disk->availableBytes)) : dash);
  big_->setSecondary(qs(localized("boş / ")) + (disk ? storage(static_cast<double>(disk->totalBytes)) : dash));
  bar_->setFraction(used);
  bar_->setFillColour(verdict.severity == Severity::neutral
                          ? std::optional<QColor>()
                          : std::optional<QColor>(severityColor(verdict.severity, palette())));
  const QString percent = percentOf(used);
  // Without a reading the line is the placeholder alone, as on the dashboard card.
  setTextIfChanged(usage_, used ? percent + qs(localized(" dolu")) : dash);
  bar_->setAccessibleDescription(usage_->text());
  rows_[0]->setValue(disk && disk->volumeName ? qs(*disk->volumeName) : dash);
  rows_[1]->setValue(disk ? storage(static_cast<double>(disk->totalBytes)) : dash);
  rows_[2]->setValue(disk ? storage(static_cast<double>(disk->availableBytes)) : dash);
  rows_[3]->setValue(disk ? storage(static_cast<double>(disk->totalBytes - std::min(disk->availableBytes,
                                                                                      disk->totalBytes)))
                          : dash);
  rows_[4]->setValue(percent);
}

}  // namespace kovra::ui
