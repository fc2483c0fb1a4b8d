#include "main_window.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>

#include "accessible.h"
#include "click_filter.h"
#include "conversion.h"
#include "qt_text.h"
#include "ui_font.h"

namespace lumeta {
namespace {

constexpr QSize kClientSize(677, 556);

// The key list names the physical keys by Qt's own key codes.
static_assert(keyboard::backspace == Qt::Key_Backspace && keyboard::enter == Qt::Key_Return &&
              keyboard::keypad_enter == Qt::Key_Enter && keyboard::control == Qt::Key_Control);
static_assert(keyboard::left == Qt::Key_Left && keyboard::up == Qt::Key_Up &&
              keyboard::right == Qt::Key_Right && keyboard::down == Qt::Key_Down);
static_assert(Qt::Key_A == 'A' && Qt::Key_Z == 'Z');

// Space presses no key, but its release lets go of a key held from the keyboard, as the
// release of any key of the key list does.
bool releases_held_key(int qt_key) {
  return qt_key == Qt::Key_Space || find_key_by_keyboard(qt_key) != nullptr;
}

QString from_utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QRect rect_of(const KeyPlace& place) {
  return {place.left, place.top, place.width, place.height};
}

// Whether a program may move the pointer: not on Wayland, where Qt would only complain.
bool pointer_can_be_moved() {
  static const bool can = !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
  return can;
}

const QString kAboutCaption = QStringLiteral("バージョン情報");
const QString kAboutText = QStringLiteral("Lumeta " LUMETA_VERSION
                                          "\nポインタだけで日本語を入力\n© 2026 Lumeta developers");

}  // namespace

MainWindow::MainWindow(Draft draft, SendVia send_via) : send_via_(send_via) {
  setWindowTitle(QStringLiteral("Lumeta"));
  setFixedSize(kClientSize);
  move(6, 1);
  setFont(ui_font(15));

  handset_picture_ = new HandsetPicture(this);
  handset_picture_->setGeometry(8, 8, 433, 433);
  handset_picture_->setAccessibleName(QStringLiteral("携帯電話の画面の絵"));

  text_display_ = new TextDisplay(this);
  text_display_->setGeometry(54, 120, 298, 272);
  text_display_->installEventFilter(this);
  connect(text_display_, &TextDisplay::clicked, this, [this](int position) {
    before_key();
    keypad_.place_caret(position);
    refresh_extras();
  });

  for (const KeyInfo& info : key_list()) {
    if (info.kind == KeyKind::window) {
      add_window_key(info);
      continue;
    }
    KeyButton* key = new KeyButton(info.number, from_utf8(info.caption), this);
    key->setGeometry(rect_of(info.place));
    key->setAccessibleName(from_utf8(info.name));
    if (!info.description.empty()) key->setAccessibleDescription(from_utf8(info.description));
    connect(key, &KeyButton::pressed, this, [this](int n) {
      before_key();
      keypad_.press(n);
    });
    connect(key, &KeyButton::released, this, [this](int n) { keypad_.release(n); });
    keys_[info.number] = key;
  }
  undo_key()->setEnabled(false);

  about_label_ = new QLabel(kAboutCaption, this);
  about_label_->move(56, 488);
  about_label_->adjustSize();
  about_label_->setMouseTracking(true);
  about_label_->installEventFilter(this);
  // A screen reader hears the version without hovering.
  about_label_->setAccessibleName(kAboutCaption);
  about_label_->setAccessibleDescription(kAboutText);

  position_label_ = new QLabel(this);
  position_label_->setGeometry(326, 453, 46, 15);
  position_label_->setText(QStringLiteral("1行0列"));
  position_label_->adjustSize();
  position_caption_ = position_label_->text();

  // In the free space right of the window keys and left of the keypad, under the letter keys,
  // and under the window keys.
  draft_label_ = new MessageLabel(this, QStringLiteral("下書きの状況"), {266, 466, 184, 84});
  learning_label_ = new MessageLabel(this, QStringLiteral("学習の状況"), {456, 528, 214, 28});
  send_label_ = new MessageLabel(this, QStringLiteral("送信の状況"), {56, 504, 206, 52});

  mode_status_ = new ModeStatus(this, QPoint(62, 394));

  candidate_strip_widget_ = new CandidateStripWidget(this);
  candidate_strip_widget_->setGeometry(22, 46, 362, 66);
  ClickFilter::install(candidate_strip_widget_);
  connect(candidate_strip_widget_, &CandidateStripWidget::chosen, this, [this](int index) {
    before_key();
    // Right after a confirmation the strip holds the words offered to follow it.
    if (candidate_strip_widget_->offers()) {
      keypad_.choose_offer(index);
    } else {
      keypad_.choose_candidate(index);
    }
  });
  connect(candidate_strip_widget_, &CandidateStripWidget::prediction_chosen, this,
          [this](int index) {
            before_key();
            keypad_.choose_prediction(index);
          });

  text_display_->setAccessibleName(QStringLiteral("入力テキスト"));
  name_scroll_bars(text_display_, text_display_->accessibleName());
  text_display_->setAccessibleDescription(
      QStringLiteral("キーで入力した文章。クリックでカーソルを置く"));
  create_window();
  if (draft == Draft::kept) {
    draft_keeper_ = std::make_unique<DraftKeeper>();
    connect(draft_keeper_.get(), &DraftKeeper::note_changed, this, &MainWindow::show_draft_note);
    draft_keeper_->load(engine_, *this);
    // The session ending or the application quitting by any road writes the draft too.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &MainWindow::save_draft);
    connect(qApp, &QGuiApplication::commitDataRequest, this, &MainWindow::save_draft);
  }
  if (Delivery::open_before_showing()) {
    open_routes();
  } else {
    desktop_before_ = Delivery::desktop_before();
  }
  refresh_extras();

  if (auto* dispatcher = QAbstractEventDispatcher::instance()) {
    connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &MainWindow::idle_pass);
  }
}

