// The record of lent key codes on a real X server (run under Xvfb by ctest) and a real file
// system: a process that lends codes and dies without giving them back (as after kill -9) leaves
// a record from which the next one puts the keyboard back exactly; the record is private and
// never read through a link. Plain UTF-8 sources.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

// After GoogleTest: Xlib's macros (None, Bool) would clash with its names.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include "borrowed_keys.h"
#include "x11_typer.h"

namespace lumeta {
namespace {

namespace fs = std::filesystem;

// A private XDG_RUNTIME_DIR of the test's own.
struct RuntimeDir {
  fs::path path;
  RuntimeDir() {
    char name[] = "/tmp/lumeta-borrowed-XXXXXX";
    path = ::mkdtemp(name);
    ::setenv("XDG_RUNTIME_DIR", path.c_str(), 1);
  }
  ~RuntimeDir() { fs::remove_all(path); }
};

// The core map and each key's XKB type, groups and width: all a borrowed key must get back.
std::vector<long> keyboard(Display* display) {
  std::vector<long> all;
  int min_code, max_code, per_code;
  XDisplayKeycodes(display, &min_code, &max_code);
  KeySym* syms = XGetKeyboardMapping(display, static_cast<KeyCode>(min_code),
                                     max_code - min_code + 1, &per_code);
  all.assign(syms, syms + (max_code - min_code + 1) * per_code);
  XFree(syms);
  XkbDescPtr xkb = XkbGetMap(display, XkbKeyTypesMask | XkbKeySymsMask, XkbUseCoreKbd);
  for (int code = xkb->min_key_code; code <= xkb->max_key_code; ++code) {
    const XkbSymMapRec& key = xkb->map->key_sym_map[code];
    all.insert(all.end(), {key.kt_index[0], key.kt_index[1], key.group_info, key.width});
  }
  XkbFreeKeyboard(xkb, XkbAllComponentsMask, True);
  return all;
}

TEST(BorrowedKeys, RecordReadsBackAsWritten) {
  const std::vector<SavedKey> keys = {
      {24, true, 1, {1, 0, 0, 0}, 2, {0x71, 0x51}},          // q Q
      {200, true, 0, {0, 0, 0, 0}, 0, {}},                   // an empty code
      {201, true, 0x12, {2, 3, 0, 0}, 1, {0x0, 0x1003042}},  // two groups, the first empty
      {38, false, 0, {}, 0, {0x61, 0x41, 0x0}},              // a core map's a A
  };
  const std::string text = borrowed_keys_text(keys);
  EXPECT_EQ(parse_borrowed_keys(text), keys) << text;
  // Anything else is no record: another header, a short key, a keysym in decimal.
  for (const char* bad : {"Lumeta draft\n", "Lumeta borrowed keys\nkey 24 1 1 0 0 0 2 0x71\n",
                          "Lumeta borrowed keys\ncore 38 97\n", "Lumeta borrowed keys\nkey\n"}) {
    EXPECT_FALSE(parse_borrowed_keys(bad)) << bad;
  }
}

TEST(BorrowedKeys, NextProcessGivesBackWhatAKilledOneLent) {
  RuntimeDir runtime;
  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr) << "no X display";
  const std::vector<long> before = keyboard(display);
  const std::string name = DisplayString(display);

  // The child lends codes for kanji and a letter key's code, then dies without a word.
  const pid_t child = ::fork();
  if (child == 0) {
    Display* own = XOpenDisplay(nullptr);
    std::u32string text;
    for (char32_t c = U'亜'; c < U'亜' + 40; ++c)
      text += c;
    auto* typer = new XTyper(own, text);  // never destroyed: nothing is given back
    BorrowedKeysFile record(DisplayString(own));
    const bool kept = record.lock() && record.write(typer->lendable());
    typer->map_next();
    XSync(own, False);
    ::_exit(kept && typer->lending() ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ASSERT_NE(keyboard(display), before) << "the child lent nothing";

  const fs::path folder = runtime.path / "lumeta";
  const fs::path file = folder / ("borrowed-keys-" + name);
  EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all);
  EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write);

  BorrowedKeysFile record(name);
  ASSERT_TRUE(record.lock()) << "the dead child's lock is still held";
  // A second holder is refused while this one holds it (flock is per open file).
  BorrowedKeysFile other(name);
  EXPECT_FALSE(other.lock());
  const auto keys = record.read();
  ASSERT_TRUE(keys);
  XTyper::put_back(display, *keys);
  record.remove();
  EXPECT_EQ(keyboard(display), before) << "the keyboard is not as it was";
  EXPECT_FALSE(fs::exists(file));
  XCloseDisplay(display);
}

TEST(BorrowedKeys, NeverThroughALinkNorInAFolderOthersCanWrite) {
  RuntimeDir runtime;
  const fs::path folder = runtime.path / "lumeta";
  {
    BorrowedKeysFile record(":7");
    ASSERT_TRUE(record.usable());
    ASSERT_TRUE(record.write({{24, true, 1, {1, 0, 0, 0}, 2, {0x71, 0x51}}}));
  }
  // A link in the record's place is neither read nor followed when the record is written.
  const fs::path elsewhere = runtime.path / "elsewhere";
  fs::rename(folder / "borrowed-keys-:7", elsewhere);
  fs::create_symlink(elsewhere, folder / "borrowed-keys-:7");
  {
    BorrowedKeysFile record(":7");
    EXPECT_FALSE(record.read());
    ASSERT_TRUE(record.write({}));
  }
  std::ifstream kept(elsewhere);
  const std::string kept_text{std::istreambuf_iterator<char>(kept), {}};
  EXPECT_EQ(parse_borrowed_keys(kept_text)->size(), 1u) << "the link's target was changed";
  // A folder others may write to is not used at all.
  ::chmod(folder.c_str(), 0777);
  EXPECT_FALSE(BorrowedKeysFile(":7").usable());
}

}  // namespace
}  // namespace lumeta
