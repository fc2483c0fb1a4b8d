// The draft: the user's text kept on disk so that quitting or a crash loses nothing. One file,
// $XDG_STATE_HOME/lumeta/draft.txt (by default ~/.local/state/lumeta/draft.txt), private to
// the user, replaced atomically on every save:
//
//   Lumeta draft
//   caret 6
//   kept 9
//   かきくあいう
//
// The caret is a byte offset into the text on display, which runs to the end of the file,
// line breaks as CR LF. The optional "kept" line gives the UTF-8 byte lengths of the texts kept
// for 元に戻す, which stand in front of the text on display, the one 元に戻す brings back first
// first: above, かきく (9 bytes) is kept and あいう is on display. Text never holds a lone LF,
// so a draft written before texts were kept apart reads the same. Each text is within the
// display's limit, so whatever Lumeta writes it reads back whole.
//
// Only a regular file in a folder of the user's own that nobody else can write to is read or
// written; a link is never followed. A draft that is damaged, not UTF-8, not representable in
// Shift-JIS, too long or not a regular file is never loaded: it is renamed to the first free
// name of draft.txt.bad, draft.txt.bad.1, … and Lumeta starts without it.
#pragma once

#include <sys/types.h>

#include <QString>
#include <string>
#include <string_view>
#include <vector>

namespace lumeta {

struct DraftTexts {
  std::string text;               // on display, Shift-JIS
  int caret = 0;                  // a byte offset into text
  std::vector<std::string> kept;  // for 元に戻す, the first brought back first

  // What 元に戻す offers at the next start, one text after the other: the text on display with
  // the kept texts in front of it, joined while they fit the display ("かきく" kept,
  // "あいう" shown: one text "かきくあいう"), a new text where they would not.
  std::vector<std::string> offers() const;
};

// The system calls by which a save reaches the disk. The program uses the system's own; a test
// puts one in between to fail them as a full disk does, or to see their order (the new file is
// synced before it is renamed over the draft).
class FileCalls {
 public:
  virtual ~FileCalls() = default;
  virtual ssize_t write(int fd, const void* bytes, std::size_t size);
  virtual int fsync(int fd);
  virtual int renameat(int from_dir, const char* from, int to_dir, const char* to);
  static FileCalls& system();
};

class DraftFile {
 public:
  explicit DraftFile(QString path = default_path(), FileCalls& calls = FileCalls::system());

  // $XDG_STATE_HOME/lumeta, or ~/.local/state/lumeta when XDG_STATE_HOME is unset or not an
  // absolute path; the draft is draft.txt in it.
  static QString folder_path();
  static QString default_path();

  // Makes sure `folder` is fit to keep drafts in: created 0700 (with any missing parents) when
  // missing; otherwise a folder, not a link, the user's own and writable by nobody else.
  enum class Folder { usable, unsafe, failed };
  static Folder prepare_folder(const QString& folder, QString* error = nullptr);

  const QString& path() const { return path_; }

  // Removes what saves cut short by a crash left in `folder`: .draft.txt.1234-5.tmp where no
  // process 1234 runs any more (a running window's save in progress is left alone). Returns
  // how many were removed.
  static int remove_leftovers(const QString& folder);

  // none: no draft; loaded: `draft` holds it; set_aside: it could not be loaded whole and is
  // now at set_aside_as(); left_bad: it could not be loaded and could not be moved either, so
  // it must not be written over; unsafe_folder: the folder is not private and is not used.
  enum class Loaded { none, loaded, set_aside, left_bad, unsafe_folder };
  Loaded load(DraftTexts& draft);
  const QString& set_aside_as() const { return set_aside_as_; }

  // Writes the draft to a new file beside it and renames that over the old one once it is
  // written and synced whole; on any failure the old draft stays as it was. False on failure,
  // with error() saying why.
  bool save(const DraftTexts& draft);
  bool save(std::string_view text, int caret);  // nothing kept for 元に戻す
  const QString& error() const { return error_; }

 private:
  QString path_;
  FileCalls* calls_;
  QString error_;
  QString set_aside_as_;
};

}  // namespace lumeta