MainWindow::~MainWindow() = default;

// 送る's routes, opened once the first frame is on the screen (the libraries they load are not
// waited for at start), or at the first need before that.
void MainWindow::open_routes() {
  if (send_control_) return;
  send_control_ = std::make_unique<SendControl>(Delivery::routes(this, send_via_, desktop_before_));
  connect(send_control_.get(), &SendControl::progress, this, [this](int delivered, int total) {
    send_label_->say(QStringLiteral("送信中 %1 / %2 文字").arg(delivered).arg(total), {}, false);
  });
  connect(send_control_.get(), &SendControl::finished, this, &MainWindow::sending_finished);
}

void MainWindow::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  if (!send_control_) QTimer::singleShot(0, this, &MainWindow::open_routes);
}

SymbolPicker* MainWindow::symbol_picker() {
  if (symbol_picker_) return symbol_picker_;
  symbol_picker_ = new SymbolPicker(this, text_display_->size());
  symbol_picker_->move(text_display_->pos());
  symbol_picker_->hide();
  symbol_picker_->installEventFilter(this);
  connect(symbol_picker_, &SymbolPicker::symbol_picked, this, [this](SymbolPage page, int index) {
    before_key();
    keypad_.pick_symbol(page, index);
  });
  connect(symbol_picker_, &SymbolPicker::page_chosen, this,
          [this](SymbolPage page) { keypad_.choose_symbol_page(page); });
  return symbol_picker_;
}

