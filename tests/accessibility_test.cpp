// The window as a screen reader sees it, through QAccessible only: the typed text, the caret and
// the lines of the display and the news of their changes, the candidates of the strip and the
// cells of the symbol picker, each worked by its "Press" action.
#include <QAccessible>
#include <QApplication>
#include <QTest>

#include "dictionary.h"
#include "main_window.h"
#include "qt_text.h"
#include "sjis.h"
#include "text_display_accessible.h"

namespace lumeta {

namespace {

// What a screen reader hears of the display, copied out of each event.
struct Heard {
  QAccessible::Event type;
  int position = -1;
  QString removed;
  QString inserted;
};
QList<Heard> g_heard;
QObject* g_listened = nullptr;

void hear(QAccessibleEvent* event) {
  if (event->object() != g_listened) return;
  Heard h{event->type(), -1, {}, {}};
  switch (event->type()) {
    case QAccessible::TextInserted: {
      auto* e = static_cast<QAccessibleTextInsertEvent*>(event);
      h.position = e->changePosition();
      h.inserted = e->textInserted();
      break;
    }
    case QAccessible::TextRemoved: {
      auto* e = static_cast<QAccessibleTextRemoveEvent*>(event);
      h.position = e->changePosition();
      h.removed = e->textRemoved();
      break;
    }
    case QAccessible::TextUpdated: {
      auto* e = static_cast<QAccessibleTextUpdateEvent*>(event);
      h.position = e->changePosition();
      h.removed = e->textRemoved();
      h.inserted = e->textInserted();
      break;
    }
    case QAccessible::TextCaretMoved:
      h.position = static_cast<QAccessibleTextCursorEvent*>(event)->cursorPosition();
      break;
    default:
      return;
  }
  g_heard << h;
}

}  // namespace

class AccessibilityTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<MainWindow> main_window;

  void click(int key) {
    QTest::mousePress(main_window->key(key), Qt::LeftButton);
    QTest::mouseRelease(main_window->key(key), Qt::LeftButton);
    main_window->idle_pass();
  }
  void clicks(std::initializer_list<int> keys) {
    for (int key : keys)
      click(key);
  }
  QString shown() const { return to_qstring(main_window->engine().display().text()); }
  QAccessibleInterface* display() const {
    return QAccessible::queryAccessibleInterface(main_window->display());
  }
  QAccessibleTextInterface* text() const { return display()->textInterface(); }
  QString all() const { return text()->text(0, text()->characterCount()); }
  static void press(QAccessibleInterface* iface) {
    QVERIFY(iface && iface->actionInterface());
    QVERIFY(iface->actionInterface()->actionNames().contains(
        QAccessibleActionInterface::pressAction()));
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  }

