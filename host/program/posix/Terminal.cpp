#include "host/program/Terminal.h"

#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace sbhost {
namespace {

volatile sig_atomic_t stopSignal = 0;
bool fullScreen = false;
termios savedMode{};

void OnStopSignal(int) { stopSignal = 1; }

}  // namespace

Terminal::Terminal() {
    struct sigaction action {};
    action.sa_handler = &OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

Terminal::~Terminal() { LeaveFullScreen(); }

bool Terminal::Interactive() const { return isatty(STDIN_FILENO) == 1 && isatty(STDOUT_FILENO) == 1; }

bool Terminal::OutputIsTerminal() const { return isatty(STDOUT_FILENO) == 1; }

ScreenSize Terminal::Size() const {
    ScreenSize size;
    winsize window{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &window) == 0 && window.ws_row > 0 && window.ws_col > 0) {
        size.rows = window.ws_row;
        size.columns = window.ws_col;
    }
    return size;
}

void Terminal::EnterFullScreen() {
    if (fullScreen || tcgetattr(STDIN_FILENO, &savedMode) != 0) return;
    termios keys = savedMode;
    keys.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    keys.c_cc[VMIN] = 0;
    keys.c_cc[VTIME] = 0;
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &keys);
    fullScreen = true;
    Write("\x1b[?1049h\x1b[?25l\x1b[?7l");  // no wrapping: a line too long is cut
}

void Terminal::LeaveFullScreen() {
    if (!fullScreen) return;
    Write("\x1b[?7h\x1b[?25h\x1b[?1049l");
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedMode);
    fullScreen = false;
}

bool Terminal::StopAsked() { return stopSignal != 0; }

std::string Terminal::TakeInput() {
    // A terminal read from the background would stop this program (SIGTTIN).
    if (inputEnded_ || (isatty(STDIN_FILENO) == 1 && tcgetpgrp(STDIN_FILENO) != getpgrp())) return "";
    pollfd input{STDIN_FILENO, POLLIN, 0};
    char bytes[256];
    if (poll(&input, 1, 0) <= 0) return "";
    const ssize_t count = read(STDIN_FILENO, bytes, sizeof bytes);
    if (count <= 0) {
        inputEnded_ = count == 0 || (input.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
        return "";
    }
    return std::string(bytes, static_cast<std::size_t>(count));
}

}  // namespace sbhost