// The quit, delete-all, copy and 元に戻す push buttons under the keypad.
void MainWindow::add_window_key(const KeyInfo& info) {
  auto* button = new QPushButton(from_utf8(info.caption), this);
  button->setGeometry(rect_of(info.place));
  button->setFocusPolicy(Qt::NoFocus);
  button->setFont(ui_font(info.look == CaptionLook::small ? 12 : 15));
  QPalette palette = button->palette();
  palette.setColor(QPalette::ButtonText, info.look == CaptionLook::warning ? Qt::red : Qt::black);
  button->setPalette(palette);
  button->setAccessibleName(from_utf8(info.name));
  button->setAccessibleDescription(from_utf8(info.description));
  ClickFilter::install(button, ClickFilter::Buttons::all_as_left);
  const int number = info.number;
  const auto act = [this, number] { window_key_pressed(number); };
  if (info.acts_on_press) {
    connect(button, &QPushButton::pressed, this, act);
  } else {
    connect(button, &QPushButton::clicked, this, act);
  }
  window_keys_[number - key::quit] = button;
}

QPushButton* MainWindow::window_key(int number) const {
  const int index = number - key::quit;
  return index >= 0 && index < static_cast<int>(window_keys_.size()) ? window_keys_[index]
                                                                     : nullptr;
}

// Quit, copy and 送る are the window's own; delete-all and 元に戻す go to the keypad. Any key
// but 送る stops a delivery first (SendControl::key_pressed).
void MainWindow::window_key_pressed(int number) {
  if (number == key::pause || number == key::settings) return;  // AccessInput's own
  if (number == key::send) {
    send_text();
    return;
  }
  if (send_control_) send_control_->key_pressed();
  switch (number) {
    case key::quit:
      close();
      return;
    case key::copy:
      copy_to_clipboard();
      return;
    default:
      before_key();
      keypad_.press(number);
      return;
  }
}

void MainWindow::create_window() {
  key_bitmap = QPixmap(kFaceSize, kFaceSize);
  clear_key_bitmap();
  engine_.initialise();
  text_display_->setFocus();
}

void MainWindow::clear_key_bitmap() {
  key_bitmap.fill(palette().color(QPalette::Button));
}

// ---- View ---------------------------------------------------------------------------------

void MainWindow::edit_text(TextChange change, std::string_view inserted) {
  text_display_->edit_text(change, inserted);
}
void MainWindow::set_segments(std::span<const Segment> segments) {
  text_display_->set_segments(segments);
}
void MainWindow::set_caret(int position) {
  text_display_->set_caret(position);
}
int MainWindow::caret() const {
  return text_display_->caret();
}
void MainWindow::set_focus() {
  if (symbol_picker_visible()) {
    symbol_picker_->setFocus();
  } else {
    text_display_->setFocus();
  }
}
int MainWindow::caret_line_start() {
  return text_display_->caret_line_start();
}
int MainWindow::caret_line_number() {
  return text_display_->caret_line_number();
}
void MainWindow::repaint() {
  text_display_->viewport()->update();
}

void MainWindow::set_position_label(std::string_view caption) {
  position_caption_ = to_qstring(caption);
  if (limit_sign_) return;
  position_label_->setText(position_caption_);
  position_label_->adjustSize();
}

void MainWindow::key_refused() {
  limit_sign_ = true;
  position_label_->setText(QStringLiteral("上限 1,000,000 文字"));
  position_label_->adjustSize();
  QApplication::beep();
}

// Every key, click and pick stops a delivery and ends the sign of a refused key.
void MainWindow::before_key() {
  if (send_control_) send_control_->key_pressed();
  if (!limit_sign_) return;
  limit_sign_ = false;
  position_label_->setText(position_caption_);
  position_label_->adjustSize();
}

void MainWindow::set_indicator(Indicator indicator, IndicatorLook look) {
  mode_status_->set_look(indicator, look);
}

