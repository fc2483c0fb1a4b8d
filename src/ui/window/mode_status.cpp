#include "mode_status.h"

#include "accessible.h"
#include "ui_font.h"

namespace lumeta {
namespace {

// The indicators left to right: which one, its caption, its word, its left edge in the window
// and its width.
struct IndicatorPlace {
  Indicator indicator;
  const char* caption;
  const char* word;
  int left;
  int width;
};
constexpr std::array<IndicatorPlace, kIndicatorCount> kIndicatorPlaces = {{
    {Indicator::romaji, "ローマ", "ローマ字", 62, 63},
    {Indicator::alphabet, "英", "英字", 133, 23},
    {Indicator::symbol, "記", "記号", 160, 23},
    {Indicator::capital, "大", "大文字", 201, 23},
    {Indicator::number, "数", "数字", 226, 23},
    {Indicator::small, "小", "小文字", 252, 23},
    {Indicator::full_width, "全", "全角", 288, 23},
    {Indicator::half_width, "半", "半角", 315, 23},
}};
constexpr int kHeight = 23;

}  // namespace

ModeStatus::ModeStatus(QWidget* parent, QPoint origin) : QWidget(parent) {
  install_accessible_factory();
  const IndicatorPlace& last = kIndicatorPlaces.back();
  setGeometry(origin.x(), origin.y(), last.left + last.width - origin.x(), kHeight);
  for (const IndicatorPlace& place : kIndicatorPlaces) {
    auto* label = new QLabel(QString::fromUtf8(place.caption), this);
    label->setGeometry(place.left - origin.x(), 0, place.width, kHeight);
    label->setFont(ui_font(23));
    label->setAlignment(Qt::AlignCenter);
    label->setAutoFillBackground(true);
    labels_[static_cast<int>(place.indicator)] = label;
    set_look(place.indicator, IndicatorLook::unlit);
  }
  announce();
}

void ModeStatus::set_look(Indicator indicator, IndicatorLook look) {
  looks_[static_cast<int>(indicator)] = look;
  QLabel* label = labels_[static_cast<int>(indicator)];
  QPalette palette = label->palette();
  const QColor background = look == IndicatorLook::lit ? QColor(Qt::black)
                            : look == IndicatorLook::white
                                ? QColor(Qt::white)
                                : this->palette().color(QPalette::Button);
  palette.setColor(QPalette::Window, background);
  palette.setColor(QPalette::WindowText, Qt::white);
  label->setPalette(palette);
}

QString ModeStatus::spoken() const {
  QString words = QStringLiteral("入力モード:");
  for (const IndicatorPlace& place : kIndicatorPlaces) {
    if (looks_[static_cast<int>(place.indicator)] == IndicatorLook::lit) {
      words += QLatin1Char(' ') + QString::fromUtf8(place.word);
    }
  }
  return words;
}

void ModeStatus::announce() {
  const QString words = spoken();
  if (words != accessibleName()) setAccessibleName(words);  // Qt tells assistive tools
}

}  // namespace lumeta
