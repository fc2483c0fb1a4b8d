#include "draft_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <charconv>

#include "engine.h"
#include "sjis.h"

namespace lumeta {
namespace {

constexpr std::string_view kHeader = "Lumeta draft\ncaret ";
// The longest draft worth reading: every character four bytes of UTF-8, with room for the
// header. Anything longer is over the limit whatever it holds.
constexpr qint64 kMostBytes = 4 * static_cast<qint64>(kMaxDisplayChars) + 64;

// The text and caret of a well-formed draft, or nothing.
bool parse(std::string_view file, std::string& text, int& caret) {
  if (!file.starts_with(kHeader)) return false;
  file.remove_prefix(kHeader.size());
  const std::size_t newline = file.find('\n');
  if (newline == std::string_view::npos || newline == 0) return false;
  std::size_t utf8_caret = 0;
  const auto [end, error] = std::from_chars(file.data(), file.data() + newline, utf8_caret);
  if (error != std::errc() || end != file.data() + newline) return false;
  const std::string_view body = file.substr(newline + 1);
  if (utf8_caret > body.size()) return false;
  if (utf8_caret < body.size() && (static_cast<unsigned char>(body[utf8_caret]) & 0xC0) == 0x80) {
    return false;  // inside a character
  }
  const std::optional<std::string> cp932 = sjis::from_utf8(body);
  const std::optional<std::string> front = sjis::from_utf8(body.substr(0, utf8_caret));
  if (!cp932 || !front || !sjis::is_valid(*cp932)) return false;
  if (sjis::count_chars(*cp932) > kMaxDisplayChars) return false;
  if (!sjis::is_boundary(*cp932, front->size())) return false;  // between CR and LF
  text = std::move(*cp932);
  caret = static_cast<int>(front->size());
  return true;
}

}  // namespace

DraftFile::DraftFile(QString path) : path_(std::move(path)) {}

QString DraftFile::default_path() {
  QString state = qEnvironmentVariable("XDG_STATE_HOME");
  if (state.isEmpty() || QDir::isRelativePath(state)) {
    state = QDir::homePath() + QStringLiteral("/.local/state");
  }
  return state + QStringLiteral("/lumeta/draft.txt");
}

DraftFile::Loaded DraftFile::load(std::string& text, int& caret) {
  QFile file(path_);
  if (!file.exists()) return Loaded::none;
  bool good = false;
  if (file.open(QIODevice::ReadOnly) && file.size() <= kMostBytes) {
    const QByteArray bytes = file.read(kMostBytes + 1);
    good = bytes.size() <= kMostBytes &&
           parse(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), text,
                 caret);
  }
  file.close();
  if (good) return Loaded::loaded;
  text.clear();
  caret = 0;
  const QString aside = path_ + QStringLiteral(".bad");
  QFile::remove(aside);
  QFile::rename(path_, aside);
  return Loaded::set_aside;
}

bool DraftFile::save(std::string_view text, int caret) {
  const std::size_t at = sjis::floor_boundary(text, static_cast<std::size_t>(std::max(caret, 0)));
  const std::optional<std::string> body = sjis::to_utf8(text);
  const std::optional<std::string> front = sjis::to_utf8(text.substr(0, at));
  if (!body || !front) {
    error_ = QStringLiteral("the text cannot be written as UTF-8");
    return false;
  }
  const QFileInfo info(path_);
  QDir dir = info.dir();
  if (!dir.exists()) {
    // The state directory as the XDG rules ask (0700), then Lumeta's own, private too.
    constexpr QFile::Permissions kPrivate = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    QDir parent(QFileInfo(dir.absolutePath()).absolutePath());
    if (!parent.exists() && !QDir().mkpath(parent.absolutePath())) {
      error_ = QStringLiteral("cannot create %1").arg(parent.absolutePath());
      return false;
    }
    if (!QDir().mkdir(dir.absolutePath(), kPrivate)) {
      error_ = QStringLiteral("cannot create %1").arg(dir.absolutePath());
      return false;
    }
  }
  std::string contents(kHeader);
  contents += std::to_string(front->size());
  contents += '\n';
  contents += *body;
  QSaveFile file(path_);
  const bool written = file.open(QIODevice::WriteOnly) &&
                       file.setPermissions(QFile::ReadOwner | QFile::WriteOwner) &&
                       file.write(contents.data(), static_cast<qint64>(contents.size())) ==
                           static_cast<qint64>(contents.size());
  if (!written || !file.commit()) {
    error_ = file.errorString();
    file.cancelWriting();
    return false;
  }
  error_.clear();
  return true;
}

}  // namespace lumeta
