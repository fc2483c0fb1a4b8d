#include "draft_writer.h"

#include <QMetaObject>

namespace lumeta {

DraftWriter::DraftWriter(QString path, FileCalls& calls)
    : file_(std::move(path), calls), thread_([this] { run(); }) {}

DraftWriter::~DraftWriter() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void DraftWriter::write(DraftTexts draft) {
  {
    std::lock_guard lock(mutex_);
    queued_ = std::move(draft);
  }
  changed_.notify_all();
}

void DraftWriter::wait() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return !queued_ && !busy_; });
}

void DraftWriter::run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return queued_ || stopping_; });
    if (!queued_) return;  // stopping with nothing left to write
    std::optional<DraftTexts> draft = std::move(queued_);
    queued_.reset();
    busy_ = true;
    lock.unlock();
    const bool ok = file_.save(*draft);
    draft.reset();  // the texts are freed here, on the thread that owned them last
    const QString error = file_.error();
    QMetaObject::invokeMethod(
        this, [this, ok, error] { emit written(ok, error); }, Qt::QueuedConnection);
    lock.lock();
    busy_ = false;
    changed_.notify_all();
  }
}

}  // namespace lumeta