 private slots:
  void init() {
    main_window = std::make_unique<MainWindow>();
    // The strip's lists are those of the built-in dictionary alone.
    main_window->keypad().conversion().dictionaries = Dictionaries::builtin;
    main_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(main_window.get()));
  }
  void cleanup() { main_window.reset(); }

  void displayIsReadOnlyTextWithACaret() {
    QAccessibleInterface* iface = display();
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::EditableText);
    QVERIFY(iface->state().readOnly);
    QVERIFY(iface->state().multiLine);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("入力テキスト"));
    QVERIFY(text());
    QCOMPARE(text()->characterCount(), 0);
    // あ, a line break, か
    clicks({key::A, key::centre, key::centre, key::K, key::A, key::centre});
    QCOMPARE(all(), QStringLiteral("あ\nか"));  // one unit per character, the break a LF
    QCOMPARE(text()->cursorPosition(), 3);
    click(key::left);  // ←
    QCOMPARE(main_window->display()->caret(), 4);
    QCOMPARE(text()->cursorPosition(), 2);
    int start = -1, end = -1;
    QCOMPARE(text()->textAtOffset(2, QAccessible::CharBoundary, &start, &end),
             QStringLiteral("か"));
    QCOMPARE(std::pair(start, end), std::pair(2, 3));
    QCOMPARE(text()->textAtOffset(0, QAccessible::LineBoundary, &start, &end),
             QStringLiteral("あ\n"));
    QCOMPARE(std::pair(start, end), std::pair(0, 2));
    QCOMPARE(text()->textAtOffset(2, QAccessible::LineBoundary, &start, &end),
             QStringLiteral("か"));
    QCOMPARE(text()->textBeforeOffset(2, QAccessible::LineBoundary, &start, &end),
             QStringLiteral("あ\n"));
    QCOMPARE(text()->textAfterOffset(0, QAccessible::LineBoundary, &start, &end),
             QStringLiteral("か"));
    QCOMPARE(text()->textAfterOffset(2, QAccessible::LineBoundary, &start, &end), QString());
    QCOMPARE(text()->text(1, 3), QStringLiteral("\nか"));
    // A tool that moves the caret moves it as a click in the display would.
    text()->setCursorPosition(1);
    QCOMPARE(main_window->display()->caret(), 2);
    QCOMPARE(text()->selectionCount(), 0);
  }

  // The caret set by a tool is the insertion point, with what was pending confirmed as shown,
  // as after a click; a place outside the text and a selection are refused.
  void caretSetByAToolIsWhereTypingGoes() {
    clicks({key::A, key::I, key::K});  // あい, and K pending: confirmed as shown, Ｋ
    text()->setCursorPosition(1);
    main_window->idle_pass();
    QCOMPARE(text()->cursorPosition(), 1);
    clicks({key::U});
    QCOMPARE(all(), QStringLiteral("あういＫ"));
    text()->setCursorPosition(99);
    text()->setCursorPosition(-1);
    QCOMPARE(text()->cursorPosition(), 2);
    text()->addSelection(0, 1);
    QCOMPARE(text()->selectionCount(), 0);
    // Words at every offset of the text, the end included, answer.
    int start = -1, end = -1;
    for (int offset = 0; offset <= text()->characterCount(); ++offset) {
      text()->textAtOffset(offset, QAccessible::WordBoundary, &start, &end);
      QVERIFY(start >= 0 && end <= text()->characterCount());
    }
    QCOMPARE(text()->textAtOffset(0, QAccessible::WordBoundary, &start, &end), all().left(3));
  }

  // Every question that takes an offset answers at 0 and at the end, and an offset past the end
  // changes nothing: the caret goes to the end of the text, never past it.
  void offsetsAnswerFromTheStartToTheEnd() {
    clicks({key::A, key::I, key::centre});  // あい, confirmed
    const int end = text()->characterCount();
    QCOMPARE(end, 2);
    text()->setCursorPosition(0);
    QCOMPARE(text()->cursorPosition(), 0);
    text()->setCursorPosition(end);
    QCOMPARE(text()->cursorPosition(), end);
    QCOMPARE(main_window->display()->caret(), 4);
    text()->setCursorPosition(0);
    text()->setCursorPosition(end + 1);  // refused: the caret stays where it was
    QCOMPARE(text()->cursorPosition(), 0);
    text()->setCursorPosition(end);
    clicks({key::U});  // typing goes on at the end
    QCOMPARE(all(), QStringLiteral("あいう"));
    const int longer = text()->characterCount();
    QCOMPARE(text()->text(0, longer + 1), all());
    QCOMPARE(text()->text(longer, longer + 1), QString());
    int start = -1, stop = -1;
    for (const auto type : {QAccessible::CharBoundary, QAccessible::WordBoundary,
                            QAccessible::SentenceBoundary, QAccessible::LineBoundary}) {
      for (int offset : {0, longer}) {
        text()->textAtOffset(offset, type, &start, &stop);
        QVERIFY2(0 <= start && start <= stop && stop <= longer, qPrintable(QString::number(type)));
      }
      text()->textAtOffset(longer + 1, type, &start, &stop);
      QVERIFY(start == -1 || (0 <= start && start <= stop && stop <= longer));
    }
    QVERIFY(!text()->characterRect(0).isEmpty());
    QVERIFY(!text()->characterRect(longer).isEmpty());  // where the caret stands at the end
  }

  void wrappedLinesAreLinesAndPointsAreCharacters() {
    int guard = 0;
    while (main_window->display()->line_count() < 2 && guard++ < 40)
      clicks({key::A, key::centre});
    QCOMPARE(main_window->display()->line_count(), 2);
    const int wrap = main_window->display()->line_start(1) / 2;  // all two-byte あ
    int start = -1, end = -1;
    const QString first = text()->textAtOffset(0, QAccessible::LineBoundary, &start, &end);
    QCOMPARE(std::pair(start, end), std::pair(0, wrap));
    QCOMPARE(first, QString(wrap, QChar(u'あ')));
    text()->textAtOffset(wrap, QAccessible::LineBoundary, &start, &end);
    QCOMPARE(std::pair(start, end), std::pair(wrap, text()->characterCount()));
    const QRect second = text()->characterRect(1);
    QVERIFY(!second.isEmpty());
    QCOMPARE(text()->offsetAtPoint(second.center()), 1);
    QVERIFY(text()->characterRect(wrap).top() > second.top());
  }

  // A screen reader keeps its own copy of the text from the news of each change.
  void changesAndCaretMovesAreAnnounced() {
    g_heard.clear();
    g_listened = main_window->display();
    listen_to_text_events(hear);
    QString mirror;
    int caret = 0;
    auto follow = [&] {
      for (const Heard& h : g_heard) {
        if (h.type == QAccessible::TextCaretMoved) {
          caret = h.position;
          continue;
        }
        QCOMPARE(mirror.mid(h.position, h.removed.size()), h.removed);
        mirror.replace(h.position, h.removed.size(), h.inserted);
      }
      g_heard.clear();
      QCOMPARE(mirror, all());
      QCOMPARE(caret, text()->cursorPosition());
    };
    for (int k : {key::A,      key::K,      key::A, key::I, key::down,  key::down,  key::up,
                  key::centre, key::centre, key::S, key::E, key::left,  key::left,  key::clear,
                  key::right,  key::right,  key::K, key::A, key::clear, key::right, key::down}) {
      click(k);
      follow();
    }
    QTest::mouseClick(main_window->delete_all_key(), Qt::LeftButton);
    main_window->idle_pass();
    follow();
    QCOMPARE(mirror, QString());
    QTest::mouseClick(main_window->undo_key(), Qt::LeftButton);
    main_window->idle_pass();
    follow();
    QVERIFY(!mirror.isEmpty());
    // A click in the display moves the caret and says so.
    QTest::mouseClick(main_window->display()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(3, 5));
    QCOMPARE(g_heard.size(), 1);
    QCOMPARE(g_heard[0].type, QAccessible::TextCaretMoved);
    QCOMPARE(g_heard[0].position, 0);
    listen_to_text_events(nullptr);
    g_listened = nullptr;
  }

  void candidatesAreChildrenPressedToPick() {
    QAccessibleInterface* strip =
        QAccessible::queryAccessibleInterface(main_window->candidate_strip_widget());
    QVERIFY(strip);
    QCOMPARE(strip->role(), QAccessible::List);
    QCOMPARE(strip->childCount(), 0);
    clicks({key::K, key::A, key::I});  // かい: ten candidates
    QCOMPARE(strip->childCount(), 10);
    QCOMPARE(strip->child(0)->text(QAccessible::Name), QStringLiteral("1 回"));
    QCOMPARE(strip->child(1)->text(QAccessible::Name), QStringLiteral("2 会"));
    QCOMPARE(strip->child(1)->role(), QAccessible::ListItem);
    QCOMPARE(strip->indexOfChild(strip->child(7)), 7);
    QCOMPARE(strip->child(1)->parent(), strip);
    QVERIFY(!strip->child(10));
    clicks({key::down, key::down});  // 会 on display
    QVERIFY(strip->child(1)->state().selected);
    QVERIFY(!strip->child(0)->state().selected);
    const QRect third = strip->child(2)->rect();
    QVERIFY(!third.isEmpty());
    QCOMPARE(strip->childAt(third.center().x(), third.center().y()), strip->child(2));
    QAccessibleInterface* fourth = strip->child(3);
    press(fourth);
    main_window->idle_pass();
    const QString chosen = to_qstring(main_window->engine().state().candidate[4]);
    QCOMPARE(shown(), chosen);
    QCOMPARE(to_qstring(main_window->engine().state().front_fixed),
             chosen);  // confirmed, as a click does
    QCOMPARE(strip->childCount(), 0);
    QVERIFY(!fourth->isValid());
    fourth->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(shown(), chosen);  // a candidate no longer shown picks nothing
    // A candidate on a page of the strip not in view can be picked all the same.
    clicks({key::K, key::Y, key::O, key::U});  // きょう
    QVERIFY(main_window->candidate_strip_widget()->page_count() > 1);
    QAccessibleInterface* last = strip->child(strip->childCount() - 1);
    QVERIFY(last->state().offscreen);
    const QString candidate = last->text(QAccessible::Name).section(QLatin1Char(' '), 1);
    press(last);
    main_window->idle_pass();
    QCOMPARE(shown(), chosen + candidate);
  }

  void predictionsAreChildrenPressedToChoose() {
    main_window->keypad().conversion().dictionaries = Dictionaries::builtin_and_large;
    QAccessibleInterface* strip =
        QAccessible::queryAccessibleInterface(main_window->candidate_strip_widget());
    clicks({key::K, key::A, key::I});  // かい
    // The children come as the strip draws them: the predictions, then the candidates, each
    // shown child right of or under the one before it.
    const int predictions = main_window->candidate_strip_widget()->prediction_count();
    QVERIFY(predictions > 0);
    QAccessibleInterface* kaigi = nullptr;
    for (int i = 0; i < predictions; ++i) {
      QCOMPARE(strip->child(i)->text(QAccessible::Description), QStringLiteral("予測"));
      if (strip->child(i)->text(QAccessible::Name) == QStringLiteral("会議"))
        kaigi = strip->child(i);
    }
    QVERIFY(kaigi);
    QVERIFY(strip->childCount() > predictions);
    QCOMPARE(strip->child(predictions)->text(QAccessible::Name).section(QLatin1Char(' '), 0, 0),
             QStringLiteral("1"));
    QRect before;
    for (int i = 0; i < strip->childCount() && !strip->child(i)->state().offscreen; ++i) {
      const QRect place = strip->child(i)->rect();
      QVERIFY2(before.isNull() || place.top() > before.top() ||
                   (place.top() == before.top() && place.left() > before.left()),
               qPrintable(strip->child(i)->text(QAccessible::Name)));
      QCOMPARE(strip->childAt(place.center().x(), place.center().y()), strip->child(i));
      before = place;
    }
    const QRect place = kaigi->rect();
    QCOMPARE(strip->childAt(place.center().x(), place.center().y()), kaigi);
    press(kaigi);
    main_window->idle_pass();
    QCOMPARE(shown(), QStringLiteral("会議"));
    QCOMPARE(to_qstring(main_window->engine().state().front_fixed), QStringLiteral("会議"));
    // Then the strip's children are the words offered to follow 会議, pressed to insert one.
    QVERIFY(main_window->candidate_strip_widget()->offers());
    QCOMPARE(strip->childCount(), main_window->candidate_strip_widget()->candidate_count());
    QVERIFY(strip->childCount() > 0);
    const QString offered = strip->child(0)->text(QAccessible::Name).section(QLatin1Char(' '), 1);
    press(strip->child(0));
    main_window->idle_pass();
    QCOMPARE(shown(), QStringLiteral("会議") + offered);
  }

  void symbolCellsArePressedToInsert() {
    clicks({key::A, key::centre, key::mode, key::mode});  // あ confirmed, symbol mode
    SymbolPicker* picker = main_window->symbol_picker();
    QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(picker->grid());
    QVERIFY(grid);
    QCOMPARE(grid->role(), QAccessible::Table);
    QVERIFY(grid->tableInterface());
    QCOMPARE(grid->tableInterface()->columnCount(), 10);
    QCOMPARE(grid->tableInterface()->rowCount(), 15);
    QCOMPARE(grid->childCount(), 150);
    QAccessibleInterface* cell = grid->tableInterface()->cellAt(0, 1);
    QCOMPARE(cell->text(QAccessible::Name), QStringLiteral("●"));
    QCOMPARE(cell->role(), QAccessible::Cell);
    QCOMPARE(cell->tableCellInterface()->rowIndex(), 0);
    QCOMPARE(cell->tableCellInterface()->columnIndex(), 1);
    QCOMPARE(grid->indexOfChild(cell), 1);
    QCOMPARE(grid->child(58)->text(QAccessible::Name), QStringLiteral("全角スペース"));
    QVERIFY(!grid->child(150));
    QCOMPARE(picker->panel(SymbolPage::full_width)->accessibleDescription(),
             QStringLiteral("表示中のページ"));
    QCOMPARE(picker->panel(SymbolPage::half_width)->accessibleDescription(),
             QStringLiteral("このページに切り替える"));
    QCOMPARE(grid->text(QAccessible::Description), QStringLiteral("全角記号"));
    press(cell);
    QCOMPARE(shown(), QStringLiteral("あ●"));
    QVERIFY(cell->state().selected);
    QCOMPARE(grid->tableInterface()->selectedCellCount(), 1);
    click(key::down);  // the half-width page: the same cell now holds its symbol
    QCOMPARE(picker->panel(SymbolPage::half_width)->accessibleDescription(),
             QStringLiteral("表示中のページ"));
    QCOMPARE(picker->panel(SymbolPage::full_width)->accessibleDescription(),
             QStringLiteral("このページに切り替える"));
    QCOMPARE(grid->text(QAccessible::Description), QStringLiteral("半角記号"));
    QCOMPARE(grid->tableInterface()->rowCount(), 4);
    const QString second = grid->tableInterface()->cellAt(0, 1)->text(QAccessible::Name);
    press(grid->tableInterface()->cellAt(0, 1));
    QCOMPARE(shown(), QStringLiteral("あ●") + second);
    QVERIFY(!grid->child(grid->childCount()));
    // A hidden picker inserts nothing.
    QTest::keyClick(picker, Qt::Key_Control);
    QVERIFY(!picker->isVisible());
    press(grid->child(0));
    QCOMPARE(shown(), QStringLiteral("あ●") + second);
  }

  // While the picker is closed its cells are hidden and nowhere, not over the text; its page
  // names are buttons that turn to their page.
  void closedPickerShowsNoCellsAndPageNamesTurnPages() {
    SymbolPicker* picker = main_window->symbol_picker();
    QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(picker->grid());
    const auto hidden = [&] {
      for (int i = 0; i < grid->childCount(); ++i) {
        QAccessibleInterface* cell = grid->child(i);
        if (!cell->state().invisible || !cell->state().offscreen || !cell->rect().isEmpty())
          return false;
      }
      return grid->childCount() > 0;
    };
    QVERIFY(hidden());
    clicks({key::mode, key::mode});  // symbol mode
    QVERIFY(!grid->child(0)->state().invisible);
    QVERIFY(!grid->child(0)->state().offscreen);
    QVERIFY(main_window->display()->geometry().contains(
        main_window->mapFromGlobal(grid->child(0)->rect().center())));
    QAccessibleInterface* pictographs =
        QAccessible::queryAccessibleInterface(picker->panel(SymbolPage::pictographs));
    QCOMPARE(pictographs->role(), QAccessible::Button);
    press(pictographs);
    QTRY_COMPARE(main_window->engine().state().symbol_page, SymbolPage::pictographs);
    QCOMPARE(picker->panel(SymbolPage::pictographs)->accessibleDescription(),
             QStringLiteral("表示中のページ"));
    QCOMPARE(grid->text(QAccessible::Description), QStringLiteral("絵文字"));
    QTest::mouseClick(picker->panel(SymbolPage::half_width), Qt::LeftButton);
    QCOMPARE(main_window->engine().state().symbol_page, SymbolPage::half_width);
    click(key::down);  // ↓ goes on from the page clicked
    QCOMPARE(main_window->engine().state().symbol_page, SymbolPage::pictographs);
    click(key::centre);  // the picker closes
    QVERIFY(hidden());
    press(pictographs);  // a closed picker turns no page
    QTest::qWait(300);
    QCOMPARE(main_window->engine().state().symbol_page, SymbolPage::full_width);
  }

  // 送る's message is a notification: named by what it says, read through its text, and
  // described by what it is about; the messages of the draft and of learning are the same.
  void messagesAreNotificationsWithAText() {
    QTest::mouseClick(main_window->send_key(), Qt::LeftButton);  // nothing to send
    QAccessibleInterface* said = QAccessible::queryAccessibleInterface(main_window->send_label());
    QVERIFY(said);
    const QString message = QStringLiteral("送る文章がありません");
    QCOMPARE(said->role(), QAccessible::Notification);
    QCOMPARE(said->text(QAccessible::Name), message);
    QCOMPARE(said->text(QAccessible::Description), QStringLiteral("送信の状況"));
    QVERIFY(said->textInterface());
    QCOMPARE(said->textInterface()->characterCount(), message.size());
    QCOMPARE(said->textInterface()->text(0, message.size() + 1), message);
    int start = -1, end = -1;
    QCOMPARE(said->textInterface()->textAtOffset(0, QAccessible::CharBoundary, &start, &end),
             QStringLiteral("送"));
    main_window->show_learning_problem(
        {LearningProblem::Kind::cannot_write, "learning.sqlite3: No space left on device"});
    QAccessibleInterface* learning =
        QAccessible::queryAccessibleInterface(main_window->learning_label());
    QCOMPARE(learning->role(), QAccessible::Notification);
    QCOMPARE(learning->text(QAccessible::Name), QStringLiteral("学習を保存できません"));
    QCOMPARE(learning->textInterface()->text(0, 10), QStringLiteral("学習を保存できません"));
  }

  void keyDescriptionsKeepTheMarksApart() {
    auto description = [this](int key) {
      return QAccessible::queryAccessibleInterface(main_window->key(key))
          ->text(QAccessible::Description);
    };
    QCOMPARE(description(key::Z), QStringLiteral("、 。 ？ ！"));
    QCOMPARE(description(key::K), QStringLiteral("Ｋ Ｇ Ｑ"));
    QCOMPARE(description(key::W), QStringLiteral("Ｗ Ｘ 全角スペース"));
    click(key::mode);  // half-width alphabet
    QCOMPARE(description(key::Z), QStringLiteral(", . ? !"));
    QCOMPARE(description(key::W), QStringLiteral("W X スペース"));
    click(key::caps);  // digits
    QCOMPARE(description(key::Z), QStringLiteral("0"));
    QCOMPARE(description(key::K), QStringLiteral("入力なし"));
  }
};

}  // namespace lumeta

QTEST_MAIN(lumeta::AccessibilityTest)
#include "accessibility_test.moc"
