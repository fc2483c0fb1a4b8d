// The draft: the user's text kept on disk so that quitting or a crash loses nothing. One file,
// $XDG_STATE_HOME/lumeta/draft.txt (by default ~/.local/state/lumeta/draft.txt), private to
// the user, replaced atomically on every save:
//
//   Lumeta draft
//   caret 6
//   あいう
//
// The caret is a byte offset into the UTF-8 text that follows the second line; the text runs
// to the end of the file, line breaks as CR LF. A draft that is damaged, not UTF-8, not
// representable in Shift-JIS or longer than the display's limit is never loaded: it is renamed
// with a ".bad" suffix and Lumeta starts without it.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace lumeta {

class DraftFile {
 public:
  explicit DraftFile(QString path = default_path());

  // $XDG_STATE_HOME/lumeta/draft.txt, or ~/.local/state/lumeta/draft.txt when XDG_STATE_HOME
  // is unset or not an absolute path.
  static QString default_path();

  const QString& path() const { return path_; }

  enum class Loaded { none, loaded, set_aside };
  // Reads the draft into `text` (Shift-JIS) and `caret` (a byte offset into it). A draft that
  // cannot be loaded whole is set aside.
  Loaded load(std::string& text, int& caret);

  // Writes `text` (Shift-JIS) with its caret. False on failure, with error() saying why.
  bool save(std::string_view text, int caret);
  const QString& error() const { return error_; }

 private:
  QString path_;
  QString error_;
};

}  // namespace lumeta
