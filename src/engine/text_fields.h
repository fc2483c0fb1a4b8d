// front_text, front_fixed and back_text of the engine state. They read and write the engine's
// one copy of the display text (DisplayText) where the caret stands, so that the familiar
// statements cost what they change: `front_fixed = front_text` records a length,
// `front_text = front_fixed + reading()` cuts back to the confirmed text and appends the
// reading, `front_text += "\r\n"` appends two bytes.
//
// Each behaves as a string value (compare it, take its size, pass it as a std::string_view).
// Copying a record that holds them copies nothing of the text: the text stays the engine's,
// and a key that has to be taken back undoes its edits there.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

namespace lumeta {

class DisplayText;
class FrontFixed;

class TextField {
 public:
  TextField() = default;
  TextField(const TextField&) {}
  TextField& operator=(const TextField&) { return *this; }
  void bind(DisplayText& text) { text_ = &text; }

 protected:
  DisplayText* text_ = nullptr;
};

// What every field reads like: a string value made of the bytes `view()` gives. FrontText,
// FrontFixed and BackText each say only where their bytes are and how they change.
template <typename Field>
class TextValue : public TextField {
 public:
  operator std::string_view() const { return field().view(); }
  bool empty() const { return field().size() == 0; }
  bool starts_with(std::string_view bytes) const { return field().view().starts_with(bytes); }
  std::size_t find(std::string_view bytes, std::size_t pos = 0) const {
    return field().view().find(bytes, pos);
  }
  friend bool operator==(const Field& f, std::string_view bytes) { return f.view() == bytes; }
  friend std::ostream& operator<<(std::ostream& out, const Field& f) { return out << f.view(); }

 private:
  const Field& field() const { return static_cast<const Field&>(*this); }
};

// front_fixed followed by more bytes, as `front_fixed + reading()` writes it.
struct FixedAnd {
  const FrontFixed& fixed;
  std::string_view tail;
  operator std::string() const;
};

class FrontText : public TextValue<FrontText> {
 public:
  FrontText& operator=(std::string_view bytes);
  FrontText& operator=(const FrontFixed& fixed);
  FrontText& operator=(const FixedAnd& value);
  FrontText& operator+=(std::string_view bytes);
  void clear();
  void drop_last_char();  // as delete_last_char does

  std::string_view view() const;
  std::size_t size() const;
};

class FrontFixed : public TextValue<FrontFixed> {
 public:
  FrontFixed& operator=(std::string_view bytes);
  FrontFixed& operator=(const FrontText& front);
  FrontFixed& operator+=(std::string_view bytes);
  FrontFixed& assign(std::string_view bytes, std::size_t pos = 0,
                     std::size_t count = std::string_view::npos) {
    return *this = bytes.substr(pos, count);
  }
  void clear();
  void drop_last_char();  // as delete_last_char does

  std::string_view view() const;
  std::size_t size() const;
  bool is_front() const;  // the whole of front_text, found without comparing bytes
};

class BackText : public TextValue<BackText> {
 public:
  BackText& operator=(std::string_view bytes);
  BackText& assign(std::string_view bytes, std::size_t pos = 0,
                   std::size_t count = std::string_view::npos) {
    return *this = bytes.substr(pos, count);
  }
  void clear() { *this = std::string_view{}; }

  std::string_view view() const;
  std::size_t size() const;
};

inline FixedAnd operator+(const FrontFixed& fixed, std::string_view tail) {
  return {fixed, tail};
}
// The field's bytes followed by `tail`, as a new string: back_text + "x".
std::string operator+(const FrontText& front, std::string_view tail);
std::string operator+(const BackText& back, std::string_view tail);

bool operator==(const FrontFixed& fixed, const FrontText& front);

}  // namespace lumeta
