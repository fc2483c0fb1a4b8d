#include "tform1.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QPainter>

#include "click_filter.h"
#include "conversion.h"
#include "qt_text.h"
#include "ui_font.h"

namespace lumeta {
namespace {

constexpr QSize kClientSize(677, 556);

// The indicator labels, in Indicator order: caption, left, width.
struct IndicatorPlace {
  const char* caption;
  int left;
  int width;
};
constexpr std::array<IndicatorPlace, kIndicatorCount> kIndicatorPlaces = {{
    {"全", 288, 23},
    {"半", 315, 23},
    {"ローマ", 62, 63},
    {"数", 226, 23},
    {"英", 133, 23},
    {"大", 201, 23},
    {"小", 252, 23},
    {"記", 160, 23},
}};

// Qt's key codes to the Windows virtual-key codes the key list uses. Letters share their code.
struct KeyCode {
  int qt;
  int virtual_key;
};
constexpr int kSpaceKey = 32;
constexpr std::array<KeyCode, 9> kKeyCodes = {{
    {Qt::Key_Backspace, 8},
    {Qt::Key_Return, 13},
    {Qt::Key_Enter, 13},
    {Qt::Key_Control, 17},
    {Qt::Key_Left, 37},
    {Qt::Key_Up, 38},
    {Qt::Key_Right, 39},
    {Qt::Key_Down, 40},
    {Qt::Key_Space, kSpaceKey},
}};

int virtual_key(int qt_key) {
  for (const KeyCode& code : kKeyCodes) {
    if (code.qt == qt_key) return code.virtual_key;
  }
  return qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z ? qt_key : 0;
}

// Space presses no key, but its release lets go of a key held from the keyboard, as the
// release of any mapped key does.
bool releases_held_key(int vk) {
  return vk == kSpaceKey || (vk != 0 && find_key_by_keyboard(vk) != nullptr);
}

QString from_utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QRect rect_of(const KeyPlace& place) {
  return {place.left, place.top, place.width, place.height};
}

const QString kAboutCaption = QStringLiteral("バージョン情報");
const QString kAboutText = QStringLiteral("Lumeta " LUMETA_VERSION
                                          "\nポインタだけで日本語を入力\n© 2026 Lumeta developers");

}  // namespace

TForm1::TForm1(Draft draft) : keeps_draft_(draft == Draft::kept) {
  setWindowTitle(QStringLiteral("Lumeta"));
  setFixedSize(kClientSize);
  move(6, 1);
  setFont(ui_font(15));

  Image1 = new HandsetPicture(this);
  Image1->setGeometry(8, 8, 433, 433);

  RichEdit1 = new TextDisplay(this);
  RichEdit1->setGeometry(54, 120, 298, 272);
  RichEdit1->installEventFilter(this);
  connect(RichEdit1, &TextDisplay::clicked, this, [this](int position) {
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

  Label1 = new QLabel(kAboutCaption, this);
  Label1->move(56, 488);
  Label1->adjustSize();
  Label1->setMouseTracking(true);
  Label1->installEventFilter(this);

  Label10 = new QLabel(this);
  Label10->setGeometry(280, 446, 46, 15);
  Label10->setText(QStringLiteral("1行0列"));
  Label10->adjustSize();
  position_caption_ = Label10->text();

  draft_label_ = new QLabel(this);
  draft_label_->move(270, 478);
  draft_label_->setFont(ui_font(12));
  draft_label_->setStyleSheet(QStringLiteral("color: #666"));
  draft_label_->hide();

  for (int i = 0; i < kIndicatorCount; ++i) {
    QLabel* label = new QLabel(QString::fromUtf8(kIndicatorPlaces[i].caption), this);
    label->setGeometry(kIndicatorPlaces[i].left, 394, kIndicatorPlaces[i].width, 23);
    label->setFont(ui_font(23));
    label->setAlignment(Qt::AlignCenter);
    label->setAutoFillBackground(true);
    indicators_[i] = label;
    set_indicator(static_cast<Indicator>(i), IndicatorLook::unlit);
  }

  candidate_bar_ = new CandidateBar(this);
  candidate_bar_->setGeometry(22, 46, 362, 66);
  ClickFilter::install(candidate_bar_);
  connect(candidate_bar_, &CandidateBar::chosen, this, [this](int index) {
    before_key();
    keypad_.choose_candidate(index);
  });

  Form2 = new TForm2(this);
  Form2->hide();
  connect(Form2, &TForm2::symbol_picked, this, [this](int page, int index) {
    before_key();
    keypad_.pick_symbol(page, index);
  });

  RichEdit1->setAccessibleName(QStringLiteral("入力テキスト"));
  RichEdit1->setAccessibleDescription(
      QStringLiteral("キーで入力した文章。クリックでカーソルを置く"));
  FormCreate();
  if (keeps_draft_) {
    load_draft();
    draft_writer_ = std::make_unique<DraftWriter>(draft_.path());
    connect(draft_writer_.get(), &DraftWriter::written, this, &TForm1::draft_written);
    draft_timer_.setSingleShot(true);
    draft_timer_.setInterval(1000);
    connect(&draft_timer_, &QTimer::timeout, this, &TForm1::queue_draft);
    // The session ending or the application quitting by any road writes the draft too.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &TForm1::save_draft);
    connect(qApp, &QGuiApplication::commitDataRequest, this, &TForm1::save_draft);
  }
  refresh_extras();

  if (auto* dispatcher = QAbstractEventDispatcher::instance()) {
    connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
            &TForm1::ApplicationEvents1Idle);
  }
}

TForm1::~TForm1() = default;

// The quit, delete-all, copy and 元に戻す push buttons under the keypad.
void TForm1::add_window_key(const KeyInfo& info) {
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

QPushButton* TForm1::window_key(int number) const {
  const int index = number - key::quit;
  return index >= 0 && index < static_cast<int>(window_keys_.size()) ? window_keys_[index]
                                                                     : nullptr;
}

// Quit and copy are the window's own; delete-all and 元に戻す go to the keypad.
void TForm1::window_key_pressed(int number) {
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

void TForm1::FormCreate() {
  key_bitmap = QPixmap(kFaceSize, kFaceSize);
  bmp_clear();
  engine_.initialise();
  RichEdit1->setFocus();
}

void TForm1::bmp_clear() {
  key_bitmap.fill(palette().color(QPalette::Button));
}

// ---- View ---------------------------------------------------------------------------------

void TForm1::edit_text(TextChange change, std::string_view inserted) {
  RichEdit1->edit_text(change, inserted);
}
void TForm1::set_segments(std::span<const Segment> segments) {
  RichEdit1->set_segments(segments);
}
void TForm1::set_caret(int position) {
  RichEdit1->set_caret(position);
}
int TForm1::caret() const {
  return RichEdit1->caret();
}
void TForm1::set_focus() {
  RichEdit1->setFocus();
}
int TForm1::caret_line_start() {
  return RichEdit1->caret_line_start();
}
int TForm1::caret_line_number() {
  return RichEdit1->caret_line_number();
}
void TForm1::repaint() {
  RichEdit1->viewport()->update();
}

void TForm1::set_position_label(std::string_view caption) {
  position_caption_ = to_qstring(caption);
  if (limit_sign_) return;
  Label10->setText(position_caption_);
  Label10->adjustSize();
}

void TForm1::key_refused() {
  limit_sign_ = true;
  Label10->setText(QStringLiteral("上限 1,000,000 文字"));
  Label10->adjustSize();
  QApplication::beep();
}

// Every key, click and pick ends the sign of a refused key.
void TForm1::before_key() {
  if (!limit_sign_) return;
  limit_sign_ = false;
  Label10->setText(position_caption_);
  Label10->adjustSize();
}

void TForm1::set_indicator(Indicator indicator, IndicatorLook look) {
  QLabel* label = indicators_[static_cast<int>(indicator)];
  QPalette palette = label->palette();
  const QColor background = look == IndicatorLook::lit ? QColor(Qt::black)
                            : look == IndicatorLook::white
                                ? QColor(Qt::white)
                                : this->palette().color(QPalette::Button);
  palette.setColor(QPalette::Window, background);
  palette.setColor(QPalette::WindowText, Qt::white);
  label->setPalette(palette);
  label->setAccessibleDescription(look == IndicatorLook::lit ? QStringLiteral("点灯")
                                                             : QStringLiteral("消灯"));
}

void TForm1::set_key_face(int key, const Face& face) {
  if (key < 0 || key >= static_cast<int>(keys_.size()) || !keys_[key] || key_bitmap.isNull()) {
    return;
  }
  // Faces are painted at the screen's pixel density, so they stay crisp when scaled.
  const qreal ratio = devicePixelRatioF();
  if (key_bitmap.devicePixelRatio() != ratio) {
    key_bitmap = QPixmap(QSize(kFaceSize, kFaceSize) * ratio);
    key_bitmap.setDevicePixelRatio(ratio);
  }
  bmp_clear();
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

void TForm1::set_caption_held(int key, bool held) {
  if (key < 0 || key >= static_cast<int>(keys_.size()) || !keys_[key]) return;
  keys_[key]->set_caption_colour(held ? QColor(0, 255, 0) : QColor(Qt::black));
}

void TForm1::fill_symbol_grid() {
  Form2->fill_symbol_grid();
}

void TForm1::show_symbol_dialog() {
  // Beside the display: the window's outer corner plus the display's place, 4 right, 25 down.
  Form2->move(frameGeometry().topLeft() + RichEdit1->pos() + QPoint(4, 25));
  Form2->show();
  Form2->raise();
  Form2->activateWindow();
}

void TForm1::hide_symbol_dialog() {
  Form2->hide();
}
bool TForm1::symbol_dialog_visible() const {
  return Form2->isVisible();
}
void TForm1::set_symbol_page_highlight(int page) {
  Form2->set_page_highlight(page);
}

// ---- Handlers -----------------------------------------------------------------------------

void TForm1::ApplicationEvents1Idle() {
  keypad_.idle();
  refresh_extras();
  schedule_draft();
}

// ---- The draft ----------------------------------------------------------------------------

// At start the text area is empty; a draft kept from an earlier run waits behind 元に戻す.
void TForm1::load_draft() {
  std::string text;
  int caret = 0;
  switch (draft_.load(text, caret)) {
    case DraftFile::Loaded::loaded:
      engine_.keep_for_undo(std::move(text));
      break;
    case DraftFile::Loaded::set_aside:
      draft_label_->setText(QStringLiteral("前回の下書きは読めないため .bad に移しました"));
      draft_label_->adjustSize();
      draft_label_->show();
      break;
    case DraftFile::Loaded::none:
      break;
  }
  draft_written_ = draft_state();
}

TForm1::DraftState TForm1::draft_state() const {
  return {engine_.display().version(), RichEdit1->caret(), engine_.kept_for_undo().size()};
}

void TForm1::schedule_draft() {
  if (keeps_draft_ && draft_state() != draft_written_ && !draft_timer_.isActive())
    draft_timer_.start();
}

// The draft holds what 元に戻す would give back: the text kept for it, then the text on
// display. It is written on a thread of its own, so a key never waits for the disk.
bool TForm1::queue_draft() {
  if (!draft_writer_) return false;
  draft_timer_.stop();
  const DraftState state = draft_state();
  if (state == draft_written_) return false;
  const std::string& kept = engine_.kept_for_undo();
  std::string text;
  text.reserve(kept.size() + engine_.display().text().size());
  text += kept;
  text += engine_.display().text();
  draft_writer_->write(std::move(text), static_cast<int>(kept.size()) + state.caret);
  draft_written_ = state;
  return true;
}

void TForm1::save_draft() {
  if (!queue_draft()) return;
  draft_writer_->wait();
  // The write's outcome is on its way through the event queue; take it now.
  QCoreApplication::sendPostedEvents(draft_writer_.get(), QEvent::MetaCall);
}

// A failure never stops typing; it is shown once, quietly, under the keys, and the next change
// tries again.
void TForm1::draft_written(bool ok, const QString& error) {
  if (ok) {
    if (draft_failed_) draft_label_->hide();
    draft_failed_ = false;
    return;
  }
  draft_written_ = {};
  if (draft_failed_) return;
  draft_failed_ = true;
  draft_label_->setText(QStringLiteral("下書きを保存できません"));
  draft_label_->setToolTip(draft_.path() + QStringLiteral(": ") + error);
  draft_label_->adjustSize();
  draft_label_->show();
}

// The candidate strip, the undo key and the keys' descriptions follow the engine.
void TForm1::refresh_extras() {
  candidate_bar_->set_strip(candidate_strip(engine_));
  undo_key()->setEnabled(engine_.can_undo_delete_all());
  describe_letter_keys();
}

// Each letter key tells assistive tools the characters it types in the current mode, separated
// by spaces: 、 and , are characters of key Z, while a space is always spoken by name.
void TForm1::describe_letter_keys() {
  if (engine_.input_mode == described_mode_ && engine_.is_caps() == described_caps_) return;
  described_mode_ = engine_.input_mode;
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

void TForm1::copy_to_clipboard() {
  const int caret = RichEdit1->caret();
  QClipboard* clipboard = QGuiApplication::clipboard();
  const QString text = to_qstring(keypad_.copy_text());
  clipboard->setText(text, QClipboard::Clipboard);
  if (clipboard->supportsSelection()) clipboard->setText(text, QClipboard::Selection);
  RichEdit1->set_caret(caret);
  RichEdit1->setFocus();
}

void TForm1::closeEvent(QCloseEvent* event) {
  save_draft();
  key_bitmap = QPixmap();  // no face is painted after this
  event->accept();
  Form2->hide();
  qApp->quit();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Label1) {
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
      Label1->setText(kAboutText);
      Label1->adjustSize();
    } else if (event->type() == QEvent::Leave) {
      Label1->setText(kAboutCaption);
      Label1->adjustSize();
    }
    return false;
  }
  if (watched == RichEdit1) {
    if (event->type() == QEvent::KeyPress) return RichEdit1KeyDown(static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::KeyRelease) return RichEdit1KeyUp(static_cast<QKeyEvent*>(event));
  }
  return QWidget::eventFilter(watched, event);
}

// A physical key works its on-screen key: the pointer goes to the key's centre and the press
// reaches that key through the ordinary event path, so it runs exactly the key's own press and
// release handling. Nothing is ever clicked outside Lumeta's keys, and where the platform
// cannot move the pointer the key still gets its press and its release.
bool TForm1::RichEdit1KeyDown(QKeyEvent* event) {
  const KeyInfo* info = find_key_by_keyboard(virtual_key(event->key()));
  if (info && info->kind != KeyKind::window && keys_[info->number]) {
    if (held_by_keyboard_) release_through_pointer(held_by_keyboard_);
    held_by_keyboard_ = keys_[info->number];
    press_through_pointer(held_by_keyboard_);
  }
  return true;  // no typed character, arrow or page key ever reaches the display
}

bool TForm1::RichEdit1KeyUp(QKeyEvent* event) {
  if (releases_held_key(virtual_key(event->key())) && held_by_keyboard_) {
    KeyButton* key = held_by_keyboard_;
    held_by_keyboard_ = nullptr;
    release_through_pointer(key);
  }
  return true;
}

void TForm1::press_through_pointer(KeyButton* key) {
  const QPoint centre = key->rect().center();
  const QPoint global = key->mapToGlobal(centre);
  QCursor::setPos(global);
  QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(key, &press);
}

void TForm1::release_through_pointer(KeyButton* key) {
  const QPoint centre = key->rect().center();
  QMouseEvent release(QEvent::MouseButtonRelease, centre, key->mapToGlobal(centre), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(key, &release);
}

}  // namespace lumeta