void MainWindow::set_key_face(int key, const Face& face) {
  if (key < 0 || key >= static_cast<int>(keys_.size()) || !keys_[key] || key_bitmap.isNull()) {
    return;
  }
  // Faces are painted at the screen's pixel density, so they stay crisp when scaled.
  const qreal ratio = devicePixelRatioF();
  if (key_bitmap.devicePixelRatio() != ratio) {
    key_bitmap = QPixmap(QSize(kFaceSize, kFaceSize) * ratio);
    key_bitmap.setDevicePixelRatio(ratio);
  }
  clear_key_bitmap();
  QPainter painter(&key_bitmap);
  for (int i = 0; i < face.count; ++i) {
    const Mark& mark = face.marks[i];
    QFont font = ui_font(12, true);
    font.setPointSize(mark.points);
    painter.setFont(font);
    painter.setPen(QColor(mark.colour.r, mark.colour.g, mark.colour.b));
    painter.drawText(QRect(mark.x, mark.y, kFaceSize * 2, kFaceSize * 2),
                     Qt::AlignLeft | Qt::AlignTop, to_qstring(mark.text));
  }
  painter.end();
  keys_[key]->set_face(key_bitmap.copy());  // each key keeps its own copy
}

void MainWindow::set_caption_held(int key, bool held) {
  if (key < 0 || key >= static_cast<int>(keys_.size()) || !keys_[key]) return;
  keys_[key]->set_caption_colour(held ? QColor(0, 255, 0) : QColor(Qt::black));
}

void MainWindow::fill_symbol_grid() {
  symbol_picker()->fill_symbol_grid();
}

// The picker takes the display's place, and the keyboard focus with it: the keys typed work as
// they do from the display.
void MainWindow::show_symbol_picker() {
  symbol_picker()->show();
  symbol_picker_->raise();
  symbol_picker_->setFocus();
  text_display_->hide();
}

void MainWindow::hide_symbol_picker() {
  text_display_->show();
  text_display_->setFocus();
  if (symbol_picker_) symbol_picker_->hide();
}
bool MainWindow::symbol_picker_visible() const {
  return symbol_picker_ && symbol_picker_->isVisible();
}
void MainWindow::set_symbol_page_highlight(SymbolPage page) {
  symbol_picker()->set_page_highlight(page);
}

// ---- Handlers -----------------------------------------------------------------------------

void MainWindow::idle_pass() {
  keypad_.idle();
  refresh_extras();
  if (draft_keeper_) draft_keeper_->schedule();
}

// ---- The draft ----------------------------------------------------------------------------

void MainWindow::save_draft() {
  if (draft_keeper_) draft_keeper_->save_now();
}

void MainWindow::show_draft_note(const QString& note, const QString& details) {
  draft_label_->say(note, details);
}

void MainWindow::show_learning_problem(const LearningProblem& problem) {
  if (learning_label_->isVisible()) return;
  learning_label_->say(to_qstring(problem.message()), QString::fromLocal8Bit(problem.details));
}

// The candidate strip, the undo key, the keys' descriptions and the spoken mode follow the
// engine.
void MainWindow::refresh_extras() {
  candidate_strip_widget_->set_strip(keypad_.strip());
  undo_key()->setEnabled(engine_.can_undo_delete_all());
  describe_letter_keys();
  mode_status_->announce();
}

// Each letter key tells assistive tools the characters it types in the current mode, separated
// by spaces: 、 and , are characters of key Z, while a space is always spoken by name.
void MainWindow::describe_letter_keys() {
  if (engine_.state().input_mode == described_mode_ && engine_.is_caps() == described_caps_) return;
  described_mode_ = engine_.state().input_mode;
  described_caps_ = engine_.is_caps();
  for (int n = key::first_letter; n <= key::last_letter; ++n) {
    QStringList typed;
    for (std::string_view c : letter_key_characters(n, *described_mode_, described_caps_)) {
      typed << spoken(c);
    }
    keys_[n]->setAccessibleDescription(typed.isEmpty() ? QStringLiteral("入力なし")
                                                       : typed.join(QLatin1Char(' ')));
  }
}

