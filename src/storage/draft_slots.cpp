#include "draft_slots.h"

#include <QFile>
#include <cerrno>
#include <cstring>

namespace lumeta {
namespace {

// The lock of `draft`, or null with `held` saying whether another window holds it (rather than
// the lock not being possible at all, which `why` then explains).
std::unique_ptr<QLockFile> try_lock(const QString& draft, bool* held = nullptr,
                                    QString* why = nullptr) {
  const QString name = draft + QStringLiteral(".lock");
  auto lock = std::make_unique<QLockFile>(name);
  lock->setStaleLockTime(0);  // a lock is stale only when its process is gone
  errno = 0;
  if (lock->tryLock(0)) return lock;
  const int error = errno;
  if (held) *held = lock->error() == QLockFile::LockFailedError;
  if (why) {
    *why = name + QStringLiteral(": ") +
           (error ? QString::fromLocal8Bit(std::strerror(error))
                  : QStringLiteral("the lock cannot be made"));
  }
  return nullptr;
}

}  // namespace

DraftSlots::DraftSlots(QString folder) : folder_(std::move(folder)) {}

DraftSlots::~DraftSlots() = default;

QString DraftSlots::path_of(int n) const {
  return folder_ + (n == 1 ? QStringLiteral("/draft.txt") : QStringLiteral("/draft-%1.txt").arg(n));
}

int DraftSlots::claim() {
  own_.reset();
  for (int n = 1; n <= kSlots; ++n) {
    bool held = false;
    own_ = try_lock(path_of(n), &held, &error_);
    if (own_) error_.clear();
    if (own_ || !held) return slot_ = n;
  }
  return slot_ = 0;
}

std::vector<QString> DraftSlots::take_in() {
  std::vector<QString> paths;
  for (int n = 1; n <= kSlots; ++n) {
    const QString path = path_of(n);
    if (n == slot_ || !QFile::exists(path)) continue;
    std::unique_ptr<QLockFile> lock = try_lock(path);
    if (!lock) continue;
    taken_in_.push_back({path, std::move(lock)});
    paths.push_back(path);
  }
  return paths;
}

void DraftSlots::give_back(const QString& path) {
  std::erase_if(taken_in_, [&path](const Held& held) { return held.path == path; });
}

void DraftSlots::drop_taken_in() {
  for (Held& held : taken_in_) {
    QFile::remove(held.path);
    held.lock->unlock();
  }
  taken_in_.clear();
}

}  // namespace lumeta
