#include "borrowed_keys.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace lumeta {
namespace {

constexpr std::string_view kHeader = "Lumeta borrowed keys\n";
// A record holds at most every key code once, each with a few keysyms.
constexpr off_t kMostBytes = 256 * 1024;

// $XDG_RUNTIME_DIR/lumeta opened without following a link, made 0700 when missing; -1 when it
// is not a private folder of this user.
int open_private_folder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (!runtime || runtime[0] != '/') return -1;
  const std::string folder = std::string(runtime) + "/lumeta";
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return -1;
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  struct stat st {};
  if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
      (st.st_mode & (S_IRWXG | S_IRWXO)) == 0) {
    return fd;
  }
  if (fd >= 0) ::close(fd);
  return -1;
}

bool write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

std::string borrowed_keys_text(const std::vector<SavedKey>& keys) {
  std::ostringstream out;
  out << kHeader << std::hex << std::showbase;
  for (const SavedKey& key : keys) {
    out << std::dec << (key.xkb ? "key " : "core ") << key.code;
    if (key.xkb) {
      out << ' ' << key.group_info;
      for (const unsigned type : key.types)
        out << ' ' << type;
      out << ' ' << key.width;
    }
    out << std::hex;
    for (const unsigned long sym : key.syms)
      out << ' ' << (sym ? "" : "0x") << sym;  // showbase writes 0 without its 0x
    out << '\n';
  }
  return out.str();
}

std::optional<std::vector<SavedKey>> parse_borrowed_keys(std::string_view text) {
  if (!text.starts_with(kHeader)) return std::nullopt;
  text.remove_prefix(kHeader.size());
  std::vector<SavedKey> keys;
  std::istringstream lines{std::string(text)};
  for (std::string line; std::getline(lines, line);) {
    std::istringstream in(line);
    std::string kind;
    SavedKey key;
    in >> kind >> key.code;
    if (kind != "key" && kind != "core") return std::nullopt;
    key.xkb = kind == "key";
    if (key.xkb)
      in >> key.group_info >> key.types[0] >> key.types[1] >> key.types[2] >> key.types[3] >>
          key.width;
    if (!in || key.code > 255 || key.width > 63) return std::nullopt;
    for (std::string sym; in >> sym;) {
      char* end = nullptr;
      errno = 0;
      const unsigned long value = std::strtoul(sym.c_str(), &end, 16);
      if (errno != 0 || *end != '\0' || !sym.starts_with("0x")) return std::nullopt;
      key.syms.push_back(value);
    }
    if (key.xkb && key.syms.size() != (key.group_info & 0x0F) * key.width) return std::nullopt;
    keys.push_back(std::move(key));
  }
  return keys;
}

BorrowedKeysFile::BorrowedKeysFile(std::string_view display) : folder_(open_private_folder()) {
  name_ = "borrowed-keys-";
  for (const char c : display)
    name_ += c == '/' ? '_' : c;
}

BorrowedKeysFile::~BorrowedKeysFile() {
  unlock();
  if (folder_ >= 0) ::close(folder_);
}

bool BorrowedKeysFile::lock() {
  if (lock_ >= 0) return true;
  if (folder_ < 0) return false;
  const std::string lock_name = name_ + ".lock";
  const int fd = ::openat(folder_, lock_name.c_str(),
                          O_RDWR | O_CREAT | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  lock_ = fd;
  return true;
}

void BorrowedKeysFile::unlock() {
  if (lock_ < 0) return;
  ::close(lock_);  // lets the lock go
  lock_ = -1;
}

bool BorrowedKeysFile::write(const std::vector<SavedKey>& keys) {
  if (folder_ < 0) return false;
  const std::string temporary = "." + name_ + "." + std::to_string(::getpid()) + ".tmp";
  ::unlinkat(folder_, temporary.c_str(), 0);
  const int fd = ::openat(folder_, temporary.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const bool written = write_all(fd, borrowed_keys_text(keys)) && ::fsync(fd) == 0;
  ::close(fd);
  if (!written || ::renameat(folder_, temporary.c_str(), folder_, name_.c_str()) != 0) {
    ::unlinkat(folder_, temporary.c_str(), 0);
    return false;
  }
  ::fsync(folder_);
  return true;
}

std::optional<std::vector<SavedKey>> BorrowedKeysFile::read() {
  if (folder_ < 0) return std::nullopt;
  const int fd =
      ::openat(folder_, name_.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  std::string bytes;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kMostBytes) {
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    while (got < bytes.size()) {
      const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
  }
  ::close(fd);
  auto keys = parse_borrowed_keys(bytes);
  if (!keys) remove();  // not ours to act on, and in the way of the next record
  return keys;
}

void BorrowedKeysFile::remove() {
  if (folder_ >= 0) ::unlinkat(folder_, name_.c_str(), 0);
}

}  // namespace lumeta
