// The XTest typer on a real X server (run under Xvfb by ctest): a window of the test's own has
// the focus, the typer types into it, and the test reads back the keysyms that arrive the way a
// client reads them, between batches, as a target does. Plain UTF-8 sources.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

// After GoogleTest: Xlib's macros (None, Bool) would clash with its names.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include "x11_typer.h"

namespace lumeta {
namespace {

struct Screen {
  Display* display = XOpenDisplay(nullptr);
  Window window = 0;

  Screen() {
    if (!display) return;
    window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 100, 100, 0, 0, 0);
    XSelectInput(display, window, KeyPressMask | KeyReleaseMask | StructureNotifyMask);
    XMapWindow(display, window);
    for (XEvent event;
         XWindowEvent(display, window, StructureNotifyMask, &event), event.type != MapNotify;) {
    }
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    XSync(display, False);
  }
  ~Screen() {
    if (display) XCloseDisplay(display);
  }

  // Each key's XKB type per group, groups and width, key by key: Caps Lock and Shift act on a
  // key by its type, so a key given back must have its type back too.
  std::vector<int> key_types() const {
    std::vector<int> all;
    XkbDescPtr xkb = XkbGetMap(display, XkbKeyTypesMask | XkbKeySymsMask, XkbUseCoreKbd);
    if (!xkb) return all;
    for (int code = xkb->min_key_code; code <= xkb->max_key_code; ++code) {
      const XkbSymMapRec& key = xkb->map->key_sym_map[code];
      all.insert(all.end(), {key.kt_index[0], key.kt_index[1], key.kt_index[2], key.kt_index[3],
                             key.group_info, key.width});
    }
    XkbFreeKeyboard(xkb, XkbAllComponentsMask, True);
    return all;
  }

  std::vector<KeySym> map() const {
    int min_code, max_code, per_code;
    XDisplayKeycodes(display, &min_code, &max_code);
    KeySym* keysyms = XGetKeyboardMapping(display, static_cast<KeyCode>(min_code),
                                          max_code - min_code + 1, &per_code);
    std::vector<KeySym> all(keysyms, keysyms + (max_code - min_code + 1) * per_code);
    XFree(keysyms);
    return all;
  }

  // The keysyms of the key presses that have arrived, as the client's own map reads them.
  void read(std::vector<KeySym>& arrived) {
    XSync(display, False);
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == MappingNotify) XRefreshKeyboardMapping(&event.xmapping);
      if (event.type != KeyPress) continue;
      if (IsModifierKey(XLookupKeysym(&event.xkey, 0))) continue;  // Shift for A and !
      KeySym keysym = NoSymbol;
      char buffer[16];
      XLookupString(&event.xkey, buffer, sizeof buffer, &keysym, nullptr);
      arrived.push_back(keysym);
    }
  }

  // Types `text` as the delivery does, batch after batch, reading what arrives in between.
  std::vector<KeySym> type(const std::u32string& text, int* batches = nullptr) {
    std::vector<KeySym> arrived;
    XTyper typer(display, text);
    int mapped = 0;
    while (!typer.done()) {
      if (!typer.ready()) {
        read(arrived);
        typer.map_next();
        ++mapped;
        if (!typer.ready()) break;
      }
      typer.type(16);
    }
    read(arrived);
    typer.restore();
    read(arrived);
    if (batches) *batches = mapped;
    return arrived;
  }
};

std::vector<KeySym> keysyms_of(const std::u32string& text) {
  std::vector<KeySym> all;
  for (char32_t c : text)
    all.push_back(keysym_for(c));
  return all;
}

TEST(XTyper, KeysymsOfCharacters) {
  EXPECT_EQ(keysym_for(U'a'), static_cast<KeySym>(XK_a));
  EXPECT_EQ(keysym_for(U'A'), static_cast<KeySym>(XK_A));
  EXPECT_EQ(keysym_for(U'\n'), static_cast<KeySym>(XK_Return));
  EXPECT_EQ(keysym_for(U'あ'), 0x01003042u);
  EXPECT_EQ(keysym_for(U'¥'), static_cast<KeySym>(XK_yen));
}

