// What a delivery borrows of the keyboard map, kept on disk until it is given back, so that a
// Lumeta killed half-way (kill -9, a crash) leaves nothing changed for good: the next Lumeta on
// the same display puts those keys back as soon as it starts.
//
// The record is $XDG_RUNTIME_DIR/lumeta/borrowed-keys-DISPLAY (borrowed-keys-:0), private to
// the user (0600 in a 0700 folder, never through a link) and replaced whole, one key a line:
//
//   Lumeta borrowed keys
//   key 24 1 1 0 0 0 2 0x71 0x51      code 24 (q): XKB groups, types of the four groups, width,
//                                     then its keysyms, q and Q
//   core 200 0x0 0x0                  on a server without XKB: code 200's core keysyms
//
// A lock beside it (borrowed-keys-:0.lock, flock) is held by the Lumeta that borrows; the
// system lets it go when that process dies, however it dies. Qt-free.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumeta {

// One key as it was before it was borrowed. Example: q on a US map is {24, true, 1, {1, 0, 0,
// 0}, 2, {XK_q, XK_Q}}.
struct SavedKey {
  unsigned code = 0;
  bool xkb = true;                  // XKB's description below; otherwise `syms` are the core map's
  unsigned group_info = 0;          // XKB: groups and how they wrap
  std::array<unsigned, 4> types{};  // XKB: the key type of each group
  unsigned width = 0;               // XKB: keysyms per group
  std::vector<unsigned long> syms;

  bool operator==(const SavedKey&) const = default;
};

std::string borrowed_keys_text(const std::vector<SavedKey>& keys);
// Nothing when `text` is not a record as borrowed_keys_text writes it.
std::optional<std::vector<SavedKey>> parse_borrowed_keys(std::string_view text);

class BorrowedKeysFile {
 public:
  // The record of the display named `display` (DisplayString: ":0", "host:10.0"); unusable
  // when XDG_RUNTIME_DIR is unset, not absolute, or not a private folder of the user's.
  explicit BorrowedKeysFile(std::string_view display);
  ~BorrowedKeysFile();
  BorrowedKeysFile(const BorrowedKeysFile&) = delete;
  BorrowedKeysFile& operator=(const BorrowedKeysFile&) = delete;

  bool usable() const { return folder_ >= 0; }
  // Takes the display's lock without waiting: false while another living Lumeta holds it.
  bool lock();
  void unlock();
  bool locked() const { return lock_ >= 0; }

  // Writes the record whole beside it and renames it into place once synced; false on failure
  // (the previous record, if any, stays).
  bool write(const std::vector<SavedKey>& keys);
  // The record left by a Lumeta that did not give its keys back; nothing when there is none
  // (or it is not a record: it is removed then).
  std::optional<std::vector<SavedKey>> read();
  void remove();

  const std::string& name() const { return name_; }

 private:
  int folder_ = -1;
  int lock_ = -1;
  std::string name_;
};

}  // namespace lumeta
