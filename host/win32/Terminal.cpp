#include "host/Terminal.h"

#include <conio.h>
#include <io.h>
#include <windows.h>

namespace sbhost {
namespace {

volatile LONG stopSignal = 0;
bool fullScreen = false;
DWORD savedMode = 0;

// Ctrl+C, Ctrl+Break and closing the console only ask the monitor to stop; it ends within one poll round.
BOOL WINAPI OnConsoleEvent(DWORD) {
    InterlockedExchange(&stopSignal, 1);
    return TRUE;
}

}  // namespace

Terminal::Terminal() { SetConsoleCtrlHandler(&OnConsoleEvent, TRUE); }

Terminal::~Terminal() { LeaveFullScreen(); }

bool Terminal::Interactive() const { return _isatty(_fileno(stdin)) != 0 && _isatty(_fileno(stdout)) != 0; }

bool Terminal::OutputIsTerminal() const { return _isatty(_fileno(stdout)) != 0; }

ScreenSize Terminal::Size() const {
    ScreenSize size;
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info)) {
        size.rows = info.srWindow.Bottom - info.srWindow.Top + 1;
        size.columns = info.srWindow.Right - info.srWindow.Left + 1;
    }
    return size;
}

void Terminal::EnterFullScreen() {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (fullScreen || !GetConsoleMode(output, &savedMode)) return;
    // The console draws ANSI sequences once asked to (Windows 10 and later).
    SetConsoleMode(output, savedMode | ENABLE_PROCESSED_OUTPUT | 0x0004 /* ENABLE_VIRTUAL_TERMINAL_PROCESSING */);
    fullScreen = true;
    Write("\x1b[?1049h\x1b[?25l\x1b[?7l");  // no wrapping: a line too long is cut
}

void Terminal::LeaveFullScreen() {
    if (!fullScreen) return;
    Write("\x1b[?7h\x1b[?25h\x1b[?1049l");
    SetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), savedMode);
    fullScreen = false;
}

bool Terminal::StopAsked() { return InterlockedCompareExchange(&stopSignal, 0, 0) != 0; }

std::string Terminal::TakeInput() {
    std::string bytes;
    if (inputEnded_) return bytes;
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    switch (GetFileType(input)) {
        case FILE_TYPE_CHAR:  // the console: keys as they are pressed (lines are put together by the monitor)
            while (_kbhit() != 0 && bytes.size() < 256) bytes += static_cast<char>(_getch());
            return bytes;
        case FILE_TYPE_PIPE: {
            DWORD waiting = 0;
            if (!PeekNamedPipe(input, nullptr, 0, nullptr, &waiting, nullptr)) {
                inputEnded_ = true;  // the writer has gone
                return bytes;
            }
            if (waiting == 0) return bytes;
            break;
        }
        case FILE_TYPE_DISK: break;  // a file's reads do not wait
        default: inputEnded_ = true; return bytes;
    }
    char buffer[256];
    DWORD count = 0;
    if (!ReadFile(input, buffer, sizeof buffer, &count, nullptr) || count == 0) {
        inputEnded_ = true;
        return bytes;
    }
    return bytes.assign(buffer, count);
}

}  // namespace sbhost
