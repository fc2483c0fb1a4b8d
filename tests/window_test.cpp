// The window under the offscreen platform: pointer clicks, key faces, the physical keyboard,
// copy, delete-all, the labels and the symbol picker.
#include <sys/stat.h>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "dictionary.h"
#include "main_window.h"
#include "qt_text.h"
#include "sjis.h"

namespace lumeta {

class WindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<MainWindow> main_window;
  QTemporaryDir state_home;  // the draft goes here, never into the user's own state

  QString draft_path() const { return state_home.path() + QStringLiteral("/lumeta/draft.txt"); }
  // The events of one click as they arrive: `with_press` false is the X11 road, where the
  // second click of a double click brings only a double-click event.
  static void double_click(QWidget* widget, QPoint at, Qt::MouseButton button, bool with_press) {
    std::vector<QEvent::Type> types = {QEvent::MouseButtonPress, QEvent::MouseButtonRelease};
    if (with_press) types.push_back(QEvent::MouseButtonPress);
    types.push_back(QEvent::MouseButtonDblClick);
    types.push_back(QEvent::MouseButtonRelease);
    for (QEvent::Type type : types) {
      const bool down = type != QEvent::MouseButtonRelease;
      QMouseEvent event(type, at, widget->mapToGlobal(at), button, down ? button : Qt::NoButton,
                        Qt::NoModifier);
      QApplication::sendEvent(widget, &event);
    }
  }

  // The large dictionary after the built-in table while it lives.
  struct LargeDictionary {
    explicit LargeDictionary(MainWindow& window) : window(window) {
      use(Dictionaries::builtin_and_large);
    }
    ~LargeDictionary() { use(Dictionaries::builtin); }
    void use(Dictionaries which) { window.keypad().conversion().dictionaries = which; }
    MainWindow& window;
  };

