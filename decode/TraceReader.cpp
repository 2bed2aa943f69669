#include "decode/TraceReader.h"

#include <cctype>

#include "common/Cp1251.h"
#include "logging/Logger.h"
#include "logging/TraceFormat.h"

namespace sbdecode {
namespace {

constexpr int64_t kDayMs = 24LL * 3600 * 1000;
// The clock going back by more than this is midnight passing, not threads writing out of order.
constexpr int64_t kMidnightJumpMs = 3600LL * 1000;
constexpr std::size_t kClockLength = sb::kTimeStampLength;  // hh:mm:ss.zzz
constexpr unsigned kMaxPoint = 99;                          // the widest point number a line may name

bool Digit(char c) { return c >= '0' && c <= '9'; }
int Number(const std::string& text, std::size_t at, std::size_t count) {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) value = value * 10 + (text[i] - '0');
    return value;
}

// The line for people: a control character (a terminal would act on it) shown as "?".
std::string Shown(const std::string& cp1251) {
    std::string text = sb::ToUtf8(cp1251);
    for (char& c : text) {
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F) c = '?';
    }
    return text;
}

// A line whose bytes above 0x7F all form UTF-8 sequences, one at least: a log converted from Windows-1251 to
// UTF-8. The driver's own Cyrillic text never makes a whole sequence (its letters are no continuation bytes).
bool IsUtf8Text(const std::string& line) {
    bool wide = false;
    for (std::size_t i = 0; i < line.size();) {
        const auto lead = static_cast<unsigned char>(line[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        const std::size_t extra = (lead >> 5) == 0x06 ? 1 : (lead >> 4) == 0x0E ? 2 : (lead >> 3) == 0x1E ? 3 : 0;
        if (extra == 0 || extra >= line.size() - i) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            if ((static_cast<unsigned char>(line[i + k]) & 0xC0) != 0x80) return false;
        }
        wide = true;
        i += extra + 1;
    }
    return wide;
}

// "hh:mm:ss.zzz" at the start: its milliseconds since midnight, or -1.
int64_t ReadClock(const std::string& line) {
    if (line.size() < kClockLength) return -1;
    static const char kShape[] = "dd:dd:dd.ddd";
    for (std::size_t i = 0; i < kClockLength; ++i) {
        if (kShape[i] == 'd' ? !Digit(line[i]) : line[i] != kShape[i]) return -1;
    }
    const int hours = Number(line, 0, 2), minutes = Number(line, 3, 2), seconds = Number(line, 6, 2);
    if (hours > 23 || minutes > 59 || seconds > 59) return -1;
    return ((hours * 60LL + minutes) * 60 + seconds) * 1000 + Number(line, 9, 3);
}

// Blank-separated pairs of hex digits, nothing else; an empty text is no byte.
bool ReadHex(const std::string& text, std::size_t at, Bytes* bytes) {
    while (at < text.size()) {
        if (text[at] == ' ' || text[at] == '\t') {
            ++at;
            continue;
        }
        if (at + 1 >= text.size() || !std::isxdigit(static_cast<unsigned char>(text[at])) ||
            !std::isxdigit(static_cast<unsigned char>(text[at + 1])) ||
            (at + 2 < text.size() && text[at + 2] != ' ' && text[at + 2] != '\t'))
            return false;
        bytes->push_back(static_cast<uint8_t>(std::stoi(text.substr(at, 2), nullptr, 16)));
        at += 2;
    }
    return true;
}

// Digits at `at` (1..kMaxPoint): the point, and `at` moved past them.
bool ReadPoint(const std::string& text, std::size_t* at, unsigned* point) {
    std::size_t end = *at;
    while (end < text.size() && Digit(text[end]) && end - *at < 3) ++end;
    if (end == *at) return false;
    const int value = Number(text, *at, end - *at);
    if (value < 1 || value > static_cast<int>(kMaxPoint)) return false;
    *point = static_cast<unsigned>(value);
    *at = end;
    return true;
}

// name, the point, then one of the endings: the bytes after it in hex.
bool ReadDump(const std::string& text, const std::string& name, std::initializer_list<const char*> endings,
              TraceRecord* record) {
    if (text.compare(0, name.size(), name) != 0) return false;
    std::size_t at = name.size();
    if (!ReadPoint(text, &at, &record->point)) return false;
    for (const char* ending : endings) {
        const std::string end(ending);
        Bytes bytes;
        if (text.compare(at, end.size(), end) != 0 || !ReadHex(text, at + end.size(), &bytes)) continue;
        record->bytes = bytes;
        return true;
    }
    return false;
}

// The point a driver's line names: the first "(n" closed by ")" or ",".
unsigned PointOfNote(const std::string& text) {
    for (std::size_t open = text.find('('); open != std::string::npos; open = text.find('(', open + 1)) {
        std::size_t at = open + 1;
        unsigned point = 0;
        if (ReadPoint(text, &at, &point) && at < text.size() && (text[at] == ')' || text[at] == ',')) return point;
    }
    return 0;
}

// "FAILURE(n): slot k: text", n 0 for a slot without a point.
bool ReadFailure(const std::string& text, TraceRecord* record) {
    static const std::string kName = sb::trace::kFailureOpen;
    static const std::string kSlot = sb::trace::kFailureSlot;
    static const std::string kText = sb::trace::kFailureText;
    if (text.compare(0, kName.size(), kName) != 0) return false;
    std::size_t at = kName.size();
    unsigned point = 0;
    if (text.compare(at, 1, "0") == 0) ++at;
    else if (!ReadPoint(text, &at, &point)) return false;
    if (text.compare(at, kSlot.size(), kSlot) != 0) return false;
    at += kSlot.size();
    const std::size_t digits = at;
    while (at < text.size() && Digit(text[at]) && at - digits < 2) ++at;
    if (at == digits || text.compare(at, kText.size(), kText) != 0) return false;
    record->kind = TraceRecord::Kind::kFailure;
    record->point = point;
    record->slot = Number(text, digits, at - digits);
    record->text = Shown(text.substr(at + kText.size()));
    return true;
}

// "[POINT] > HEX" or "[POINT] < HEX", what follows a capture line's time.
bool ReadCaptured(const std::string& text, TraceRecord* record) {
    std::size_t at = 0;
    if (ReadPoint(text, &at, &record->point) && at < text.size() && text[at] == ' ') ++at;
    if (at >= text.size() || (text[at] != '>' && text[at] != '<')) return false;
    Bytes bytes;
    if (!ReadHex(text, at + 1, &bytes)) return false;
    record->kind = text[at] == '>' ? TraceRecord::Kind::kSent : TraceRecord::Kind::kReceived;
    record->bytes = bytes;
    record->captured = true;
    return true;
}

// A line of the driver's log after its time: a dump of the bytes sent or received, a failure returned, or any
// other line.
void ReadLogText(const std::string& text, TraceRecord* record) {
    static const std::string kReceived(sb::trace::ReceivedOpen());
    static const std::string kDetail = sb::trace::kDetail;
    if (text.compare(0, kDetail.size(), kDetail) == 0) {
        const std::string dump = text.substr(kDetail.size());
        if (ReadDump(dump, sb::trace::kSentOpen, {sb::trace::kSentClose}, record)) {
            record->kind = TraceRecord::Kind::kSent;
            return;
        }
        if (ReadDump(dump, kReceived, {sb::trace::kReceivedGood, sb::trace::kReceivedBad}, record)) {
            record->kind = TraceRecord::Kind::kReceived;
            return;
        }
    }
    if (ReadFailure(text, record)) return;
    record->kind = TraceRecord::Kind::kNote;
    record->withinExchange = sb::trace::WrittenWithinExchange(text);
    record->text = Shown(text);
    record->point = PointOfNote(record->text);
}

}  // namespace

