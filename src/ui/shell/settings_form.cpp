#include "ui/shell/settings_form.h"

#include "ui/pages/platform_texts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ui/common/colors.h"
#include "ui/common/look.h"
#include "ui/common/symbols.h"
#include "ui/common/tint.h"

namespace kovra::ui {

namespace {

QString text(const char* utf8) { return QString::fromUtf8(utf8); }

// One section of the preferences page: a bold header, the controls indented beneath it and, where
// given, a footer in the secondary colour under the controls, aligned with them.
QVBoxLayout* addSection(QVBoxLayout* form, QWidget* parent, const char* header, const char* footer = nullptr) {
  auto* title = new QLabel(text(header), parent);
  QFont bold = title->font();
  bold.setWeight(QFont::DemiBold);
  title->setFont(bold);
  title->setAccessibleName(title->text());
  if (form->count() > 0) form->addSpacing(Look::kGap4);
  form->addWidget(title);
  auto* content = new QVBoxLayout;
  content->setContentsMargins(Look::kGap3, 0, 0, 0);
  content->setSpacing(Look::kGap2);
  form->addLayout(content);
  if (footer != nullptr) {
    auto* note = new QLabel(text(footer), parent);
    note->setWordWrap(true);
    note->setContentsMargins(Look::kGap3, 0, 0, 0);
    setTone(note, Tone::secondary);
    QFont small = note->font();
    small.setPointSizeF(small.pointSizeF() * 0.92);
    note->setFont(small);
    form->addWidget(note);
  }
  return content;
}

}  // namespace

SettingsForm::SettingsForm(SettingsContract& settings, QWidget* parent) : QWidget(parent), settings_(settings) {
  setObjectName("kovra-settings-form");
  auto* form = new QVBoxLayout(this);
  form->setContentsMargins(Look::kGap5, Look::kGap5, Look::kGap5, Look::kGap5);
  form->setSpacing(Look::kGap2);

  // Above everything: changes that look made but are not being kept.
  saveErrorRow_ = makeProblemRow(saveErrorText_);
  form->addWidget(saveErrorRow_);

  auto* general = addSection(form, this, "Genel");
  launchAtLogin_ = new QCheckBox(text("Girişte başlat"), this);
  general->addWidget(launchAtLogin_);
  loginErrorRow_ = makeProblemRow(loginErrorText_);
  general->addWidget(loginErrorRow_);

  const PlatformTexts& texts = platformTexts();
  auto* menuBar = addSection(form, this, texts.labelSection.c_str(), texts.labelSectionFooter.c_str());
  showsMemory_ = new QCheckBox(text("Bellek kullanımını göster"), this);
  showsNetwork_ = new QCheckBox(text("Ağ hızını göster"), this);
  showsTemperature_ = new QCheckBox(text("Sıcaklığı göster"), this);
  menuBar->addWidget(showsMemory_);
  menuBar->addWidget(showsNetwork_);
  menuBar->addWidget(showsTemperature_);

  // The picker as a form row: its label, then the two choices stacked right after it.
  auto* unit = addSection(form, this, "Birim");
  auto* unitRow = new QFormLayout;
  unitRow->setContentsMargins(0, 0, 0, 0);
  unitRow->setLabelAlignment(Qt::AlignLeft | Qt::AlignTop);
  unitRow->setFormAlignment(Qt::AlignLeft | Qt::AlignTop);
  unitRow->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
  unitRow->setHorizontalSpacing(Look::kGap3);
  auto* unitLabel = new QLabel(text("Ağ hızı birimi"), this);
  auto* choices = new QVBoxLayout;
  choices->setSpacing(Look::kGap1);
  bytes_ = new QRadioButton(text("MB/s (bayt)"), this);
  bits_ = new QRadioButton(text("Mbps (bit)"), this);
  auto* group = new QButtonGroup(this);
  group->addButton(bytes_);
  group->addButton(bits_);
  choices->addWidget(bytes_);
  choices->addWidget(bits_);
  unitLabel->setBuddy(bytes_);
  unitRow->addRow(unitLabel, choices);
  unit->addLayout(unitRow);

  auto* notices = addSection(form, this, "Bildirimler",
                             "Bellek uzun süre dolu kalırsa en çok yer kaplayan uygulamayı söyleyen bir bildirim "
                             "gelir. Disk dolmak üzereyse bir kez haber verilir. Bir parça yarım dakika sıcaklık sınırında kalırsa "
                             "da haber verilir.");
  notifications_ = new QCheckBox(text("Bildirim gönder"), this);
  notices->addWidget(notifications_);
  form->addStretch(1);

  load();

  connect(launchAtLogin_, &QCheckBox::toggled, this, [this](bool on) { settings_.setLaunchAtLogin(on); });
  connect(showsMemory_, &QCheckBox::toggled, this, [this](bool on) { settings_.setMenuBarShowsMemory(on); });
  connect(showsNetwork_, &QCheckBox::toggled, this, [this](bool on) { settings_.setMenuBarShowsNetwork(on); });
  connect(showsTemperature_, &QCheckBox::toggled, this,
          [this](bool on) { settings_.setMenuBarShowsTemperature(on); });
  connect(bytes_, &QRadioButton::toggled, this, [this](bool on) {
    if (on) settings_.setRateUnit(RateUnit::bytes);
  });
  connect(bits_, &QRadioButton::toggled, this, [this](bool on) {
    if (on) settings_.setRateUnit(RateUnit::bits);
  });
  connect(notifications_, &QCheckBox::toggled, this, [this](bool on) { settings_.setNotificationsEnabled(on); });

  // Changes from elsewhere (or a refused change) show here too.
  tokens_.push_back(settings_.observeAny([this] { load(); }));
}

SettingsForm::~SettingsForm() = default;

void SettingsForm::load() {
  auto setChecked = [](QAbstractButton* button, bool on) {
    QSignalBlocker block(button);
    button->setChecked(on);
  };
  setChecked(launchAtLogin_, settings_.launchAtLogin());
  setChecked(showsMemory_, settings_.menuBarShowsMemory());
  setChecked(showsNetwork_, settings_.menuBarShowsNetwork());
  setChecked(showsTemperature_, settings_.menuBarShowsTemperature());
  setChecked(bytes_, settings_.rateUnit() == RateUnit::bytes);
  setChecked(bits_, settings_.rateUnit() == RateUnit::bits);
  setChecked(notifications_, settings_.notificationsEnabled());
  showProblem(loginErrorRow_, loginErrorText_, settings_.launchAtLoginError());
  showProblem(saveErrorRow_, saveErrorText_, settings_.saveError());
}

QWidget* SettingsForm::makeProblemRow(QLabel*& textLabel) {
  auto* row = new QWidget(this);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* icon = new QLabel(row);
  showSymbol(icon, "exclamationmark.triangle.fill",
             [](const QPalette& p) { return severityColor(Severity::warning, p); }, 16);
  textLabel = new QLabel(row);
  textLabel->setWordWrap(true);
  QFont callout = textLabel->font();
  callout.setPointSizeF(callout.pointSizeF() * 0.95);
  textLabel->setFont(callout);
  layout->addWidget(icon, 0, Qt::AlignTop);
  layout->addWidget(textLabel, 1);
  return row;
}

void SettingsForm::showProblem(QWidget* row, QLabel* textLabel, const std::optional<std::string>& problem) {
  const bool has = problem && !problem->empty();
  textLabel->setText(has ? QString::fromStdString(*problem) : QString());
  row->setVisible(has);
}

SettingsWindow::SettingsWindow(SettingsContract& settings, QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("settings");
  setWindowTitle(QStringLiteral("Ayarlar"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* scroll = new QScrollArea(this);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  form_ = new SettingsForm(settings, scroll);
  scroll->setWidget(form_);
  layout->addWidget(scroll);
  setMinimumSize(440, 400);
  resize(460, 480);
}

void SettingsWindow::bringForward() {
  show();
  raise();
  activateWindow();
}

}  // namespace kovra::ui