TEST(XTyper, TypesEveryCharacterAndGivesTheSpareCodesBack) {
  Screen screen;
  ASSERT_NE(screen.display, nullptr) << "no X display";
  ASSERT_TRUE(XTyper::has_xtest(screen.display));
  const std::vector<KeySym> before = screen.map();
  XTyper probe(screen.display, U"");
  ASSERT_GT(probe.spare_codes(), 1u);

  // Keys of the map (a 1 space Return), Shift on the map (A !), and more distinct characters
  // without a key than there are spare codes, so that several batches are mapped.
  std::u32string text = U"aA1! \n漢字かなカナ「」、。ＡＢＣ①♪㈱ｶﾅ回会東京";
  for (char32_t c = U'ぁ'; c < U'ぁ' + 3 * probe.spare_codes(); ++c)
    text += c;
  text += U"あ\nz";
  int batches = 0;
  EXPECT_EQ(screen.type(text, &batches), keysyms_of(text));
  EXPECT_GE(batches, 3);
  EXPECT_EQ(screen.map(), before) << "the keyboard map is not as it was";
}

TEST(XTyper, BorrowsKeysTheTextDoesNotUseAndGivesThemBack) {
  Screen screen;
  ASSERT_NE(screen.display, nullptr) << "no X display";
  const std::vector<KeySym> before = screen.map();
  const std::vector<int> types_before = screen.key_types();
  XModifierKeymap* modifiers_before = XGetModifierMapping(screen.display);
  XTyper probe(screen.display, U"");
  // Letters, digits and signs the text does not use are lent out besides the empty codes.
  ASSERT_GT(probe.spare_codes(), 3 * probe.empty_codes());

  // Nearly as many distinct characters without a key as there are codes to use (the text
  // keeps q and 7), three times the empty codes and more: two mappings (a batch takes every
  // other code), the text's own letters and digits (q 7, Q and & with Shift) typed right between
  // them, and every key as it was after.
  std::u32string text = U"q7";
  for (char32_t c = U'ぁ'; c < U'ぁ' + probe.spare_codes() - 4; ++c)
    text += std::u32string{c, U'Q', U'&'};
  text += U"\nq";
  int batches = 0;
  EXPECT_EQ(screen.type(text, &batches), keysyms_of(text));
  EXPECT_EQ(batches, 2);
  EXPECT_EQ(screen.map(), before) << "the keyboard map is not as it was";
  EXPECT_EQ(screen.key_types(), types_before) << "the keys' types are not as they were";
  XModifierKeymap* modifiers_after = XGetModifierMapping(screen.display);
  ASSERT_EQ(modifiers_after->max_keypermod, modifiers_before->max_keypermod);
  EXPECT_TRUE(std::equal(modifiers_before->modifiermap,
                         modifiers_before->modifiermap + 8 * modifiers_before->max_keypermod,
                         modifiers_after->modifiermap))
      << "the modifiers are not as they were";
  XFreeModifiermap(modifiers_before);
  XFreeModifiermap(modifiers_after);
}

TEST(XTyper, KeysOfTheMapNeedNoMappingChange) {
  Screen screen;
  ASSERT_NE(screen.display, nullptr) << "no X display";
  const std::u32string text = U"hello world\nABC 123";
  int batches = 0;
  EXPECT_EQ(screen.type(text, &batches), keysyms_of(text));
  EXPECT_EQ(batches, 0);
}

TEST(XTyper, RestoringHalfWayTypesNothingMore) {
  Screen screen;
  ASSERT_NE(screen.display, nullptr) << "no X display";
  const std::vector<KeySym> before = screen.map();
  std::vector<KeySym> arrived;
  {
    XTyper typer(screen.display, U"漢字変換");
    typer.map_next();
    EXPECT_EQ(typer.type(2), 2u);
    screen.read(arrived);
    typer.restore();
    EXPECT_TRUE(typer.done());
    EXPECT_EQ(typer.type(10), 0u);
  }
  screen.read(arrived);
  EXPECT_EQ(arrived, keysyms_of(U"漢字"));
  EXPECT_EQ(screen.map(), before);
}

}  // namespace
}  // namespace lumeta
