#include "host/monitor/MonitorInput.h"

namespace sbhost {
namespace {

constexpr char kEscape = '\x1b';
constexpr char kEraseLine = '\x15';  // Ctrl+U
constexpr std::size_t kLongestLine = 200;

bool IsBackspace(char c) { return c == '\x7f' || c == '\b'; }
bool IsPrintable(char c) { return static_cast<unsigned char>(c) >= 0x20 && c != '\x7f'; }

}  // namespace

std::vector<Asked> MonitorInput::Feed(const std::string& bytes) {
    std::vector<Asked> asked;
    for (const char c : bytes) Key(c, &asked);
    // A lone ESC at the end of what came is the key itself: it clears the line.
    if (escape_ == 1) {
        escape_ = 0;
        line_.clear();
    }
    return asked;
}

void MonitorInput::Key(char c, std::vector<Asked>* asked) {
    if (escape_ == 1) {
        escape_ = c == '[' ? 2 : 0;
        sequence_.clear();
        if (escape_ == 2) return;
        line_.clear();  // ESC then a key: ESC cleared the line, the key counts on its own
    } else if (escape_ == 2) {
        if (c < 0x40 || c > 0x7E) {
            if (sequence_.size() < 8) sequence_ += c;
            return;
        }
        escape_ = 0;
        if (c == '~' && sequence_ == "6") asked->push_back({Ask::kNextPage, ""});
        if (c == '~' && sequence_ == "5") asked->push_back({Ask::kPreviousPage, ""});
        return;
    }
    if (keys_ && c == kEscape) {
        escape_ = 1;
    } else if (c == '\n' || c == '\r') {
        LineEnds(asked);
    } else if (keys_ && line_.empty() && (c == 'q' || c == 'f' || c == 'n' || c == 'p' || c == '\t' || c == ' ')) {
        asked->push_back({c == 'q'   ? Ask::kQuit
                          : c == 'f' ? Ask::kFaults
                          : c == 'p' ? Ask::kPreviousPage
                                     : Ask::kNextPage,
                          ""});
    } else if (IsBackspace(c)) {
        if (!line_.empty()) line_.pop_back();
    } else if (c == kEraseLine) {
        line_.clear();
    } else if (IsPrintable(c) && line_.size() < kLongestLine) {
        line_ += c;
    }
}

void MonitorInput::LineEnds(std::vector<Asked>* asked) {
    const std::size_t first = line_.find_first_not_of(' ');
    const std::string line =
        first == std::string::npos ? "" : line_.substr(first, line_.find_last_not_of(' ') - first + 1);
    line_.clear();
    if (line.empty()) return;
    if (line == "q" || line == "quit") asked->push_back({Ask::kQuit, ""});
    else if (line == "f" || line == "faults") asked->push_back({Ask::kFaults, ""});
    else asked->push_back({Ask::kCommand, line});
}

}  // namespace sbhost