bool TraceReader::ReadLine(std::string* line, bool* cut) {
    line->clear();
    *cut = false;
    std::streambuf* buffer = in_->rdbuf();
    // Ends at the end of the line or of the input: every character is taken once.
    for (int c = buffer->sbumpc(); c != std::char_traits<char>::eof(); c = buffer->sbumpc()) {
        if (c == '\n') return true;
        if (line->size() < kMaxLineLength) line->push_back(static_cast<char>(c));
        else *cut = true;
    }
    return !line->empty() || *cut;
}

void TraceReader::ContinueWith(std::istream& in) {
    in_ = &in;
    lineNumber_ = 0;
}

int64_t TraceReader::OnTimeline(int64_t clockMs) {
    if (lastClockMs_ >= 0 && clockMs + kMidnightJumpMs < lastClockMs_) dayMs_ += kDayMs;
    lastClockMs_ = clockMs;
    return dayMs_ + clockMs;
}

bool TraceReader::Next(TraceRecord* record) {
    std::string line;
    bool cut = false;
    while (ReadLine(&line, &cut)) {
        ++lineNumber_;
        std::size_t returns = 0;
        for (; !line.empty() && line.back() == '\r'; ++returns) line.pop_back();
        if (returns > 1 && doubledLineEnds_++ == 0) firstDoubledLineEnd_ = lineNumber_;
        if (!cut && IsUtf8Text(line)) {
            line = sb::ToCp1251(line);
            if (utf8Lines_++ == 0) firstUtf8Line_ = lineNumber_;
        }
        if (!cut && line.empty()) afterEmptyLine_ = true;
        if (!cut && (line.empty() || line[0] == '#')) continue;
        *record = TraceRecord{};
        record->lineNumber = lineNumber_;
        record->startsRun = afterEmptyLine_;
        afterEmptyLine_ = false;
        const int64_t clock = ReadClock(line);
        const std::string text = clock < 0 ? line : line.substr(kClockLength + (line.size() > kClockLength));
        if (cut || (clock < 0 && !ReadCaptured(text, record))) {
            record->kind = TraceRecord::Kind::kUnreadable;
            record->text = Shown(line) + (cut ? "..." : "");
            return true;
        }
        if (clock >= 0) {
            record->timeMs = OnTimeline(clock);
            if (!ReadCaptured(text, record)) {
                const bool startsRun = record->startsRun;
                *record = TraceRecord{};
                record->lineNumber = lineNumber_;
                record->startsRun = startsRun;
                record->timeMs = dayMs_ + clock;
                ReadLogText(text, record);
            }
        }
        return true;
    }
    return false;
}

}  // namespace sbdecode
