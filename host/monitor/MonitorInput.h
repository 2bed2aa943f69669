// What a technician asks of the monitor, from the keys pressed on its full screen or the lines of its standard
// input: leave, turn the page, switch between the states and the fault counts, or a command for a point
// ("3 authorise 2 45.90 5"). In full screen a letter on an empty line acts at once (q, f, n or Tab, p, the page
// keys); a line that starts otherwise is typed, edited and run with Enter. Lines read from a pipe or file are
// commands, or q, quit, f, faults.
#pragma once

#include <string>
#include <vector>

namespace sbhost {

enum class Ask { kQuit, kNextPage, kPreviousPage, kFaults, kCommand };

struct Asked {
    Ask ask;
    std::string line;  // kCommand
};

class MonitorInput {
public:
    explicit MonitorInput(bool keys) : keys_(keys) {}

    // What the bytes ask, in order.
    std::vector<Asked> Feed(const std::string& bytes);
    // The line being typed (full screen).
    const std::string& Editing() const { return line_; }

private:
    void Key(char c, std::vector<Asked>* asked);
    void LineEnds(std::vector<Asked>* asked);

    bool keys_;
    std::string line_;
    // An escape sequence being read: 0 none, 1 after ESC, 2 after ESC "[" (its parameters in sequence_).
    int escape_ = 0;
    std::string sequence_;
};

}  // namespace sbhost
