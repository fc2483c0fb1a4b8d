// The main window: the handset picture, the text display, the keypad, the indicators, the
// position and about labels and the quit, copy and delete-all keys. It shows what the engine
// tells it through View and hands every key press and release to the keypad; it decides
// nothing about input itself.
#pragma once

#include <QElapsedTimer>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "candidate_strip_widget.h"
#include "delivery.h"
#include "draft_keeper.h"
#include "engine.h"
#include "handset_picture.h"
#include "key_button.h"
#include "keypad.h"
#include "learning_store.h"
#include "message_label.h"
#include "mode_status.h"
#include "send_control.h"
#include "symbol_picker.h"
#include "text_display.h"
#include "view.h"

namespace lumeta {

class MainWindow : public QWidget, public View {
  Q_OBJECT

 public:
  // The program keeps the user's draft (DraftKeeper); tools, benchmarks and demonstrations
  // that type into a window of their own leave it alone.
  enum class Draft { none, kept };
  // `send_via` names the routes 送る may use (all the desktop offers, by default).
  explicit MainWindow(Draft draft = Draft::none, SendVia send_via = SendVia::automatic);
  ~MainWindow() override;

  // View.
  void edit_text(TextChange change, std::string_view inserted) override;
  void set_segments(std::span<const Segment> segments) override;
  void set_caret(int position) override;
  int caret() const override;
  void set_focus() override;
  int caret_line_start() override;
  int caret_line_number() override;
  void repaint() override;
  void set_position_label(std::string_view caption) override;
  void key_refused() override;
  void set_indicator(Indicator indicator, IndicatorLook look) override;
  void set_key_face(int key, const Face& face) override;
  void set_caption_held(int key, bool held) override;
  void fill_symbol_grid() override;
  void show_symbol_picker() override;
  void hide_symbol_picker() override;
  bool symbol_picker_visible() const override;
  void set_symbol_page_highlight(SymbolPage page) override;

  // The idle notification: runs whenever the event queue has emptied.
  void idle_pass();

  // The window's parts, for the tests and the benchmarks.
  Engine& engine() { return engine_; }
  Keypad& keypad() { return keypad_; }
  TextDisplay* display() const { return text_display_; }
  KeyButton* key(int number) const { return keys_[number]; }
  QPushButton* window_key(int number) const;  // key::quit .. key::send
  QPushButton* quit_key() const { return window_key(key::quit); }
  QPushButton* copy_key() const { return window_key(key::copy); }
  QPushButton* delete_all_key() const { return window_key(key::delete_all); }
  QPushButton* undo_key() const { return window_key(key::undo); }
  QPushButton* send_key() const { return window_key(key::send); }
  // What 送る last said: its progress, or how the delivery ended.
  MessageLabel* send_label() const { return send_label_; }
  // 送る's routes, once opened (after the first frame, or at the first 送る).
  SendControl* send_control() const { return send_control_.get(); }
  CandidateStripWidget* candidate_strip_widget() const { return candidate_strip_widget_; }
  QLabel* position_label() const { return position_label_; }
  QLabel* about_label() const { return about_label_; }
  MessageLabel* draft_label() const { return draft_label_; }
  // Says quietly under the keys, once, what the learning store reported; the details in the
  // tooltip.
  void show_learning_problem(const LearningProblem& problem);
  MessageLabel* learning_label() const { return learning_label_; }
  // Writes the draft now and waits for it, if the text or its caret changed since the last
  // write (at quit, and for the tests).
  void save_draft();
  QLabel* indicator(Indicator i) const { return mode_status_->indicator(i); }
  ModeStatus* mode_status() const { return mode_status_; }
  // The symbol picker, made when symbol mode first opens it (or here at the first need).
  SymbolPicker* symbol_picker();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void open_routes();

 private:
  void create_window();
  void add_window_key(const KeyInfo& info);
  void window_key_pressed(int number);
  void copy_to_clipboard();
  // 送る: starts a delivery of the whole text, or stops the one that runs.
  void send_text();
  void sending_finished(Delivery::Outcome outcome, int delivered, int total);
  void show_send_message(const QString& message);
  void clear_key_bitmap();
  bool physical_key_down(QKeyEvent* event);
  bool physical_key_up(QKeyEvent* event);
  void press_through_pointer(KeyButton* key);
  void describe_letter_keys();
  void refresh_extras();
  void release_through_pointer(KeyButton* key);
  void before_key();
  // Says something about the draft under the keys, quietly; the details in the tooltip.
  void show_draft_note(const QString& note, const QString& details);

  HandsetPicture* handset_picture_;
  TextDisplay* text_display_;
  std::array<KeyButton*, kKeyCount + 1> keys_{};  // by key number; none for 17
  std::array<QPushButton*, key::last - key::quit + 1> window_keys_{};
  QLabel* about_label_;
  QLabel* position_label_;
  ModeStatus* mode_status_;
  SymbolPicker* symbol_picker_ = nullptr;
  CandidateStripWidget* candidate_strip_widget_;
  std::optional<InputMode> described_mode_;
  bool described_caps_ = false;
  QPixmap key_bitmap;
  KeyButton* held_by_keyboard_ = nullptr;

  // The position label shows "上限 1,000,000 文字" after a refused key until the next key;
  // the caption the engine set meanwhile waits here.
  bool limit_sign_ = false;
  QString position_caption_;

  std::unique_ptr<DraftKeeper> draft_keeper_;  // only when the draft is kept
  MessageLabel* draft_label_;
  MessageLabel* learning_label_;

  SendVia send_via_;
  DesktopBefore desktop_before_;
  std::unique_ptr<SendControl> send_control_;
  MessageLabel* send_label_;

  Engine engine_{*this};
  Keypad keypad_{engine_, *this};
};

}  // namespace lumeta
