#include "draft_keeper.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include "engine.h"
#include "view.h"

namespace lumeta {
namespace {

// What the line under the keys says; the README tells what each one means.
const QString kCannotSave = QStringLiteral("下書きを保存できません");
const QString kUnsafeFolder = QStringLiteral(
    "下書きのフォルダはほかの人も書き込めるため使いません。文章はこの窓の中だけにあります");
const QString kAllTaken =
    QStringLiteral("ほかの Lumeta が下書きをすべて使っているため、この窓の文章は保存しません");
const QString kOwnSlot =
    QStringLiteral("ほかの Lumeta が draft.txt を使っているため、この窓の下書きは %1 に保存します");
const QString kSetAside = QStringLiteral("前回の下書きは読めないため %1 に移しました");
const QString kOtherSetAside = QStringLiteral("読めない下書きを %1 に移しました");
const QString kLeftBad =
    QStringLiteral("読めない下書き %1 を移せないため、この窓の文章は保存しません");

QString file_name(const QString& path) {
  return QFileInfo(path).fileName();
}

}  // namespace

DraftKeeper::DraftKeeper(QString folder, FileCalls& calls, int delay_ms)
    : folder_(std::move(folder)), calls_(calls) {
  timer_.setSingleShot(true);
  timer_.setInterval(delay_ms);
  connect(&timer_, &QTimer::timeout, this, &DraftKeeper::queue);
}

// The engine may be gone by now: nothing is written here, the writer finishes what it has
// queued and the lock goes.
DraftKeeper::~DraftKeeper() = default;

QString DraftKeeper::path() const {
  return enabled_ && slots_ && slots_->slot() ? slots_->path_of(slots_->slot()) : QString();
}

DraftKeeper::Mark DraftKeeper::mark() const {
  return {engine_->display().version(), view_->caret(), engine_->kept_for_undo().size(),
          engine_->offered_for_undo().size()};
}

void DraftKeeper::offer(const DraftTexts& draft) {
  for (std::string& text : draft.offers())
    engine_->keep_for_undo(std::move(text));
}

// At start the text area is empty; the drafts kept from earlier runs wait behind 元に戻す,
// this window's own first, then those of windows that ran beside it, one after the other.
// The draft is written only where it can never destroy another: a private folder, a draft
// no other window holds, no bad draft left in the way.
void DraftKeeper::load(Engine& engine, const View& view) {
  engine_ = &engine;
  view_ = &view;
  written_ = mark();
  QString error;
  if (DraftFile::prepare_folder(folder_, &error) == DraftFile::Folder::unsafe) {
    show(kUnsafeFolder, error);
    return;
  }
  DraftFile::remove_leftovers(folder_);
  slots_ = std::make_unique<DraftSlots>(folder_);
  const int slot = slots_->claim();
  if (slot == 0) {
    show(kAllTaken, folder_);
    return;
  }
  // A slot whose lock cannot be made (a full or read-only disk) is still read: its text comes
  // back, and every change tries the lock and the write again.
  const QString path = slots_->path_of(slot);
  DraftFile own(path, calls_);
  QStringList notes;
  if (slot > 1) notes << kOwnSlot.arg(file_name(path));
  DraftTexts draft;
  switch (own.load(draft)) {
    case DraftFile::Loaded::loaded:
      offer(draft);
      break;
    case DraftFile::Loaded::set_aside:
      notes << kSetAside.arg(file_name(own.set_aside_as()));
      break;
    case DraftFile::Loaded::left_bad:
    case DraftFile::Loaded::unsafe_folder:
      notes << kLeftBad.arg(file_name(path));
      show(notes.join(QLatin1Char('\n')), own.error());
      return;
    case DraftFile::Loaded::none:
      break;
  }
  enabled_ = true;
  if (slots_->locked()) take_in_others(notes);
  start_note_ = notes.join(QLatin1Char('\n'));
  start_details_ = path;
  show(start_note_, start_details_);
  if (!slots_->locked()) failed(slots_->error());
  // The drafts taken in are written into this window's own draft at once, then removed.
  if (taken_in_) written_ = {};
}

// The drafts of the other slots that no window holds, each in front of the text.
void DraftKeeper::take_in_others(QStringList& notes) {
  for (const QString& path : slots_->take_in()) {
    DraftFile other(path, calls_);
    DraftTexts taken;
    switch (other.load(taken)) {
      case DraftFile::Loaded::loaded:
        offer(taken);
        taken_in_ = true;
        break;
      case DraftFile::Loaded::set_aside:
        notes << kOtherSetAside.arg(file_name(other.set_aside_as()));
        break;
      default:
        slots_->give_back(path);  // left where it is, never removed
        break;
    }
  }
}

void DraftKeeper::schedule() {
  if (enabled_ && mark() != written_ && !timer_.isActive()) timer_.start();
}

bool DraftKeeper::ready_to_write() {
  if (!slots_->locked()) {
    const int before = slots_->slot();
    if (slots_->claim() == 0) {  // every slot taken meanwhile: nowhere to write
      failed(folder_);
      return false;
    }
    if (!slots_->locked()) {
      failed(slots_->error());
      return false;
    }
    // The slot read at start went to another window meanwhile: this text goes to the next.
    if (slots_->slot() != before) start_note_ = kOwnSlot.arg(file_name(path()));
  }
  if (!writer_ || writer_path_ != path()) {
    writer_path_ = path();
    writer_ = std::make_unique<DraftWriter>(writer_path_, calls_);
    connect(writer_.get(), &DraftWriter::written, this, &DraftKeeper::written);
  }
  return true;
}

// The draft holds what is on display and what 元に戻す would give back: the text kept for it,
// then the texts offered from earlier runs. It is written on a thread of its own, so a key
// never waits for the disk.
bool DraftKeeper::queue() {
  timer_.stop();
  if (!enabled_) return false;
  const Mark now = mark();
  if (now == written_) return false;
  written_ = now;
  if (!ready_to_write()) {
    written_ = {};
    return false;
  }
  DraftTexts draft;
  draft.text = engine_->display().text();
  draft.caret = now.caret;
  if (!engine_->kept_for_undo().empty()) draft.kept.push_back(engine_->kept_for_undo());
  for (const std::string& offered : engine_->offered_for_undo())
    draft.kept.push_back(offered);
  writer_->write(std::move(draft));
  return true;
}

void DraftKeeper::save_now() {
  if (!queue()) return;
  writer_->wait();
  // The write's outcome is on its way through the event queue; take it now.
  QCoreApplication::sendPostedEvents(writer_.get(), QEvent::MetaCall);
}

void DraftKeeper::close() {
  if (enabled_) save_now();
  writer_.reset();
  slots_.reset();
  enabled_ = false;
}

// A failure never stops typing and never harms the draft on disk; it is said quietly under
// the keys, and the next change tries again.
void DraftKeeper::written(bool ok, const QString& error) {
  if (!ok) {
    written_ = {};
    failed(error);
    return;
  }
  if (taken_in_) slots_->drop_taken_in();
  taken_in_ = false;
  if (failing_) show(start_note_, start_details_);
  failing_ = false;
}

void DraftKeeper::failed(const QString& error) {
  failing_ = true;
  if (shown_note_ != kCannotSave || shown_details_ != error) show(kCannotSave, error);
}

void DraftKeeper::show(const QString& note, const QString& details) {
  shown_note_ = note;
  shown_details_ = details;
  emit note_changed(note, details);
}

}  // namespace lumeta
