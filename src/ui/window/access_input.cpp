#include "access_input.h"

#include <QAccessible>
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>

#include "main_window.h"

namespace lumeta {
namespace {

// The pointer is read and the one-switch scan moved this often.
constexpr int kTickMs = 20;
constexpr int kPickerColumns = 10;

QRect rect_of(const KeyPlace& p) {
  return {p.left, p.top, p.width, p.height};
}
KeyPlace place_of(const QRect& r) {
  return {r.x(), r.y(), r.width(), r.height()};
}

// The frame around a scan entry: its target, or everything in its group.
QRect frame_of(const ScanItem& item) {
  if (item.target) return rect_of(item.target->place);
  QRect frame;
  for (const ScanItem& inner : item.items)
    frame |= frame_of(inner);
  return frame;
}

int milliseconds(double seconds) {
  return static_cast<int>(seconds * 1000 + 0.5);
}

}  // namespace

AccessInput::AccessInput(MainWindow& window, const AccessSettings& settings,
                         const QString& settings_path, const AccessSettings& kept)
    : QObject(&window), window_(window), kept_(kept), settings_path_(settings_path) {
  overlay_ = new AccessOverlay(&window);
  overlay_->setAccessibleName(QStringLiteral("選択の表示"));
  overlay_->setAccessibleDescription(QStringLiteral("走査で選ばれているもの"));
  overlay_->hide();
  panel_ = new SettingsPanel(&window, window.display()->geometry());
  connect(panel_, &SettingsPanel::changed, this, [this](const AccessSettings& changed) {
    apply(changed);
    if (settings_path_.isEmpty()) return;
    kept_ = changed;
    QString error;
    if (!SettingsFile::save(settings_path_, kept_, &error)) {
      qWarning("lumeta: the settings cannot be kept: %s", qPrintable(error));
    }
  });
  connect(window.window_key(key::pause), &QPushButton::clicked, this, [this] {
    if (dwell_) dwell_->toggle_pause();
    window_.window_key(key::pause)
        ->setText(dwell_ && dwell_->paused() ? QStringLiteral("再開") : QStringLiteral("休止"));
  });
  connect(window.window_key(key::settings), &QPushButton::clicked, this,
          [this] { panel_->isVisible() ? panel_->hide() : panel_->show_settings(settings_); });
  connect(&timer_, &QTimer::timeout, this, &AccessInput::tick);
  timer_.setInterval(kTickMs);
  clock_.start();
  qApp->installEventFilter(this);
  apply(settings);
}

AccessInput::~AccessInput() {
  qApp->removeEventFilter(this);
}

void AccessInput::apply(const AccessSettings& settings) {
  settings_ = settings;
  const int dwell_ms = milliseconds(settings.dwell_seconds);
  if (dwell_ms <= 0) {
    dwell_.reset();
  } else if (dwell_) {
    dwell_->set_dwell(dwell_ms);
  } else {
    dwell_.emplace(dwell_ms, window_.width(), window_.height());
  }
  const ScanMode mode = parse_scan_mode(settings.scan.toStdString()).value_or(ScanMode::off);
  const int interval = milliseconds(settings.scan_interval_seconds);
  if (mode == ScanMode::off) {
    scanner_.reset();
  } else if (!scanner_ || scanner_->mode() != mode) {
    scanner_.emplace(mode, interval);
    scene_key_.clear();
  } else {
    scanner_->set_interval(interval);
  }
  if (dwell_ || scanner_) {
    timer_.start();
  } else {
    timer_.stop();
  }
  overlay_->set_frame({}, false);
  overlay_->set_progress({}, 0);
  // Over the window only while dwell or scanning is on: otherwise assistive tools would meet an
  // empty layer over every key.
  overlay_->setVisible(dwell_ || scanner_);
  tick();
}

ScanScene AccessInput::scene() const {
  if (panel_->isVisible()) {
    ScanScene scene;
    scene.panel = panel_->targets();
    return scene;
  }
  const CandidateStripWidget* bar = window_.candidate_strip_widget();
  const SymbolPicker* picker = window_.symbol_picker();
  const std::optional<SymbolPage> page =
      picker->isVisible() ? std::optional(picker->highlighted_page()) : std::nullopt;
  ScanScene scene = scene_of(window_.keypad().strip(), bar->page(), page);
  const QPoint bar_origin = bar->mapTo(&window_, QPoint(0, 0));
  for (Target& target : scene.strip) {
    const QRect r = target.kind == TargetKind::prediction ? bar->prediction_rect(target.number)
                    : target.kind == TargetKind::strip_page
                        ? (target.number < 0 ? bar->previous_page_rect() : bar->next_page_rect())
                        : bar->candidate_rect(target.number);
    target.place = place_of(r.translated(bar_origin));
  }
  const QTableWidget* grid = picker->grid();
  for (auto& row : scene.picker_rows) {
    for (Target& target : row) {
      const QTableWidgetItem* cell =
          grid->item(target.number / kPickerColumns, target.number % kPickerColumns);
      if (!cell) continue;
      const QRect r = grid->visualItemRect(cell) & grid->viewport()->rect();
      if (!r.isEmpty()) {
        target.place = place_of(r.translated(grid->viewport()->mapTo(&window_, QPoint(0, 0))));
      }
    }
  }
  return scene;
}

std::vector<Target> AccessInput::dwell_targets(const ScanScene& scene) const {
  std::vector<Target> targets;
  if (scene.panel.empty()) targets = key_targets();
  targets.insert(targets.end(), scene.strip.begin(), scene.strip.end());
  for (const auto& row : scene.picker_rows)
    targets.insert(targets.end(), row.begin(), row.end());
  targets.insert(targets.end(), scene.panel.begin(), scene.panel.end());
  if (!scene.panel.empty()) targets.push_back(key_target(key::pause));
  return targets;
}

void AccessInput::tick() {
  if (!dwell_ && !scanner_) return;
  const ScanScene shown = scene();
  if (dwell_) {
    dwell_->set_targets(dwell_targets(shown));
    // The pointer counts only where it is over this window, not over another one in front.
    const QPoint global = QCursor::pos();
    const QWidget* under = QApplication::widgetAt(global);
    const QPoint at =
        under && under->window() == &window_ ? window_.mapFromGlobal(global) : QPoint(-1, -1);
    if (const std::optional<Target> pressed = dwell_->pointer(at.x(), at.y(), now())) {
      work(*pressed);
    }
    const Target* on = dwell_->current();
    overlay_->set_progress(on ? rect_of(on->place) : QRect(), dwell_->progress(now()));
  }
  if (scanner_) {
    // The groups are built afresh when what the window shows has changed.
    std::string key;
    for (const Target& t : shown.strip)
      key += t.name + '\n';
    key += shown.picker_rows.empty() ? "" : "picker\n";
    for (const Target& t : shown.panel)
      key += t.name + '\n';
    if (key != scene_key_ || scanner_->groups().empty()) {
      scene_key_ = key;
      scanner_->set_scene(shown, now());
    }
    scanner_->tick(now());
    show_scan();
  }
}

void AccessInput::show_scan() {
  const ScanItem& item = scanner_->highlighted();
  const bool back = !item.target && item.items.empty();
  QRect frame;
  if (scanner_->paused()) {
    frame = {};
  } else if (back) {
    // 戻る: the group being left, dashed.
    const auto& level = scanner_->level();
    for (const ScanItem& inner : level)
      frame |= frame_of(inner);
  } else {
    frame = frame_of(item);
  }
  overlay_->set_frame(frame, back);
  const QString spoken = QString::fromStdString(scanner_->spoken());
  if (overlay_->accessibleName() == spoken) return;
  overlay_->setAccessibleName(spoken);  // Qt tells assistive tools
  if (item.target && !frame.isEmpty()) {
    if (QWidget* widget = window_.childAt(frame.center())) {
      QAccessibleEvent focus(widget, QAccessible::Focus);
      QAccessible::updateAccessibility(&focus);
    }
  }
}

// A picked target is clicked at its centre, exactly as the pointer would click it; a cell of the
// picker (which may lie scrolled away) is picked as its click picks it.
void AccessInput::work(const Target& target) {
  if (target.kind == TargetKind::symbol) {
    window_.symbol_picker()->pick_cell(target.number / kPickerColumns,
                                       target.number % kPickerColumns);
    return;
  }
  const QPoint centre = rect_of(target.place).center();
  QWidget* widget = window_.childAt(centre);
  if (!widget) return;
  const QPoint local = widget->mapFrom(&window_, centre);
  const QPoint global = widget->mapToGlobal(local);
  working_ = true;
  QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &release);
  working_ = false;
}