void MainWindow::copy_to_clipboard() {
  const int caret = text_display_->caret();
  QClipboard* clipboard = QGuiApplication::clipboard();
  const QString text = to_qstring(keypad_.copy_text());
  clipboard->setText(text, QClipboard::Clipboard);
  if (clipboard->supportsSelection()) clipboard->setText(text, QClipboard::Selection);
  text_display_->set_caret(caret);
  text_display_->setFocus();
}

// ---- 送る ------------------------------------------------------------------------------------

void MainWindow::send_text() {
  open_routes();
  if (!send_control_->clicked()) return;
  before_key();
  const QString text = to_qstring(keypad_.begin_send());
  refresh_extras();
  if (text.isEmpty()) {
    show_send_message(QStringLiteral("送る文章がありません"));
    return;
  }
  send_key()->setText(QStringLiteral("止める(&S)"));
  send_control_->start(text);
}

// What arrived leaves the text as after 消去 (元に戻す brings it back); the rest stays.
void MainWindow::sending_finished(Delivery::Outcome outcome, int delivered, int total) {
  send_key()->setText(from_utf8(find_key(key::send)->caption));
  keypad_.sent(static_cast<std::size_t>(delivered));
  refresh_extras();
  const QString message = Delivery::message(outcome, delivered, total);
  show_send_message(message);
  qInfo("lumeta: %s", qPrintable(message));
  text_display_->setFocus();
}

void MainWindow::show_send_message(const QString& message) {
  send_label_->say(message);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (send_control_) send_control_->key_pressed();
  // The draft is written for the last time: its lock goes, for the next start.
  if (draft_keeper_) draft_keeper_->close();
  key_bitmap = QPixmap();  // no face is painted after this
  event->accept();
  if (symbol_picker_) symbol_picker_->hide();
  qApp->quit();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == about_label_) {
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
      about_label_->setText(kAboutText);
      about_label_->adjustSize();
    } else if (event->type() == QEvent::Leave) {
      about_label_->setText(kAboutCaption);
      about_label_->adjustSize();
    }
    return false;
  }
  if (watched == text_display_ || watched == symbol_picker_) {
    if (event->type() == QEvent::KeyPress) return physical_key_down(static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::KeyRelease) return physical_key_up(static_cast<QKeyEvent*>(event));
  }
  return QWidget::eventFilter(watched, event);
}

// A physical key works its on-screen key: the pointer goes to the key's centre and the press
// reaches that key through the ordinary event path, so it runs exactly the key's own press and
// release handling. Nothing is ever clicked outside Lumeta's keys. Where the platform lets no
// program move the pointer (Wayland), the key gets its press and its release all the same and
// the pointer stays where the user left it.
bool MainWindow::physical_key_down(QKeyEvent* event) {
  const KeyInfo* info = find_key_by_keyboard(event->key());
  if (info && info->kind != KeyKind::window && keys_[info->number]) {
    if (held_by_keyboard_) release_through_pointer(held_by_keyboard_);
    held_by_keyboard_ = keys_[info->number];
    press_through_pointer(held_by_keyboard_);
  }
  return true;  // no typed character, arrow or page key ever reaches the display
}

bool MainWindow::physical_key_up(QKeyEvent* event) {
  if (releases_held_key(event->key()) && held_by_keyboard_) {
    KeyButton* key = held_by_keyboard_;
    held_by_keyboard_ = nullptr;
    release_through_pointer(key);
  }
  return true;
}

void MainWindow::press_through_pointer(KeyButton* key) {
  const QPoint centre = key->rect().center();
  const QPoint global = key->mapToGlobal(centre);
  if (pointer_can_be_moved()) QCursor::setPos(global);
  QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(key, &press);
}

void MainWindow::release_through_pointer(KeyButton* key) {
  const QPoint centre = key->rect().center();
  QMouseEvent release(QEvent::MouseButtonRelease, centre, key->mapToGlobal(centre), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(key, &release);
}

}  // namespace lumeta
