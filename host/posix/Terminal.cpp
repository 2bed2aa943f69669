#include "host/Terminal.h"

#include <poll.h>
#include <signal.h>
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

Terminal::~Terminal() {
    if (!fullScreen) return;
    Write("\x1b[?25h\x1b[?1049l");
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedMode);
    fullScreen = false;
}

bool Terminal::Interactive() const { return isatty(STDIN_FILENO) == 1 && isatty(STDOUT_FILENO) == 1; }

void Terminal::EnterFullScreen() {
    if (fullScreen || tcgetattr(STDIN_FILENO, &savedMode) != 0) return;
    termios keys = savedMode;
    keys.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    keys.c_cc[VMIN] = 0;
    keys.c_cc[VTIME] = 0;
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &keys);
    fullScreen = true;
    Write("\x1b[?1049h\x1b[?25l");
}

bool Terminal::StopAsked() {
    if (stopSignal != 0) return true;
    if (!fullScreen) return false;
    pollfd input{STDIN_FILENO, POLLIN, 0};
    char key = 0;
    return poll(&input, 1, 0) > 0 && read(STDIN_FILENO, &key, 1) == 1;
}
}  // namespace sbhost
