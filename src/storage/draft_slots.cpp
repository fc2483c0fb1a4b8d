#include "draft_slots.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <cerrno>
#include <cstring>

namespace lumeta {
namespace {

// What an older Lumeta's QLockFile reads in a lock file to see that a live process holds it:
// "4242\nlumeta\nhost\n<machine id>\n<boot id>\n".
QByteArray holder_text() {
  return QByteArray::number(::getpid()) + '\n' +
         QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).fileName().toUtf8() +
         '\n' + QSysInfo::machineHostName().toUtf8() + '\n' + QSysInfo::machineUniqueId() + '\n' +
         QSysInfo::bootUniqueId() + '\n';
}

}  // namespace

std::unique_ptr<DraftLock> DraftLock::take(const QString& path, bool* held, QString* why) {
  const QByteArray name = QFile::encodeName(path);
  int error = 0;
  // A holder that gives the lock up removes the file: the lock taken must be on the file that
  // is there now, else it is taken again on the new one.
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int fd =
        ::open(name.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600);
    if (fd < 0) {
      error = errno;
      break;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      error = errno;
      ::close(fd);
      if (held) *held = error == EWOULDBLOCK;
      if (why) *why = path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
      return nullptr;
    }
    struct stat opened = {};
    struct stat now = {};
    if (::fstat(fd, &opened) == 0 && ::lstat(name.constData(), &now) == 0 &&
        opened.st_dev == now.st_dev && opened.st_ino == now.st_ino) {
      // Not synced: a lock means nothing after a restart, and a sync would hold up the start.
      // A disk that takes no byte (full, or over the file size limit) makes no lock either,
      // so the window says at once that it cannot save.
      const QByteArray text = holder_text();
      errno = 0;
      if (::ftruncate(fd, 0) == 0 && ::write(fd, text.constData(), text.size()) == text.size()) {
        return std::unique_ptr<DraftLock>(new DraftLock(name, fd));
      }
      error = errno ? errno : ENOSPC;
      ::unlink(name.constData());
      ::close(fd);
      break;
    }
    ::close(fd);
  }
  if (held) *held = false;
  if (why) {
    *why = path + QStringLiteral(": ") +
           (error ? QString::fromLocal8Bit(std::strerror(error))
                  : QStringLiteral("the lock cannot be made"));
  }
  return nullptr;
}

DraftLock::~DraftLock() {
  ::unlink(path_.constData());  // while still held, so nobody takes the file being removed
  ::close(fd_);
}

namespace {

// The lock of `draft`, or null with `held` saying whether another window holds it (rather than
// the lock not being possible at all, which `why` then explains).
std::unique_ptr<DraftLock> try_lock(const QString& draft, bool* held = nullptr,
                                    QString* why = nullptr) {
  return DraftLock::take(draft + QStringLiteral(".lock"), held, why);
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
    std::unique_ptr<DraftLock> lock = try_lock(path);
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
  for (Held& held : taken_in_)
    QFile::remove(held.path);
  taken_in_.clear();  // their locks go with them
}

}  // namespace lumeta
