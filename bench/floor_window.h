// The floor the benchmarks measure Lumeta against: a minimal Qt window whose button press
// repaints a label. lumeta_x11_bench times its key presses in its own process; the program
// lumeta_minimal_window (minimal_window.cpp) shows it alone, linked with Qt Widgets and nothing
// else, for start-up.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

namespace lumeta::bench {

// The floor: a window whose button press repaints a label.
class FloorWindow : public QWidget {
 public:
  FloorWindow() {
    auto* layout = new QVBoxLayout(this);
    label_ = new QLabel(QStringLiteral("0"), this);
    label_->setMinimumSize(200, 60);
    button_ = new QPushButton(QStringLiteral("+"), this);
    button_->setMinimumSize(60, 60);
    layout->addWidget(label_);
    layout->addWidget(button_);
    connect(button_, &QPushButton::pressed, this,
            [this] { label_->setText(QString::number(++count_)); });
  }
  QLabel* label() const { return label_; }
  QPushButton* button() const { return button_; }

 private:
  QLabel* label_;
  QPushButton* button_;
  int count_ = 0;
};

}  // namespace lumeta::bench
