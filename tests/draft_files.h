// What the draft tests share: Shift-JIS text from UTF-8 literals, and files read and written.
#pragma once

#include <sys/mount.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <string>

#include "sjis.h"

namespace lumeta::testing {

// Test strings are written in UTF-8; the draft takes and gives the engine's Shift-JIS.
inline std::string cp932(const char8_t* utf8) {
  return sjis::from_utf8(reinterpret_cast<const char*>(utf8)).value();
}

inline QByteArray read_all(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool write_all(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A real tmpfs of `kib` KiB mounted on `folder` (created 0700) for as long as it lives, so
// that a full disk is the kernel's own; only root can mount, so elsewhere mounted() is false.
class SmallDisk {
 public:
  SmallDisk(const QString& folder, int kib) : folder_(QFile::encodeName(folder)) {
    QDir().mkpath(folder);
    const QByteArray options = "size=" + QByteArray::number(kib) + "k,mode=700";
    mounted_ = ::mount("tmpfs", folder_.constData(), "tmpfs", 0, options.constData()) == 0;
  }
  ~SmallDisk() {
    if (mounted_) ::umount2(folder_.constData(), MNT_DETACH);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;
  bool mounted() const { return mounted_; }
  // Makes the file system read-only: nothing in it can be renamed or written any more.
  bool make_read_only() {
    return ::mount(nullptr, folder_.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }
  // Fills the disk to the last byte.
  void fill() {
    QFile filler(QString::fromLocal8Bit(folder_) + QStringLiteral("/filler"));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return;
    const QByteArray block(512, 'x');
    while (filler.write(block) == block.size()) {
    }
    while (filler.write("x", 1) == 1) {
    }
  }

 private:
  QByteArray folder_;
  bool mounted_ = false;
};

}  // namespace lumeta::testing
