// The keypad as the window works it, without painting: the key list, what a press and a
// release of each key do, delete-all, and the window's idle pass. The window, the replay tool
// and the tests all drive the engine through this.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "conversion.h"
#include "engine.h"
#include "next_words.h"

namespace lumeta {

// How a key is worked: a letter key (painted face, multi-tap), a key with a written caption
// that turns green while held, the centre key and the case key (painted faces), or one of the
// window's own push buttons under the keypad.
enum class KeyKind { letter, caption, centre, case_key, window };

// Where the window puts a key, in window pixels.
struct KeyPlace {
  int left, top, width, height;
};

// How the window shows a push button's caption.
enum class CaptionLook { plain, warning, small };  // black 15 pt, red 15 pt, black 12 pt

// The physical keys that work the on-screen keys, by Qt's key codes (Qt::Key_A is 'A'; the
// window checks the others against Qt's names). The key list is the one place that says which
// key works which.
namespace keyboard {
inline constexpr int none = 0;
inline constexpr int backspace = 0x01000003, enter = 0x01000004, keypad_enter = 0x01000005;
inline constexpr int control = 0x01000021;
inline constexpr int left = 0x01000012, up = 0x01000013, right = 0x01000014, down = 0x01000015;
}  // namespace keyboard

// Everything about one key: the keypad, the replay tool and the window take it all from here.
struct KeyInfo {
  int number;              // its key:: number
  std::string_view token;  // the replay tool's name for it
  KeyKind kind;
  void (*operation)(Engine&);   // what a press runs; none for the window's own keys
  std::array<int, 2> keyboard;  // the physical keys that work it (keyboard::); none: {}
  std::string_view caption;     // UTF-8 caption of a caption or window key
  KeyPlace place;
  // For assistive tools (UTF-8). A letter key's description follows the mode and is made from
  // the characters it types.
  std::string_view name;
  std::string_view description;
  // A window key acts on its press (delete-all) rather than on its click.
  bool acts_on_press = false;
  CaptionLook look = CaptionLook::plain;
};

std::span<const KeyInfo> key_list();
const KeyInfo* find_key(int number);
const KeyInfo* find_key_by_token(std::string_view token);
// The key a physical key works, by its Qt key code; none for a key the keypad ignores.
const KeyInfo* find_key_by_keyboard(int qt_key);

// Every choice the user confirms goes to the learning store of its conversion settings.
class Keypad : private ChoiceListener {
 public:
  Keypad(Engine& engine, View& view);
  ~Keypad() override;
  Keypad(const Keypad&) = delete;
  Keypad& operator=(const Keypad&) = delete;

  void press(int key);
  void release(int key);
  void click(int key) {
    press(key);
    release(key);
  }

  // The delete-all key acts on its press; 元に戻す (key::undo) is pressed like any key too.
  void delete_all();
  // The key beside it brings back what the last delete-all erased.
  void undo_delete_all();

  // A click on candidate `index` (1-based) of the strip: shown as if ↓ had reached it, then
  // confirmed as by the centre key. Nothing happens for a number the strip does not show.
  void choose_candidate(int index);
  // A click on prediction `index` (1-based) of the strip's first page: it takes the place of the
  // whole pending reading and is confirmed, as a clicked candidate is. Nothing happens for a
  // number the strip does not show.
  void choose_prediction(int index);
  // What the strip offers now: right after a word is confirmed, the words offered to follow it
  // (`offers` set); otherwise the candidates, and the predictions that fit its first page.
  CandidateStrip strip() const;
  // A click on offer `index` (1-based) of the strip: the word is inserted at the caret,
  // confirmed, and the strip offers what may follow it. Nothing happens for a number the
  // strip does not offer.
  void choose_offer(int index);
  // How conversion works here: the dictionaries ↓ consults, the learning store, predictions on
  // or off (by default the large dictionary, no learning, predictions on). Set before use;
  // the candidates, predictions and offers read them at each key.
  ConversionSettings& conversion() { return conversion_; }
  const ConversionSettings& conversion() const { return conversion_; }

  // The chain of confirmed words and its offers; its sources are this keypad's learning store
  // and lexicon (next_words.h) unless set otherwise.
  NextWords& next_words() { return next_words_; }
  const NextWords& next_words() const { return next_words_; }

  // A click on cell `index` (from 0) of the symbol picker's page `page`; nothing while the
  // dialog is hidden or the page has no such cell.
  void pick_symbol(SymbolPage page, int index);
  // A click on the name of the symbol picker's page `page`: that page is shown, as ↓ and ↑
  // would reach it; nothing while the dialog is hidden.
  void choose_symbol_page(SymbolPage page);

  // What the copy key puts on the clipboard: the whole display text, each CR LF a lone LF
  // (Shift-JIS).
  std::string copy_text() const;

  // 送る, in two steps around the delivery. begin_send confirms what is pending exactly as shown
  // (as a click in the text does) and returns the text to deliver, as copy_text gives it. When
  // the delivery ends, sent(n) is told how many characters of it arrived (a line break is one):
  // they leave the text as after delete-all, so 元に戻す brings them back, and the rest stays.
  // With あいう on display: begin_send() gives あいう; sent(3) empties the text, sent(1) leaves
  // いう, sent(0) changes nothing.
  std::string begin_send();
  void sent(std::size_t chars);

  // Runs whenever the event queue empties: a caret moved since the last pass refreshes the
  // position label.
  void idle();

  // A pointer click in the display: what is pending is confirmed as shown (as the centre key
  // confirms, without a line break), the caret goes to `position`, or before the character it
  // falls inside, and that place becomes the insertion point, as after the release of an arrow
  // key.
  void place_caret(int position);

  // The caret where the idle pass last saw it (a byte offset; -1 before the first pass).
  int last_caret() const { return last_caret_; }

 private:
  void refresh_caret();
  void choice_confirmed(std::string_view reading, std::string_view spelling) override;
  // Whatever is unconfirmed is confirmed as shown, as the centre key confirms without a line
  // break; the text on display stays as it is.
  void confirm_what_is_shown();
  bool reading_pending() const { return engine_.composition_length() > 0; }

  Engine& engine_;
  View& view_;
  ConversionSettings conversion_;
  NextWords next_words_;
  int last_caret_ = -1;
};

}  // namespace lumeta
