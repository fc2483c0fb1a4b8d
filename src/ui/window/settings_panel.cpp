#include "settings_panel.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "click_filter.h"
#include "ui_font.h"

namespace lumeta {
namespace {

// The panel's keys, one row per key: its caption, its name for assistive tools, and where it
// stands (column 0..2 of row 0..3).
struct Item {
  const char* caption;
  const char* name;
  int row, column;
};
enum : int { kDwellShorter, kDwellLonger, kScanMode, kIntervalShorter, kIntervalLonger, kClose };
// clang-format off
constexpr std::array<Item, 6> kItems = {{
    {"−", "停留時間を短く", 0, 1},
    {"＋", "停留時間を長く", 0, 2},
    {"切替", "走査の方法を切り替える", 1, 2},
    {"−", "走査の間隔を短く", 2, 1},
    {"＋", "走査の間隔を長く", 2, 2},
    {"閉じる", "設定を閉じる", 3, 2},
}};
// clang-format on

// The scan modes in the order 切替 steps through them, with what the panel says of each.
struct ScanName {
  const char* mode;
  const char* words;
};
constexpr std::array<ScanName, 3> kScanNames = {
    {{"off", "なし"}, {"one-switch", "1 スイッチ"}, {"two-switch", "2 スイッチ"}}};

constexpr double kDwellStep = 0.1, kLongestDwell = 3.0;
constexpr double kIntervalStep = 0.1, kShortestInterval = 0.3, kLongestInterval = 5.0;
constexpr int kRowHeight = 52, kLabelWidth = 150, kKeyWidth = 60, kGap = 8;

}  // namespace

SettingsPanel::SettingsPanel(QWidget* parent, const QRect& geometry) : QWidget(parent) {
  setGeometry(geometry);
  setAutoFillBackground(true);
  setAccessibleName(QStringLiteral("設定"));
  const auto label = [this](int row) {
    auto* l = new QLabel(this);
    l->setGeometry(kGap, kGap + row * kRowHeight, kLabelWidth, kRowHeight - kGap);
    l->setFont(ui_font(13));
    l->setWordWrap(true);
    return l;
  };
  dwell_label_ = label(0);
  scan_label_ = label(1);
  interval_label_ = label(2);
  for (std::size_t i = 0; i < kItems.size(); ++i) {
    const Item& item = kItems[i];
    auto* button = new QPushButton(QString::fromUtf8(item.caption), this);
    button->setGeometry(kGap + kLabelWidth + (item.column - 1) * (kKeyWidth + kGap),
                        kGap + item.row * kRowHeight, kKeyWidth, kRowHeight - kGap);
    if (static_cast<int>(i) == kClose)
      button->setGeometry(width() - kGap - 2 * kKeyWidth, button->y(), 2 * kKeyWidth,
                          button->height());
    button->setFont(ui_font(15));
    button->setFocusPolicy(Qt::NoFocus);
    button->setAccessibleName(QString::fromUtf8(item.name));
    ClickFilter::install(button, ClickFilter::Buttons::all_as_left);
    connect(button, &QPushButton::clicked, this, [this, i] { change(static_cast<int>(i)); });
    items_.push_back(button);
  }
  hide();
}

void SettingsPanel::show_settings(const AccessSettings& settings) {
  settings_ = settings;
  refresh();
  show();
  raise();
}

std::vector<Target> SettingsPanel::targets() const {
  std::vector<Target> targets;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const QRect r(items_[i]->mapTo(parentWidget(), QPoint(0, 0)), items_[i]->size());
    targets.push_back({TargetKind::setting,
                       static_cast<int>(i),
                       items_[i]->accessibleName().toStdString(),
                       {r.x(), r.y(), r.width(), r.height()}});
  }
  return targets;
}

// One step of the setting the key `item` changes: dwell 0.8 s → 0.9 s with ＋, down to "なし"
// with − at 0.1 s; the scan mode なし → 1 スイッチ → 2 スイッチ → なし.
void SettingsPanel::change(int item) {
  switch (item) {
    case kDwellShorter:
      settings_.dwell_seconds = std::max(0.0, settings_.dwell_seconds - kDwellStep);
      break;
    case kDwellLonger:
      settings_.dwell_seconds = std::min(kLongestDwell, settings_.dwell_seconds + kDwellStep);
      break;
    case kScanMode: {
      std::size_t next = 0;
      for (std::size_t i = 0; i < kScanNames.size(); ++i) {
        if (settings_.scan == QLatin1String(kScanNames[i].mode)) next = (i + 1) % kScanNames.size();
      }
      settings_.scan = QLatin1String(kScanNames[next].mode);
      break;
    }
    case kIntervalShorter:
      settings_.scan_interval_seconds =
          std::max(kShortestInterval, settings_.scan_interval_seconds - kIntervalStep);
      break;
    case kIntervalLonger:
      settings_.scan_interval_seconds =
          std::min(kLongestInterval, settings_.scan_interval_seconds + kIntervalStep);
      break;
    case kClose:
      hide();
      return;
  }
  // Steps of a tenth stay tenths.
  settings_.dwell_seconds = std::round(settings_.dwell_seconds * 10) / 10;
  settings_.scan_interval_seconds = std::round(settings_.scan_interval_seconds * 10) / 10;
  refresh();
  emit changed(settings_);
}

void SettingsPanel::refresh() {
  dwell_label_->setText(
      settings_.dwell_seconds > 0
          ? QStringLiteral("停留時間 %1 秒").arg(settings_.dwell_seconds, 0, 'f', 1)
          : QStringLiteral("停留時間 なし"));
  QString words;
  for (const ScanName& name : kScanNames) {
    if (settings_.scan == QLatin1String(name.mode)) words = QString::fromUtf8(name.words);
  }
  scan_label_->setText(QStringLiteral("走査 ") + words);
  interval_label_->setText(
      QStringLiteral("走査の間隔 %1 秒").arg(settings_.scan_interval_seconds, 0, 'f', 1));
}

}  // namespace lumeta
