#include "quit_signals.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>

namespace lumeta {
namespace {

constexpr std::array kSignals = {SIGTERM, SIGINT, SIGHUP};
// The socket pair's ends: the handler writes into [0], the event loop reads [1].
int pair_ends[2] = {-1, -1};

void on_signal(int number) {
  const int saved = errno;  // write() may change it under the interrupted code
  const char byte = static_cast<char>(number);
  [[maybe_unused]] const ssize_t written = ::write(pair_ends[0], &byte, 1);
  errno = saved;
}

}  // namespace

QuitSignals::QuitSignals(std::function<void()> quit, QObject* parent)
    : QObject(parent), quit_(std::move(quit)) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pair_ends) != 0) {
    return;
  }
  notifier_ = new QSocketNotifier(pair_ends[1], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &QuitSignals::arrived);
  struct sigaction action {};
  action.sa_handler = on_signal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int number : kSignals)
    ::sigaction(number, &action, nullptr);
}

// The handlers stay: a signal while the process winds up (the window and its delivery going
// after this) changes nothing, as the handler then writes nowhere.
QuitSignals::~QuitSignals() {
  for (int& end : pair_ends) {
    const int fd = end;
    end = -1;  // first, so that the handler never writes into a number reused meanwhile
    if (fd >= 0) ::close(fd);
  }
}

void QuitSignals::arrived() {
  char bytes[16];
  while (::read(pair_ends[1], bytes, sizeof bytes) > 0) {
  }
  if (quit_) quit_();
}

}  // namespace lumeta
