// The console sbhost's monitor draws on: whether it is a terminal, full-screen drawing, a key or an end signal
// (SIGINT, SIGTERM; Ctrl+C or closing the console on Windows) to stop. The drawing is the same everywhere
// (Terminal.cpp); the modes, keys and signals are the system's (posix/Terminal.cpp, win32/Terminal.cpp).
#pragma once

#include <string>

namespace sbhost {

class Terminal {
public:
    // Catches the end signals from here on: they only ask the monitor to stop (StopAsked).
    Terminal();
    // Gives the screen back as it was: the cursor, the normal screen, the keyboard's line mode.
    ~Terminal();
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    // Both standard input and output are the terminal.
    bool Interactive() const;
    // Keys one at a time without echo, the alternate screen, the cursor hidden.
    void EnterFullScreen();
    // A key was pressed (full screen only) or an end signal came.
    bool StopAsked();
    // Draws the lines from the top left, each cleared to its end, and clears what is below.
    void Draw(const std::string& lines);

private:
    static void Write(const std::string& text);
};

}  // namespace sbhost