  QString text() const { return to_qstring(main_window->engine().display().text()); }
  void click(int key) {
    QTest::mousePress(main_window->key(key), Qt::LeftButton);
    QTest::mouseRelease(main_window->key(key), Qt::LeftButton);
    main_window->idle_pass();
  }
  void clicks(std::initializer_list<int> keys) {
    for (int key : keys)
      click(key);
  }
  bool lit(Indicator i) const {
    return main_window->indicator(i)->palette().color(QPalette::Window) == QColor(Qt::black);
  }
  static int count_colour(const QPixmap& pixmap, QColor colour) {
    const QImage image = pixmap.toImage();
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x)
        n += image.pixelColor(x, y) == colour;
    }
    return n;
  }
  void key_press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyPress(main_window->display(), key, modifiers);
    QTest::keyRelease(main_window->display(), key, modifiers);
    main_window->idle_pass();
  }

 private slots:
  void initTestCase() {
    QVERIFY(state_home.isValid());
    qputenv("XDG_STATE_HOME", QFile::encodeName(state_home.path()));
  }
  void init() {
    QFile::remove(draft_path());
    main_window = std::make_unique<MainWindow>(MainWindow::Draft::kept);
    // The window's behaviour is described with the built-in dictionary alone; the large
    // dictionary's tests switch it on for themselves.
    main_window->keypad().conversion().dictionaries = Dictionaries::builtin;
    main_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(main_window.get()));
  }
  void cleanup() { main_window.reset(); }

  void startsEmptyWithTheStartIndicators() {
    QCOMPARE(text(), QString());
    QCOMPARE(main_window->position_label()->text(), QStringLiteral("1行0列"));
    QVERIFY(lit(Indicator::full_width) && lit(Indicator::romaji) && lit(Indicator::capital));
    QVERIFY(!lit(Indicator::half_width) && !lit(Indicator::symbol));
    QCOMPARE(main_window->windowTitle(), QStringLiteral("Lumeta"));
    QVERIFY(main_window->display()->hasFocus() || QApplication::focusWidget() == nullptr);
    for (int n = key::A; n <= kKeyCount; ++n) {
      if (main_window->key(n)) QCOMPARE(main_window->key(n)->focusPolicy(), Qt::NoFocus);
    }
  }

  // 送る's routes open once the window is drawn, not while it is built; with no routes module
  // beside this program, 送る puts the text on the clipboard and says so.
  void sendOpensItsRoutesOnceTheWindowIsDrawn() {
    const MainWindow unshown;
    QVERIFY(!unshown.send_control());
    QTRY_VERIFY(main_window->send_control());
    click(key::A);
    QTest::mouseClick(main_window->send_key(), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("あ"));
    QCOMPARE(main_window->send_label()->message(),
             Delivery::message(Delivery::Outcome::on_clipboard, 0, 1));
  }

  void pointerClicksTypeAndConvert() {
    clicks({key::K, key::A});
    QCOMPARE(text(), QStringLiteral("か"));
    clicks({key::I, key::down});
    QCOMPARE(text(), QStringLiteral("回"));
    QCOMPARE(main_window->position_label()->text(), QStringLiteral("1行 2列"));
  }

  void anyMouseButtonAndDoubleClicksCount() {
    QTest::mousePress(main_window->key(key::K), Qt::RightButton);
    QTest::mouseRelease(main_window->key(key::K), Qt::RightButton);
    QCOMPARE(text(), QStringLiteral("Ｋ"));
    // A double click as the platform delivers it: press, release, press, double click, release.
    for (QEvent::Type type :
         {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonPress,
          QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
      const bool down = type != QEvent::MouseButtonRelease;
      QMouseEvent event(type, QPointF(10, 10), QPointF(10, 10), Qt::LeftButton,
                        down ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
      QApplication::sendEvent(main_window->key(key::K), &event);
    }
    QCOMPARE(main_window->engine().state().tap_count[key::K], 3);
    QCOMPARE(text(), QStringLiteral("Ｑ"));
  }

  void doubleClicksWithoutTheirSecondPressCount() {
    for (bool with_press : {false, true}) {
      double_click(main_window->key(key::N), QPoint(10, 10), Qt::LeftButton, with_press);
      QCOMPARE(text(), QStringLiteral("ん"));
      click(key::clear);
      double_click(main_window->key(key::K), QPoint(10, 10), Qt::MiddleButton, with_press);
      QCOMPARE(text(), QStringLiteral("Ｇ"));
      click(key::clear);
      // The window's own keys take every button, and a double click on one is two clicks.
      QSignalSpy copies(main_window->copy_key(), &QPushButton::clicked);
      double_click(main_window->copy_key(), QPoint(5, 5), Qt::RightButton, with_press);
      QCOMPARE(copies.count(), 2);
    }
    clicks({key::K, key::A, key::I});  // かい: a double click on a candidate chooses it once
    CandidateStripWidget* bar = main_window->candidate_strip_widget();
    double_click(bar, bar->candidate_rect(2).center(), Qt::LeftButton, false);
    main_window->idle_pass();
    QCOMPARE(text(), to_qstring(main_window->engine().state().candidate[2]));
    click(key::centre);
    clicks({key::mode, key::mode});  // symbol mode: a cell clicked twice gives its symbol twice
    QTableWidget* grid = main_window->symbol_picker()->grid();
    const QPoint cell = grid->visualItemRect(grid->item(0, 1)).center();
    double_click(grid->viewport(), cell, Qt::LeftButton, false);
    double_click(grid->viewport(), cell, Qt::RightButton, true);
    QVERIFY(text().endsWith(QStringLiteral("●●●●")));
  }

  void touchTapsCount() {
    QPointingDevice* screen = QTest::createTouchDevice();
    const QPoint n = main_window->key(key::N)->geometry().center();
    for (int tap = 0; tap < 2; ++tap) {
      QTest::touchEvent(main_window.get(), screen).press(0, n, main_window.get());
      QTest::touchEvent(main_window.get(), screen).release(0, n, main_window.get());
    }
    QCOMPARE(text(), QStringLiteral("ん"));
  }

  void aClickInTheTextIsWhereTypingGoesOn() {
    clicks({key::A, key::I, key::U, key::centre, key::K,
            key::A});  // あいう confirmed, then か pending
    QTest::mouseClick(main_window->display()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(3, 10));
    main_window->idle_pass();
    QCOMPARE(main_window->display()->caret(), 0);
    QCOMPARE(to_qstring(main_window->engine().state().front_fixed), QString());
    QCOMPARE(main_window->position_label()->text(), QStringLiteral("1行 0列"));
    clicks({key::K, key::A});
    QCOMPARE(text(), QStringLiteral("かあいうか"));
  }

  void aRefusedKeyShowsTheLimit() {
    std::string big;
    for (std::size_t i = 0; i + 1 < kMaxDisplayChars; ++i)
      big += "\x82\xa0";  // あ
    main_window->engine().load_text(big, "");
    click(key::K);  // the millionth character
    QCOMPARE(main_window->position_label()->text().endsWith(QStringLiteral("列")), true);
    QTest::mousePress(main_window->key(key::centre), Qt::LeftButton);  // confirms Ｋ: fine
    QTest::mouseRelease(main_window->key(key::centre), Qt::LeftButton);
    click(key::K);  // one too many
    QCOMPARE(main_window->position_label()->text(), QStringLiteral("上限 1,000,000 文字"));
    QCOMPARE(main_window->engine().display().chars(), kMaxDisplayChars);
    click(key::clear);  // the next key ends the sign
    QVERIFY(main_window->position_label()->text().endsWith(QStringLiteral("列")));
  }

  void theDraftKeepsTheTextForTheNextStart() {
    clicks({key::K, key::A, key::centre, key::I});  // か confirmed, い pending
    QVERIFY(!QFile::exists(draft_path()));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(draft_path()), 3000);  // about a second later
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(draft_path()).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, 0600u);
    QTest::mouseClick(main_window->quit_key(), Qt::LeftButton);
    QFile file(draft_path());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), QStringLiteral("Lumeta draft\ncaret 6\nかい"));
    main_window = std::make_unique<MainWindow>(
        MainWindow::Draft::kept);  // the next start: empty, with 元に戻す offered
    main_window->idle_pass();
    QCOMPARE(text(), QString());
    QVERIFY(main_window->undo_key()->isEnabled());
    clicks({key::A});
    QTest::mouseClick(main_window->undo_key(), Qt::LeftButton);
    QCOMPARE(text(), QStringLiteral("かいあ"));
  }

  void aDamagedDraftIsSetAside() {
    main_window.reset();
    QFile file(draft_path());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Lumeta draft\ncaret 0\n\xff\xfe");
    file.close();
    main_window = std::make_unique<MainWindow>(MainWindow::Draft::kept);
    main_window->idle_pass();
    QVERIFY(!QFile::exists(draft_path()));
    QVERIFY(QFile::exists(draft_path() + QStringLiteral(".bad")));
    QVERIFY(!main_window->undo_key()->isEnabled());
    clicks({key::A});
    QCOMPARE(text(), QStringLiteral("あ"));
    QFile::remove(draft_path() + QStringLiteral(".bad"));
  }

  void aDraftThatCannotBeWrittenNeverStopsTyping() {
    main_window.reset();
    QDir(state_home.path()).removeRecursively();
    QFile blocker(state_home.path());  // a file where the state directory should be
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    main_window = std::make_unique<MainWindow>(MainWindow::Draft::kept);
    main_window->show();
    clicks({key::A});
    main_window->save_draft();
    QVERIFY(main_window->draft_label()->isVisibleTo(main_window.get()));
    QVERIFY(!main_window->draft_label()->text().isEmpty());
    clicks({key::I});
    main_window->save_draft();
    QCOMPARE(text(), QStringLiteral("あい"));
    main_window.reset();
    QFile::remove(state_home.path());
    QDir().mkpath(state_home.path());
  }

  void modeAndCaseCyclesLightTheIndicators() {
    QVERIFY(!main_window->findChild<SymbolPicker*>());  // made when symbol mode first opens it
    click(key::mode);
    QVERIFY(lit(Indicator::half_width) && lit(Indicator::alphabet) && lit(Indicator::capital));
    click(key::mode);
    QVERIFY(lit(Indicator::symbol) && !lit(Indicator::half_width));
    QVERIFY(main_window->symbol_picker()->isVisible());
    click(key::mode);
    QVERIFY(lit(Indicator::romaji));
    QVERIFY(!main_window->symbol_picker()->isVisible());
    click(key::caps);
    QVERIFY(lit(Indicator::full_width) && lit(Indicator::number) && !lit(Indicator::capital));
    click(key::caps);
    QVERIFY(lit(Indicator::romaji) && lit(Indicator::small));
  }

  void facesFollowTheModeAndLightThePressedMark() {
    const QColor lime(0, 255, 0);
    const QPixmap romaji = main_window->key(key::K)->face();
    QCOMPARE(count_colour(romaji, lime), 0);
    QTest::mousePress(main_window->key(key::K), Qt::LeftButton);
    QVERIFY(count_colour(main_window->key(key::K)->face(), lime) > 0);
    QTest::mouseRelease(main_window->key(key::K), Qt::LeftButton);
    QCOMPARE(count_colour(main_window->key(key::K)->face(), lime), 0);
    QCOMPARE(main_window->key(key::K)->face().toImage(), romaji.toImage());
    click(key::mode);  // half-width alphabet: other faces
    QVERIFY(main_window->key(key::A)->face().toImage() != QPixmap(romaji).toImage());
    click(key::caps);  // half-width digits: the A key shows 通話 in blue
    QVERIFY(count_colour(main_window->key(key::A)->face(), QColor(0, 0, 255)) > 0);
    QVERIFY(count_colour(main_window->key(key::H)->face(), QColor(255, 0, 0)) > 0);
    QTest::mousePress(main_window->key(key::I), Qt::LeftButton);
    QVERIFY(count_colour(main_window->key(key::I)->face(), lime) > 0);
    QTest::mouseRelease(main_window->key(key::I), Qt::LeftButton);
    click(key::caps);
    click(key::mode);  // symbol mode: every letter face blank
    const QColor face_colour = main_window->key(key::S)->face().toImage().pixelColor(0, 0);
    QCOMPARE(count_colour(main_window->key(key::S)->face(), face_colour), 50 * 50);
  }

  void everyModeRepaintsTheLetterFaces() {
    const QColor lime(0, 255, 0);
    std::vector<QImage> first_keys;
    for (int m = 0; m < kInputModeCount; ++m) {
      const auto mode = static_cast<InputMode>(m);
      main_window->engine().change_mode(mode);
      const QImage face = main_window->key(key::A)->face().toImage();
      const QColor background = face.pixelColor(0, 0);
      const bool number = mode == InputMode::half_number || mode == InputMode::full_number;
      for (int k = key::first_letter; k <= key::last_letter; ++k) {
        const int background_pixels = count_colour(main_window->key(k)->face(), background);
        const bool blank = mode == InputMode::symbol || (number && k == key::K);
        QCOMPARE(background_pixels == 50 * 50, blank);
        QCOMPARE(count_colour(main_window->key(k)->face(), lime), 0);
      }
      for (const QImage& earlier : first_keys) {
        // The full-width alphabet and number faces repeat the half-width ones.
        if (mode != InputMode::full_alphabet && mode != InputMode::full_number)
          QVERIFY(earlier != face);
      }
      first_keys.push_back(face);
    }
  }

  void captionsAreGreenWhileHeld() {
    QTest::mousePress(main_window->key(key::clear), Qt::LeftButton);
    QCOMPARE(main_window->key(key::clear)->caption_colour(), QColor(0, 255, 0));
    QTest::mouseRelease(main_window->key(key::clear), Qt::LeftButton);
    QCOMPARE(main_window->key(key::clear)->caption_colour(), QColor(Qt::black));
  }

  void keyboardWorksTheOnScreenKeys() {
    key_press(Qt::Key_A);
    QCOMPARE(text(), QStringLiteral("あ"));
    key_press(Qt::Key_A, Qt::ShiftModifier);
    QCOMPARE(text(), QStringLiteral("ぁ"));
    QTest::keyPress(main_window->display(), Qt::Key_K);
    QVERIFY(count_colour(main_window->key(key::K)->face(), QColor(0, 255, 0)) >
            0);  // held: pressed look
    QTest::keyRelease(main_window->display(), Qt::Key_K);
    QCOMPARE(count_colour(main_window->key(key::K)->face(), QColor(0, 255, 0)),
             0);  // released everywhere
    key_press(Qt::Key_Backspace);
    QCOMPARE(text(), QStringLiteral("ぁ"));
    // V's release leaves a held key down; Space's release lets it go.
    QTest::keyPress(main_window->display(), Qt::Key_K);
    QTest::keyRelease(main_window->display(), Qt::Key_V);
    QVERIFY(main_window->key(key::K)->is_down());
    QTest::keyRelease(main_window->display(), Qt::Key_Space);
    QVERIFY(!main_window->key(key::K)->is_down());
    key_press(Qt::Key_Backspace);
    QCOMPARE(text(), QStringLiteral("ぁ"));
    for (Qt::Key ignored : {Qt::Key_1, Qt::Key_Home, Qt::Key_End, Qt::Key_Delete, Qt::Key_V,
                            Qt::Key_Space, Qt::Key_PageUp}) {
      key_press(ignored);
    }
    QCOMPARE(text(), QStringLiteral("ぁ"));
    key_press(Qt::Key_Left);
    QCOMPARE(main_window->display()->caret(), 0);
    key_press(Qt::Key_Right);
    QCOMPARE(main_window->display()->caret(), 2);
    key_press(Qt::Key_Control);
    QCOMPARE(main_window->engine().state().input_mode, InputMode::half_alphabet);
    key_press(Qt::Key_P);
    QCOMPARE(main_window->engine().state().input_mode, InputMode::half_number);
    key_press(Qt::Key_Return);
    QCOMPARE(text(), QStringLiteral("ぁ\r\n"));
    // Auto-repeat repeats the press.
    key_press(Qt::Key_Control);  // half-width alphabet
    QTest::keyPress(main_window->display(), Qt::Key_A);
    QTest::keyPress(main_window->display(), Qt::Key_A, Qt::NoModifier, -1);
    QTest::keyRelease(main_window->display(), Qt::Key_A);
    QCOMPARE(text(), QStringLiteral("ぁ\r\n@"));
  }

  void aSecondPhysicalKeyLetsGoOfTheFirst() {
    QTest::keyPress(main_window->display(), Qt::Key_K);
    QTest::keyPress(main_window->display(), Qt::Key_A);
    QVERIFY(!main_window->key(key::K)->is_down());
    QVERIFY(main_window->key(key::A)->is_down());
    QTest::keyRelease(main_window->display(), Qt::Key_A);
    QTest::keyRelease(main_window->display(), Qt::Key_K);
    QVERIFY(!main_window->key(key::A)->is_down());
    QCOMPARE(text(), QStringLiteral("か"));
  }

  void keyboardClicksNothingButLumetasKeys() {
    // Every mouse press the keyboard produces lands on one of the window's own keys.
    struct PressWatcher : QObject {
      QList<QObject*> receivers;
      bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress) receivers << watched;
        return false;
      }
    } watcher;
    qApp->installEventFilter(&watcher);
    for (Qt::Key key : {Qt::Key_A, Qt::Key_Down, Qt::Key_Control, Qt::Key_P, Qt::Key_Q,
                        Qt::Key_Escape, Qt::Key_Tab, Qt::Key_F1}) {
      key_press(key);
    }
    qApp->removeEventFilter(&watcher);
    QCOMPARE(watcher.receivers.size(), 4);
    for (QObject* receiver : watcher.receivers)
      QVERIFY(qobject_cast<KeyButton*>(receiver));
  }

  void copyPutsTheWholeTextOnTheClipboard() {
    clicks({key::A, key::centre, key::centre, key::I});  // あ, line break, い
    click(key::left);
    const int caret = main_window->display()->caret();
    QTest::mouseClick(main_window->copy_key(), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("あ\nい"));
    QCOMPARE(main_window->display()->caret(), caret);
    QCOMPARE(text(), QStringLiteral("あ\r\nい"));
  }

  void deleteAllActsOnThePress() {
    clicks({key::K, key::A, key::I, key::down});
    QTest::mousePress(main_window->delete_all_key(), Qt::LeftButton);
    QCOMPARE(text(), QString());
    QCOMPARE(main_window->position_label()->text(), QStringLiteral("1行 0列"));
    QTest::mouseRelease(main_window->delete_all_key(), Qt::LeftButton);
    clicks({key::A});
    QTest::keyClick(main_window.get(), Qt::Key_D, Qt::AltModifier);  // its marked letter
    QTRY_COMPARE(text(), QString());
  }

  void labelAtTheStartOfAWrappedLine() {
    // Full-width あ until the text wraps onto a second display line.
    int guard = 0;
    while (main_window->display()->caret_line_number() == 0 && guard++ < 40)
      clicks({key::A, key::centre});
    QVERIFY(main_window->display()->caret_line_number() == 1);
    const int start = main_window->display()->caret_line_start();
    QVERIFY(start > 0);
    QTest::mouseClick(main_window->display()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(3, main_window->display()->caret_point().y() + 5));
    main_window->idle_pass();
    QCOMPARE(main_window->display()->caret(), start);
    QCOMPARE(main_window->position_label()->text(), QStringLiteral("2行 0列"));
  }

  void aboutTextWhileHovered() {
    QTest::mouseMove(main_window->about_label());
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(main_window->about_label(), &move);
    QVERIFY(main_window->about_label()->text().startsWith(QStringLiteral("Lumeta 0.54")));
    QCOMPARE(main_window->about_label()->text().count(QLatin1Char('\n')), 2);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(main_window->about_label(), &leave);
    QCOMPARE(main_window->about_label()->text(), QStringLiteral("バージョン情報"));
  }

  // The picker is a panel in the display's place, so it stays with the window; the keys typed
  // meanwhile work their on-screen keys.
  void symbolPickerTakesTheDisplaysPlace() {
    clicks({key::mode, key::mode});
    SymbolPicker* picker = main_window->symbol_picker();
    QVERIFY(picker->isVisible() && !picker->isWindow());
    QCOMPARE(picker->geometry(), main_window->display()->geometry());
    QVERIFY(!main_window->display()->isVisible());
    QCOMPARE(picker->highlighted_page(), SymbolPage::full_width);
    QCOMPARE(picker->grid()->item(0, 0)->text(), QStringLiteral("○"));
    QCOMPARE(picker->grid()->item(14, 9)->text(), QStringLiteral("★"));
    QVERIFY(picker->grid()->isVisible());
    click(key::up);
    QCOMPARE(picker->highlighted_page(), SymbolPage::pictographs);
    QCOMPARE(picker->panel(SymbolPage::pictographs)->palette().color(QPalette::Button),
             QColor(Qt::black));
    QTest::keyClick(picker, Qt::Key_Down);  // ↓ from the keyboard
    QCOMPARE(picker->highlighted_page(), SymbolPage::full_width);
    QTest::keyClick(picker, Qt::Key_Control);  // the mode key
    QCOMPARE(main_window->engine().state().input_mode, InputMode::romaji);
    QVERIFY(!picker->isVisible() && main_window->display()->isVisible());
    QVERIFY(main_window->display()->hasFocus() || QApplication::focusWidget() == nullptr);
    clicks({key::mode, key::mode, key::up});
    QCOMPARE(picker->highlighted_page(), SymbolPage::pictographs);
    click(key::centre);  // the centre key leaves symbol mode and resets the page
    clicks({key::mode, key::mode});
    QCOMPARE(picker->highlighted_page(), SymbolPage::full_width);
  }

  void symbolPickerInsertsTheClickedSymbol() {
    clicks({key::A, key::centre, key::mode, key::mode});  // あ confirmed, symbol mode
    SymbolPicker* dialog = main_window->symbol_picker();
    QTableWidget* grid = dialog->grid();
    QVERIFY(dialog->height() > 249);  // grown to show the grid
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                      grid->visualItemRect(grid->item(0, 1)).center());
    QCOMPARE(text(), QStringLiteral("あ●"));
    QVERIFY(grid->item(0, 1)->isSelected());
    click(key::down);  // ↓: the half-width page
    QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("!"));
    QCOMPARE(grid->rowCount(), 4);
    click(key::down);  // the pictographs
    QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("①"));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                      grid->visualItemRect(grid->item(0, 0)).center());
    QCOMPARE(text(), QStringLiteral("あ●①"));
    click(key::centre);  // the centre key still leaves symbol mode
    QCOMPARE(main_window->engine().state().input_mode, InputMode::romaji);
    QVERIFY(!dialog->isVisible());
  }

  void candidateStripFollowsAndConfirmsOnClick() {
    CandidateStripWidget* bar = main_window->candidate_strip_widget();
    clicks({key::K, key::A, key::I});  // かい
    QVERIFY(!bar->candidate_rect(1).isEmpty());
    click(key::down);
    click(key::down);  // 2 on display
    QVERIFY(bar->accessibleDescription().startsWith(QStringLiteral("1 回、2 ")));
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->candidate_rect(4).center());
    main_window->idle_pass();
    const QString fourth = to_qstring(main_window->engine().state().candidate[4]);
    QCOMPARE(text(), fourth);
    QCOMPARE(to_qstring(main_window->engine().state().front_fixed), fourth);
    QCOMPARE(bar->accessibleDescription(), QString());  // nothing pending: the strip is empty
    clicks({key::K, key::A, key::N});                   // かん: no candidates, a quiet hint
    QCOMPARE(bar->accessibleDescription(), QStringLiteral("候補はありません"));
    // The 51 candidates of きょう take several pages; the arrows turn them.
    click(key::centre);
    clicks({key::K, key::Y, key::O, key::U});
    QVERIFY(bar->page_count() > 1);
    QCOMPARE(bar->page(), 0);
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->next_page_rect().center());
    QCOMPARE(bar->page(), 1);
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->previous_page_rect().center());
    QCOMPARE(bar->page(), 0);
    for (int i = 0; i < 50; ++i)
      click(key::down);  // the candidate on display pulls its page along
    QCOMPARE(bar->page(), bar->page_count() - 1);
    QVERIFY(!bar->candidate_rect(50).isEmpty());
  }

  void candidateStripPagesThroughTheLargeDictionary() {
    const LargeDictionary large(*main_window);
    CandidateStripWidget* bar = main_window->candidate_strip_widget();
    clicks({key::K, key::A,
            key::I});  // かい: its ten built-in candidates, then the large dictionary's
    // The predictions first, then the candidates.
    QVERIFY(bar->prediction_count() > 0);
    QVERIFY(
        bar->accessibleDescription().startsWith(bar->prediction_label(1) + QStringLiteral("、")));
    QVERIFY(bar->accessibleDescription().contains(QStringLiteral("、1 回、2 会、")));
    QVERIFY(bar->accessibleDescription().contains(QStringLiteral("、80 ")));
    const int pages = bar->page_count();
    QVERIFY(pages > 2);
    QVERIFY(bar->candidate_rect(80).isEmpty());
    for (int p = 1; p < pages; ++p) {
      QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->next_page_rect().center());
      QCOMPARE(bar->page(), p);
    }
    QVERIFY(!bar->candidate_rect(80).isEmpty());
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->previous_page_rect().center());
    QCOMPARE(bar->page(), pages - 2);
    for (int i = 0; i < 80; ++i)
      click(key::down);  // ↓ through the whole list; the candidate on display pulls its page along
    QCOMPARE(main_window->engine().state().candidate_count, 80);
    QCOMPARE(text(), to_qstring(main_window->engine().state().candidate[80]));
    QCOMPARE(bar->prediction_count(), 0);  // after ↓ the candidates alone
    QCOMPARE(bar->page(), bar->page_count() - 1);
    click(key::down);  // after the last candidate, the reading
    QCOMPARE(text(), QStringLiteral("かい"));
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->candidate_rect(80).center());
    main_window->idle_pass();
    QCOMPARE(to_qstring(main_window->engine().state().front_fixed),
             to_qstring(main_window->engine().state().candidate[80]));
  }

  // What the user sees of the strip: on every page each candidate lies whole inside the strip's
  // band above the display, clear of the page arrows and of the others, and every candidate is
  // on exactly one page.
  void candidateStripShowsEveryCandidateInsideItsBand() {
    const LargeDictionary large(*main_window);
    CandidateStripWidget* bar = main_window->candidate_strip_widget();
    const QRect band = bar->rect();
    QVERIFY(bar->geometry().bottom() < main_window->display()->geometry().top());
    QVERIFY(main_window->rect().contains(bar->geometry()));
    const std::vector<std::vector<int>> readings = {
        {key::K, key::A, key::I},                  // かい: 80 candidates, many pages
        {key::K, key::Y, key::O, key::U},          // きょう
        {key::S, key::E, key::I, key::K, key::A},  // せいか
    };
    for (const std::vector<int>& reading : readings) {
      for (int k : reading)
        click(k);
      const int count = bar->candidate_count();
      QVERIFY(count > 1);
      std::vector<int> pages_of(static_cast<std::size_t>(count) + 1, 0);
      while (bar->page() > 0)
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->previous_page_rect().center());
      for (int page = 0; page < bar->page_count(); ++page) {
        if (page > 0) {
          QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->next_page_rect().center());
        }
        QCOMPARE(bar->page(), page);
        std::vector<QRect> seen;
        for (int i = 1; i <= count; ++i) {
          const QRect r = bar->candidate_rect(i);
          if (r.isEmpty()) continue;
          ++pages_of[static_cast<std::size_t>(i)];
          QVERIFY2(band.contains(r), qPrintable(bar->label(i)));
          if (bar->page_count() > 1) {
            QVERIFY(!r.intersects(bar->previous_page_rect()));
            QVERIFY(!r.intersects(bar->next_page_rect()));
          }
          for (const QRect& other : seen)
            QVERIFY2(!r.intersects(other), qPrintable(bar->label(i)));
          seen.push_back(r);
        }
        QVERIFY(!seen.empty());
      }
      for (int i = 1; i <= count; ++i)
        QVERIFY2(pages_of[static_cast<std::size_t>(i)] == 1, qPrintable(bar->label(i)));
      click(key::centre);
    }
  }

  // The messages under the keys break between phrases, never inside a word ("戻せま / す"),
  // and fit their place.
  void messagesBreakBetweenPhrases() {
    using Outcome = Delivery::Outcome;
    QStringList messages;
    for (Outcome outcome :
         {Outcome::delivered, Outcome::stopped, Outcome::no_target, Outcome::target_gone,
          Outcome::no_focus, Outcome::unsupported, Outcome::on_clipboard}) {
      messages << Delivery::message(outcome, 12345, 123456);
    }
    messages << QStringLiteral(
        "ほかの Lumeta が draft.txt を使っているため、この窓の下書きは "
        "draft-2.txt に保存します");
    const auto closes = [](QChar c) {
      return c.isSpace() || c.category() == QChar::Punctuation_Other ||
             c.category() == QChar::Punctuation_Close;
    };
    for (MessageLabel* label : {main_window->send_label(), main_window->draft_label()}) {
      for (const QString& message : messages) {
        label->say(message);
        QCOMPARE(label->message(), message);
        const QStringList lines = label->text().split(QLatin1Char('\n'));
        QVERIFY2(lines.size() * label->fontMetrics().lineSpacing() <= label->height(),
                 qPrintable(label->text()));
        QString joined;
        for (qsizetype i = 0; i < lines.size(); ++i) {
          QVERIFY2(
              label->fontMetrics().horizontalAdvance(lines[i]) <= label->contentsRect().width(),
              qPrintable(lines[i]));
          // A line goes on from the one before it only where a phrase ends: after a space or
          // a mark, or before a word that is not hiragana.
          if (i > 0 && !closes(message[joined.size() - 1]) && !closes(message[joined.size()])) {
            QVERIFY2(lines[i][0].script() != QChar::Script_Hiragana,
                     qPrintable(lines[i - 1] + QLatin1Char('/') + lines[i]));
          }
          joined += lines[i];
          while (joined.size() < message.size() && message[joined.size()].isSpace())
            joined += message[joined.size()];
        }
        QCOMPARE(joined, message);
      }
    }
  }

  void learningProblemIsShownOnceApartFromTheKeys() {
    QLabel* note = main_window->learning_label();
    QVERIFY(!note->isVisible());
    main_window->show_learning_problem(
        {LearningProblem::Kind::cannot_write, "learning.sqlite3: No space left on device"});
    QVERIFY(note->isVisible());
    QCOMPARE(note->text(), QStringLiteral("学習を保存できません"));
    QVERIFY(note->toolTip().contains(QStringLiteral("No space left")));
    main_window->show_learning_problem({LearningProblem::Kind::set_aside, "learning.sqlite3.bad"});
    QCOMPARE(note->text(), QStringLiteral("学習を保存できません"));  // once
    QVERIFY(main_window->rect().contains(note->geometry()));
    QVERIFY(!note->geometry().intersects(main_window->draft_label()->geometry()));
    for (QWidget* key : main_window->findChildren<QWidget*>()) {
      const bool is_key = key->inherits("QAbstractButton") || key->inherits("lumeta::KeyButton");
      if (key->parentWidget() != main_window.get() || !is_key) continue;
      QVERIFY2(!note->geometry().intersects(key->geometry()), qPrintable(key->accessibleName()));
    }
  }

  void aClickOnAPredictionConfirmsIt() {
    const LargeDictionary large(*main_window);
    CandidateStripWidget* bar = main_window->candidate_strip_widget();
    // がぞ, then a click on the prediction 画像.
    const auto write_gazou = [&] {
      clicks({key::K, key::K, key::A, key::S, key::S, key::O});
      int index = 0;
      for (int i = 1; i <= bar->prediction_count(); ++i) {
        if (bar->prediction_label(i) == QStringLiteral("画像")) index = i;
      }
      QVERIFY(index > 0);
      QVERIFY(!bar->prediction_rect(index).isEmpty());
      QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->prediction_rect(index).center());
      main_window->idle_pass();
    };
    write_gazou();
    QCOMPARE(text(), QStringLiteral("画像"));
    QCOMPARE(main_window->engine().composition_length(), 0);
    // Nothing pending: the strip offers the words that may follow 画像, and a click on one
    // inserts it confirmed.
    QVERIFY(bar->active() && bar->offers());
    const QString offered = bar->label(1).section(QLatin1Char(' '), 1);  // "1 を": を
    QCOMPARE(offered, QStringLiteral("を"));
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->candidate_rect(1).center());
    main_window->idle_pass();
    QCOMPARE(text(), QStringLiteral("画像を"));
    QCOMPARE(to_qstring(main_window->engine().state().front_fixed), text());
    // What follows a particle is the writer's own word: nothing is offered after を.
    QVERIFY(!bar->offers());
    // The first key typed instead of an offer makes the offers go away.
    write_gazou();
    QVERIFY(bar->offers());
    clicks({key::K});
    QVERIFY(!bar->offers());
    QVERIFY(text().startsWith(QStringLiteral("画像を画像")));
  }

  void undoKeyBringsBackWhatDeleteAllErased() {
    QVERIFY(!main_window->undo_key()->isEnabled());
    clicks({key::A, key::I});
    QTest::mousePress(main_window->delete_all_key(), Qt::LeftButton);
    QTest::mouseRelease(main_window->delete_all_key(), Qt::LeftButton);
    main_window->idle_pass();
    QVERIFY(main_window->undo_key()->isEnabled());
    clicks({key::U, key::centre});  // typing on keeps it
    QVERIFY(main_window->undo_key()->isEnabled());
    QTest::mouseClick(main_window->undo_key(), Qt::LeftButton);
    main_window->idle_pass();
    QCOMPARE(text(), QStringLiteral("あいう"));
    QVERIFY(!main_window->undo_key()->isEnabled());
  }

  void keysAreAccessibleButtons() {
    QAccessibleInterface* key = QAccessible::queryAccessibleInterface(main_window->key(key::K));
    QVERIFY(key);
    QCOMPARE(key->role(), QAccessible::Button);
    QCOMPARE(key->text(QAccessible::Name), QStringLiteral("キー K"));
    QCOMPARE(key->text(QAccessible::Description), QStringLiteral("Ｋ Ｇ Ｑ"));
    QVERIFY(key->actionInterface());
    key->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(text(), QStringLiteral("Ｋ"));
    click(key::mode);  // half-width alphabet: the descriptions follow the mode
    QCOMPARE(QAccessible::queryAccessibleInterface(main_window->key(key::W))
                 ->text(QAccessible::Description),
             QStringLiteral("W X スペース"));
    for (QWidget* widget : main_window->findChildren<QWidget*>()) {
      const bool control = qobject_cast<KeyButton*>(widget) || qobject_cast<QPushButton*>(widget);
      if (control) QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(widget->objectName()));
      if (control) QVERIFY(!widget->accessibleDescription().isEmpty());
    }
    QCOMPARE(QAccessible::queryAccessibleInterface(main_window->key(key::clear))
                 ->text(QAccessible::Name),
             QStringLiteral("クリア"));
    QAccessibleInterface* status =
        QAccessible::queryAccessibleInterface(main_window->mode_status());
    QCOMPARE(status->role(), QAccessible::StatusBar);
    QCOMPARE(status->text(QAccessible::Name), QStringLiteral("入力モード: 英字 大文字 半角"));
    QCOMPARE(status->childCount(), 0);
  }

  void facesArePaintedAtThePixelRatio() {
    const qreal ratio = main_window->devicePixelRatioF();
    const QPixmap face = main_window->key(key::A)->face();
    QCOMPARE(face.devicePixelRatio(), ratio);
    QCOMPARE(face.width(), qRound(50 * ratio));
    if (qEnvironmentVariableIsSet("LUMETA_EXPECT_RATIO")) {
      QCOMPARE(ratio, qEnvironmentVariable("LUMETA_EXPECT_RATIO").toDouble());
    }
  }

  void closingEndsTheProgram() {
    clicks({key::mode, key::mode});
    QTest::mouseClick(main_window->quit_key(), Qt::LeftButton);
    QVERIFY(!main_window->isVisible());
    QVERIFY(!main_window->symbol_picker()->isVisible());
  }
};

}  // namespace lumeta

QTEST_MAIN(lumeta::WindowTest)
#include "window_test.moc"
