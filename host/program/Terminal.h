// The console sbhost's monitor draws on and reads from: whether it is a terminal and how big, full-screen
// drawing, the keys or lines coming in without waiting for them, and an end signal (SIGINT, SIGTERM; Ctrl+C or
// closing the console on Windows) to stop. The drawing is the same everywhere (Terminal.cpp); the modes, keys,
// input and signals are the system's (posix/Terminal.cpp, win32/Terminal.cpp).
#pragma once

#include <string>

namespace sbhost {

struct ScreenSize {
    int rows = 24;
    int columns = 80;
};

class Terminal {
public:
    // Catches the end signals from here on: they only ask the monitor to stop (StopAsked).
    Terminal();
    // Gives the screen back as it was (LeaveFullScreen).
    ~Terminal();
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    // Both standard input and output are the terminal.
    bool Interactive() const;
    // Standard output is a terminal: it may be drawn in colour.
    bool OutputIsTerminal() const;
    // The output terminal's size; 24 by 80 when it tells none.
    ScreenSize Size() const;
    // Keys one at a time without echo, the alternate screen, the cursor hidden.
    void EnterFullScreen();
    // The cursor, the normal screen and the keyboard's line mode as they were.
    void LeaveFullScreen();
    // An end signal came.
    bool StopAsked();
    // What standard input holds now, without waiting: the keys pressed in full screen, else the bytes of the
    // lines typed or piped in. Empty when nothing came, and from the end of the input on. A terminal is read only
    // while this program is in its foreground.
    std::string TakeInput();
    // Draws the lines from the top left, each cleared to its end, and clears what is below.
    void Draw(const std::string& lines);

private:
    static void Write(const std::string& text);

    bool inputEnded_ = false;
};

}  // namespace sbhost
