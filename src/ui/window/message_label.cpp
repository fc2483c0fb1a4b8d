#include "message_label.h"

#include <QFontMetrics>

#include "accessible.h"
#include "ui_font.h"

namespace lumeta {
namespace {

// What a character is to a phrase: the hiragana and punctuation after a word stay with it.
enum class Part { word, hiragana, opening, closing, space };

Part part_of(QChar c) {
  if (c.isSpace()) return Part::space;
  if (c.script() == QChar::Script_Hiragana || c == u'ー') return Part::hiragana;
  switch (c.category()) {
    case QChar::Punctuation_Open:
    case QChar::Punctuation_InitialQuote:
      return Part::opening;
    case QChar::Punctuation_Close:
    case QChar::Punctuation_FinalQuote:
    case QChar::Punctuation_Other:
      return Part::closing;
    default:
      return Part::word;
  }
}

// Whether a phrase starts at `i` of `text` (0 < i < size): after a space or a closing mark, at
// an opening mark, and at a word after hiragana (送り先の|ウィンドウを|選んでから).
bool phrase_starts_at(const QString& text, int i) {
  const Part before = part_of(text[i - 1]), here = part_of(text[i]);
  if (here == Part::space || here == Part::closing || before == Part::opening) return false;
  if (before == Part::space || before == Part::closing || here == Part::opening) return true;
  return before == Part::hiragana && here == Part::word;
}

}  // namespace

QStringList phrase_lines(const QString& text, const QFontMetrics& metrics, int width) {
  const auto fits = [&](const QString& line) {
    qsizetype end = line.size();
    while (end > 0 && line[end - 1].isSpace())
      --end;
    return metrics.horizontalAdvance(line.left(end)) <= width;
  };
  QStringList lines;
  for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
    QString line;
    const auto add_phrase = [&](const QString& phrase) {
      if (fits(line + phrase)) {
        line += phrase;
        return;
      }
      if (!line.isEmpty()) lines << line.trimmed();
      line.clear();
      // Wider than a line: cut between characters, never inside a pair of surrogates.
      for (qsizetype i = 0; i < phrase.size();) {
        const qsizetype n = phrase[i].isHighSurrogate() && i + 1 < phrase.size() ? 2 : 1;
        const QString c = phrase.mid(i, n);
        if (!line.isEmpty() && !fits(line + c)) {
          lines << line.trimmed();
          line.clear();
        }
        line += c;
        i += n;
      }
    };
    int start = 0;
    for (int i = 1; i < paragraph.size(); ++i) {
      if (!phrase_starts_at(paragraph, i)) continue;
      add_phrase(paragraph.mid(start, i - start));
      start = i;
    }
    add_phrase(paragraph.mid(start));
    lines << line.trimmed();
  }
  return lines;
}

MessageLabel::MessageLabel(QWidget* parent, const QString& about, const QRect& place)
    : QLabel(parent) {
  install_accessible_factory();
  setGeometry(place);
  setWordWrap(true);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setFont(ui_font(12));
  QPalette grey = palette();
  grey.setColor(QPalette::WindowText, QColor(0x66, 0x66, 0x66));
  setPalette(grey);
  setAccessibleDescription(about);
  hide();
}

void MessageLabel::say(const QString& message, const QString& details, bool announce) {
  const bool again = message == message_ && isVisible();
  message_ = message;
  setToolTip(details);
  wrap();
  setVisible(!message.isEmpty());
  if (announce && !again && !message.isEmpty()) accessible_message_said(this);
}

void MessageLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  wrap();
}

void MessageLabel::wrap() {
  if (message_.isEmpty()) {
    clear();
    return;
  }
  setText(phrase_lines(message_, fontMetrics(), contentsRect().width() - 1).join(u'\n'));
}

}  // namespace lumeta
