#include "host/program/Terminal.h"

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

// A key as a terminal sends it: the console's two-code keys (0 or 0xE0, then the key's code) Page Down and Page
// Up as their escape sequences, the others dropped.
std::string ConsoleKey() {
    const int key = _getch();
    if (key != 0 && key != 0xE0) return std::string(1, static_cast<char>(key));
    const int code = _getch();
    return code == 'Q' ? "\x1b[6~" : code == 'I' ? "\x1b[5~" : "";
}

// Standard input that is no console (a pipe, a file, NUL) is read by a thread of its own: a pipe cannot be
// asked on every system whether bytes wait (Wine cannot), and a read may wait for them.
struct PipedInput {
    SRWLOCK lock = SRWLOCK_INIT;
    std::string bytes;
    bool ended = false;
};
// Made once and kept for the process: its reader may still wait in ReadFile when the process ends.
PipedInput* piped = nullptr;

DWORD WINAPI ReadPipedInput(LPVOID) {
    char buffer[256];
    for (;;) {  // until the input ends
        DWORD count = 0;
        const bool read = ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &count, nullptr) && count > 0;
        AcquireSRWLockExclusive(&piped->lock);
        if (read) piped->bytes.append(buffer, count);
        else piped->ended = true;
        ReleaseSRWLockExclusive(&piped->lock);
        if (!read) return 0;
    }
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
    DWORD mode = 0;
    if (GetConsoleMode(input, &mode)) {  // the console: keys as they are pressed (the monitor puts lines together)
        while (_kbhit() != 0 && bytes.size() < 256) bytes += ConsoleKey();
        return bytes;
    }
    if (piped == nullptr) {
        piped = new PipedInput;
        const HANDLE reader = CreateThread(nullptr, 0, &ReadPipedInput, nullptr, 0, nullptr);
        if (reader == nullptr) piped->ended = true;
        else CloseHandle(reader);
    }
    AcquireSRWLockExclusive(&piped->lock);
    bytes.swap(piped->bytes);
    inputEnded_ = piped->ended && bytes.empty();
    ReleaseSRWLockExclusive(&piped->lock);
    return bytes;
}

}  // namespace sbhost
