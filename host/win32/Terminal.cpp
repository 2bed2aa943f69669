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

Terminal::~Terminal() {
    if (!fullScreen) return;
    Write("\x1b[?25h\x1b[?1049l");
    SetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), savedMode);
    fullScreen = false;
}

bool Terminal::Interactive() const { return _isatty(_fileno(stdin)) != 0 && _isatty(_fileno(stdout)) != 0; }

void Terminal::EnterFullScreen() {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (fullScreen || !GetConsoleMode(output, &savedMode)) return;
    // The console draws ANSI sequences once asked to (Windows 10 and later).
    SetConsoleMode(output, savedMode | ENABLE_PROCESSED_OUTPUT | 0x0004 /* ENABLE_VIRTUAL_TERMINAL_PROCESSING */);
    fullScreen = true;
    Write("\x1b[?1049h\x1b[?25l");
}

bool Terminal::StopAsked() {
    if (InterlockedCompareExchange(&stopSignal, 0, 0) != 0) return true;
    if (!fullScreen || _kbhit() == 0) return false;
    _getch();
    return true;
}
}  // namespace sbhost
