#include "draft_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <signal.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <limits>

#include "engine.h"
#include "sjis.h"

namespace lumeta {
namespace {

constexpr std::string_view kHeader = "Lumeta draft\ncaret ";
constexpr std::string_view kKept = "kept";
// The longest text worth reading: every character four bytes of UTF-8. A draft holds at most
// kMostTexts of them, with room for the header.
constexpr qint64 kMostTextBytes = 4 * static_cast<qint64>(kMaxDisplayChars);
constexpr qint64 kMostTexts = 64;
constexpr qint64 kMostBytes = kMostTexts * kMostTextBytes + 4096;
// Texts are converted and written a piece at a time, so a long draft needs no second copy.
constexpr std::size_t kPiece = 64 * 1024;

QString errno_text(int error) {
  return QString::fromLocal8Bit(std::strerror(error));
}

// A file descriptor closed when it goes out of scope.
struct Fd {
  int fd = -1;
  explicit Fd(int f) : fd(f) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

// `text` (Shift-JIS) in UTF-8, handed to `out` a piece at a time; false if some character has
// no UTF-8 form or `out` fails.
template <typename Out>
bool for_each_utf8_piece(std::string_view text, Out&& out) {
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.size();
    if (end - at > kPiece) end = sjis::floor_boundary(text, at + kPiece);
    if (end <= at) end = text.size();
    const std::optional<std::string> piece = sjis::to_utf8(text.substr(at, end - at));
    if (!piece || !out(std::string_view(*piece))) return false;
    at = end;
  }
  return true;
}

std::optional<std::size_t> utf8_size(std::string_view text) {
  std::size_t size = 0;
  if (!for_each_utf8_piece(text, [&size](std::string_view piece) {
        size += piece.size();
        return true;
      })) {
    return std::nullopt;
  }
  return size;
}

bool write_all(FileCalls& calls, int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = calls.write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// One text of a draft from UTF-8, within the display's limit.
std::optional<std::string> text_of(std::string_view utf8) {
  std::optional<std::string> cp932 = sjis::from_utf8(utf8);
  if (!cp932 || !sjis::is_valid(*cp932) || sjis::count_chars(*cp932) > kMaxDisplayChars) {
    return std::nullopt;
  }
  return cp932;
}

// The numbers of a "kept 9 12" line, or nothing when `line` is not one.
std::optional<std::vector<std::size_t>> kept_sizes(std::string_view line) {
  if (!line.starts_with(kKept)) return std::nullopt;
  line.remove_prefix(kKept.size());
  std::vector<std::size_t> sizes;
  while (!line.empty()) {
    if (line[0] != ' ' || static_cast<qint64>(sizes.size()) >= kMostTexts) return std::nullopt;
    line.remove_prefix(1);
    std::size_t size = 0;
    const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), size);
    if (error != std::errc() || end == line.data()) return std::nullopt;
    line.remove_prefix(static_cast<std::size_t>(end - line.data()));
    sizes.push_back(size);
  }
  if (sizes.empty()) return std::nullopt;
  return sizes;
}

// The draft in `file`, when it is well formed.
bool parse(std::string_view file, DraftTexts& draft) {
  if (!file.starts_with(kHeader)) return false;
  file.remove_prefix(kHeader.size());
  std::size_t newline = file.find('\n');
  if (newline == std::string_view::npos || newline == 0) return false;
  std::size_t utf8_caret = 0;
  const auto [end, error] = std::from_chars(file.data(), file.data() + newline, utf8_caret);
  if (error != std::errc() || end != file.data() + newline) return false;
  file.remove_prefix(newline + 1);
  // A line ending in a lone LF cannot be text, so it is the kept texts' sizes.
  newline = file.find('\n');
  std::vector<std::size_t> sizes;
  if (newline != std::string_view::npos) {
    std::optional<std::vector<std::size_t>> kept = kept_sizes(file.substr(0, newline));
    if (kept) {
      sizes = std::move(*kept);
      file.remove_prefix(newline + 1);
    }
  }
  DraftTexts read;
  for (std::size_t size : sizes) {
    if (size == 0 || size > file.size()) return false;
    std::optional<std::string> text = text_of(file.substr(0, size));
    if (!text) return false;
    read.kept.push_back(std::move(*text));
    file.remove_prefix(size);
  }
  if (utf8_caret > file.size()) return false;
  if (utf8_caret < file.size() && (static_cast<unsigned char>(file[utf8_caret]) & 0xC0) == 0x80) {
    return false;  // inside a character
  }
  std::optional<std::string> text = text_of(file);
  const std::optional<std::string> front = sjis::from_utf8(file.substr(0, utf8_caret));
  if (!text || !front || !sjis::is_boundary(*text, front->size())) return false;
  read.text = std::move(*text);
  read.caret = static_cast<int>(front->size());
  draft = std::move(read);
  return true;
}

// The folder, opened without following a link, when it is usable; -1 otherwise with `error`
// saying why (`unsafe` set when it exists but is not a private folder: a link, a file, another
// user's, or writable by others).
int open_folder(const QString& folder, QString& error, bool& unsafe) {
  unsafe = false;
  const QByteArray name = QFile::encodeName(folder);
  struct stat st {};
  if (::lstat(name.constData(), &st) != 0) {  // missing, or something in the way
    error = QStringLiteral("%1: %2").arg(folder, errno_text(errno));
    return -1;
  }
  const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() ||
      (st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    if (fd >= 0) ::close(fd);
    error = QStringLiteral("%1: not a private folder of this user").arg(folder);
    unsafe = true;
    return -1;
  }
  return fd;
}

// Renames `name` in `dir` to the first free name of name.bad, name.bad.1, …; the new name,
// or empty when it could not be renamed.
QString set_aside(int dir, const QString& name) {
  for (int n = 0; n < 1000; ++n) {
    const QString aside = name + QStringLiteral(".bad") + (n ? QStringLiteral(".%1").arg(n) : "");
    const QByteArray from = QFile::encodeName(name);
    const QByteArray to = QFile::encodeName(aside);
    if (::renameat2(dir, from.constData(), dir, to.constData(), RENAME_NOREPLACE) == 0) {
      return aside;
    }
    if (errno == EEXIST) continue;
    if (errno != EINVAL && errno != ENOSYS) return {};
    // A file system without RENAME_NOREPLACE: take a name nothing has.
    struct stat st {};
    if (::fstatat(dir, to.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) continue;
    return ::renameat(dir, from.constData(), dir, to.constData()) == 0 ? aside : QString();
  }
  return {};
}

}  // namespace

ssize_t FileCalls::write(int fd, const void* bytes, std::size_t size) {
  return ::write(fd, bytes, size);
}
int FileCalls::fsync(int fd) {
  return ::fsync(fd);
}
int FileCalls::renameat(int from_dir, const char* from, int to_dir, const char* to) {
  return ::renameat(from_dir, from, to_dir, to);
}
FileCalls& FileCalls::system() {
  static FileCalls calls;
  return calls;
}

std::vector<std::string> DraftTexts::offers() const {
  std::vector<std::string> out;
  std::string joined = text;
  std::size_t chars = sjis::count_chars(joined);
  for (const std::string& k : kept) {
    const std::size_t more = sjis::count_chars(k);
    if (!joined.empty() && chars + more > kMaxDisplayChars) {
      out.push_back(std::move(joined));
      joined.clear();
      chars = 0;
    }
    joined.insert(0, k);
    chars += more;
  }
  if (!joined.empty()) out.push_back(std::move(joined));
  return out;
}

DraftFile::DraftFile(QString path, FileCalls& calls) : path_(std::move(path)), calls_(&calls) {}

int DraftFile::remove_leftovers(const QString& folder) {
  // .draft.txt.1234-5.tmp, .draft-2.txt.1234-5.tmp: the draft's name, the process, a serial.
  static const QRegularExpression kLeftover(
      QStringLiteral("^\\.draft(-[2-9])?\\.txt\\.([1-9][0-9]{0,9})-[0-9]+\\.tmp$"));
  QString error;
  bool unsafe = false;
  const Fd dir(open_folder(folder, error, unsafe));
  if (dir.fd < 0) return 0;
  int removed = 0;
  const QStringList names =
      QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  for (const QString& name : names) {
    // The expression is compiled at its first match: a folder without such files never needs it.
    if (!name.startsWith(QLatin1String(".draft")) || !name.endsWith(QLatin1String(".tmp"))) {
      continue;
    }
    const QRegularExpressionMatch match = kLeftover.match(name);
    if (!match.hasMatch()) continue;
    bool number = false;
    const qlonglong pid = match.captured(2).toLongLong(&number);
    if (!number || pid > std::numeric_limits<pid_t>::max()) continue;
    // Only a process that is gone: kill(pid, 0) fails with ESRCH.
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    if (::unlinkat(dir.fd, QFile::encodeName(name).constData(), 0) == 0) ++removed;
  }
  return removed;
}

QString DraftFile::folder_path() {
  QString state = qEnvironmentVariable("XDG_STATE_HOME");
  if (state.isEmpty() || QDir::isRelativePath(state)) {
    state = QDir::homePath() + QStringLiteral("/.local/state");
  }
  return state + QStringLiteral("/lumeta");
}

QString DraftFile::default_path() {
  return folder_path() + QStringLiteral("/draft.txt");
}

DraftFile::Folder DraftFile::prepare_folder(const QString& folder, QString* error) {
  QString why;
  bool unsafe = false;
  int fd = open_folder(folder, why, unsafe);
  if (fd < 0 && !unsafe) {
    // Every missing folder on the way is created private, as the XDG rules ask of the state
    // folder: ~/.local/state/lumeta makes .local, state and lumeta 0700 where missing.
    const QStringList parts = QDir::cleanPath(folder).split(QLatin1Char('/'));
    QString path;
    for (const QString& part : parts) {
      if (part.isEmpty()) continue;
      path += QLatin1Char('/') + part;
      if (::mkdir(QFile::encodeName(path).constData(), 0700) != 0 && errno != EEXIST) break;
    }
    fd = open_folder(folder, why, unsafe);
  }
  if (fd >= 0) ::close(fd);
  if (error) *error = why;
  return fd >= 0 ? Folder::usable : unsafe ? Folder::unsafe : Folder::failed;
}

DraftFile::Loaded DraftFile::load(DraftTexts& draft) {
  draft = {};
  set_aside_as_.clear();
  const QFileInfo info(path_);
  bool unsafe = false;
  const Fd dir(open_folder(info.absolutePath(), error_, unsafe));
  if (dir.fd < 0) return unsafe ? Loaded::unsafe_folder : Loaded::none;
  const QByteArray name = QFile::encodeName(info.fileName());
  // Never a link, never waiting for a writer (a FIFO), never a terminal.
  const Fd file(::openat(dir.fd, name.constData(),
                         O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.fd < 0 && errno == ENOENT) return Loaded::none;
  bool good = false;
  struct stat st {};
  if (file.fd >= 0 && ::fstat(file.fd, &st) == 0 && S_ISREG(st.st_mode) &&
      st.st_size <= kMostBytes) {
    std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t got = 0;
    for (;;) {
      if (got == bytes.size()) bytes.resize(got + 1);  // grown since: read one more to see
      const ssize_t n = ::read(file.fd, bytes.data() + got, bytes.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
      if (static_cast<qint64>(got) > kMostBytes) break;
    }
    bytes.resize(got);
    good = static_cast<qint64>(got) <= kMostBytes && parse(bytes, draft);
  }
  if (good) return Loaded::loaded;
  draft = {};
  const QString aside = set_aside(dir.fd, info.fileName());
  if (aside.isEmpty()) {
    error_ = QStringLiteral("%1: %2").arg(path_, errno_text(errno));
    return Loaded::left_bad;
  }
  set_aside_as_ = info.absolutePath() + QLatin1Char('/') + aside;
  return Loaded::set_aside;
}

bool DraftFile::save(std::string_view text, int caret) {
  DraftTexts draft;
  draft.text = text;
  draft.caret = caret;
  return save(draft);
}

bool DraftFile::save(const DraftTexts& draft) {
  const std::string_view text = draft.text;
  const std::size_t at =
      sjis::floor_boundary(text, std::min<std::size_t>(std::max(draft.caret, 0), text.size()));
  // The header needs the UTF-8 sizes before the texts: the texts are converted twice, a piece
  // at a time, rather than held whole in UTF-8 too.
  const std::optional<std::size_t> caret = utf8_size(text.substr(0, at));
  bool convertible = caret && utf8_size(text);
  std::string sizes;
  for (const std::string& kept : draft.kept) {
    const std::optional<std::size_t> size = utf8_size(kept);
    convertible = convertible && size;
    if (convertible && *size > 0) sizes += ' ' + std::to_string(*size);  // none for an empty one
  }
  if (!convertible) {
    error_ = QStringLiteral("the text cannot be written as UTF-8");
    return false;
  }
  std::string header(kHeader);
  header += std::to_string(*caret) + '\n';
  if (!sizes.empty()) header += std::string(kKept) + sizes + '\n';

  const QFileInfo info(path_);
  const QString folder = info.absolutePath();
  if (prepare_folder(folder, &error_) != Folder::usable) return false;
  bool unsafe = false;
  const Fd dir(open_folder(folder, error_, unsafe));
  if (dir.fd < 0) return false;
  // A name of this process's own beside the draft: .draft.txt.1234-5.tmp.
  static std::atomic<int> serial{0};
  const QString temporary =
      QStringLiteral(".%1.%2-%3.tmp").arg(info.fileName()).arg(::getpid()).arg(serial.fetch_add(1));
  const QByteArray temp_name = QFile::encodeName(temporary);
  const QByteArray name = QFile::encodeName(info.fileName());
  const Fd file(::openat(dir.fd, temp_name.constData(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (file.fd < 0) {
    error_ = QStringLiteral("%1: %2").arg(path_, errno_text(errno));
    return false;
  }
  FileCalls& calls = *calls_;
  const auto out = [&calls, &file](std::string_view piece) {
    return write_all(calls, file.fd, piece);
  };
  bool written = ::fchmod(file.fd, 0600) == 0 && write_all(calls, file.fd, header);
  for (const std::string& kept : draft.kept) {
    written = written && for_each_utf8_piece(kept, out);
  }
  written = written && for_each_utf8_piece(text, out) && calls.fsync(file.fd) == 0;
  const int write_error = errno;
  // Only a draft written and synced whole takes the old one's place.
  if (!written || calls.renameat(dir.fd, temp_name.constData(), dir.fd, name.constData()) != 0) {
    error_ = QStringLiteral("%1: %2").arg(path_, errno_text(written ? errno : write_error));
    ::unlinkat(dir.fd, temp_name.constData(), 0);
    return false;
  }
  ::fsync(dir.fd);  // the rename itself reaches the disk
  error_.clear();
  return true;
}

}  // namespace lumeta
