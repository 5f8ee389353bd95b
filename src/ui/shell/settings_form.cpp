#include "ui/shell/settings_form.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ui/common/colors.h"
#include "ui/common/symbols.h"

namespace kovra::ui {

namespace {

QString text(const char* utf8) { return QString::fromUtf8(utf8); }

// A titled group of the form, with an optional footer in the secondary colour beneath it.
QVBoxLayout* addSection(QVBoxLayout* form, QWidget* parent, const char* header, const char* footer = nullptr) {
  auto* box = new QGroupBox(text(header), parent);
  auto* layout = new QVBoxLayout(box);
  layout->setSpacing(8);
  form->addWidget(box);
  if (footer != nullptr) {
    auto* note = new QLabel(text(footer), parent);
    note->setWordWrap(true);
    note->setContentsMargins(4, 0, 4, 0);
    QPalette palette = note->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::PlaceholderText));
    note->setPalette(palette);
    QFont small = note->font();
    small.setPointSizeF(small.pointSizeF() * 0.92);
    note->setFont(small);
    form->addWidget(note);
  }
  return layout;
}

}  // namespace

SettingsForm::SettingsForm(SettingsContract& settings, QWidget* parent) : QWidget(parent), settings_(settings) {
  setObjectName("kovra-settings-form");
  auto* form = new QVBoxLayout(this);
  form->setContentsMargins(20, 20, 20, 20);
  form->setSpacing(8);

  // Above everything: changes that look made but are not being kept.
  saveErrorRow_ = makeProblemRow(saveErrorText_);
  form->addWidget(saveErrorRow_);

  auto* general = addSection(form, this, "Genel");
  launchAtLogin_ = new QCheckBox(text("Girişte başlat"), this);
  general->addWidget(launchAtLogin_);
  loginErrorRow_ = makeProblemRow(loginErrorText_);
  general->addWidget(loginErrorRow_);

  auto* menuBar = addSection(form, this, "Menü çubuğu", "İkisi de kapalıysa menü çubuğunda sadece simge görünür.");
  showsMemory_ = new QCheckBox(text("Bellek kullanımını göster"), this);
  showsNetwork_ = new QCheckBox(text("Ağ hızını göster"), this);
  menuBar->addWidget(showsMemory_);
  menuBar->addWidget(showsNetwork_);

  auto* unit = addSection(form, this, "Birim");
  auto* unitRow = new QHBoxLayout;
  auto* unitLabel = new QLabel(text("Ağ hızı birimi"), this);
  auto* choices = new QVBoxLayout;
  bytes_ = new QRadioButton(text("MB/s (bayt)"), this);
  bits_ = new QRadioButton(text("Mbps (bit)"), this);
  auto* group = new QButtonGroup(this);
  group->addButton(bytes_);
  group->addButton(bits_);
  choices->addWidget(bytes_);
  choices->addWidget(bits_);
  unitRow->addWidget(unitLabel, 0, Qt::AlignTop);
  unitRow->addStretch(1);
  unitRow->addLayout(choices);
  unit->addLayout(unitRow);

  auto* notices = addSection(form, this, "Bildirimler",
                             "Bellek uzun süre dolu kalırsa en çok yer kaplayan uygulamayı söyleyen bir bildirim "
                             "gelir. Disk dolmak üzereyse bir kez haber verilir.");
  notifications_ = new QCheckBox(text("Bildirim gönder"), this);
  notices->addWidget(notifications_);
  form->addStretch(1);

  load();

  connect(launchAtLogin_, &QCheckBox::toggled, this, [this](bool on) { settings_.setLaunchAtLogin(on); });
  connect(showsMemory_, &QCheckBox::toggled, this, [this](bool on) { settings_.setMenuBarShowsMemory(on); });
  connect(showsNetwork_, &QCheckBox::toggled, this, [this](bool on) { settings_.setMenuBarShowsNetwork(on); });
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
  icon->setPixmap(symbolPixmap("exclamationmark.triangle.fill", severityColor(Severity::warning, palette()), 16,
                               devicePixelRatioF()));
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