void AccessInput::press_switch(bool pick) {
  tick();  // the switch acts on the groups of what is shown now
  if (!pick) {
    scanner_->step(now());
  } else if (const std::optional<Target> picked = scanner_->pick(now())) {
    work(*picked);
    scene_key_.clear();  // the groups start again from the first
  }
  tick();
}

// In scan mode the keys of this window are the switches and nothing else; in one-switch mode
// so is any mouse button.
bool AccessInput::eventFilter(QObject* watched, QEvent* event) {
  if (!scanner_ || working_ || !watched->isWidgetType()) return false;
  const QWidget* widget = static_cast<QWidget*>(watched);
  if (widget->window() != &window_) return false;
  switch (event->type()) {
    case QEvent::KeyPress: {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (key->isAutoRepeat()) return true;
      const bool space = key->key() == Qt::Key_Space;
      const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
      if (scanner_->mode() == ScanMode::two_switch && (space || enter)) press_switch(enter);
      if (scanner_->mode() == ScanMode::one_switch && space) press_switch(true);
      return true;
    }
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
      return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      if (scanner_->mode() != ScanMode::one_switch) return false;
      if (event->spontaneous()) press_switch(true);  // a press from the user, not a program
      return true;
    case QEvent::MouseButtonRelease:
      return scanner_->mode() == ScanMode::one_switch;
    default:
      return false;
  }
}

}  // namespace lumeta
