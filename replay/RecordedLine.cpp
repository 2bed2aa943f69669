#include "replay/RecordedLine.h"

#include "decode/Conversation.h"
#include "decode/LineFrames.h"

namespace sbreplay {
namespace {

using sbdecode::Bytes;
using sbdecode::Exchange;
using sbdecode::FrameKind;

// Data offsets of the sequence digit and the request byte in a message's first block.
constexpr std::size_t kSequenceAt = 2;
constexpr std::size_t kRequestAt = 3;

bool IsBlock(const Bytes& sent) { return sbdecode::ReadSent(sent).kind == FrameKind::kBlock; }

std::string AnswerText(const Bytes& sent, const Bytes& answer) {
    if (answer.empty()) return "no answer";
    const FrameKind question = sbdecode::ReadSent(sent).kind;
    return sbdecode::FrameText(sbdecode::ReadAnswer(answer, question), question);
}

std::string At(const Exchange& exchange, const RecordedLine& line) {
    return sbdecode::ClockText(exchange.timeMs) + " (" + line.Where(exchange.lineNumber) + ")";
}

}  // namespace

bool SameTransmission(const Bytes& a, const Bytes& b) {
    if (a == b) return true;
    const sbdecode::Frame first = sbdecode::ReadSent(a);
    const sbdecode::Frame second = sbdecode::ReadSent(b);
    if (first.kind != FrameKind::kBlock || second.kind != FrameKind::kBlock || first.last != second.last ||
        first.checkGood != second.checkGood || first.data.size() != second.data.size())
        return false;
    for (std::size_t i = 0; i < first.data.size(); ++i) {
        if (first.data[i] != second.data[i] && i != kSequenceAt && i != kRequestAt) return false;
    }
    return true;
}

RecordedLine::RecordedLine(std::vector<RecordingPart> parts, unsigned point, std::size_t lastLine)
    : point_(point), lastLine_(lastLine), files_(std::move(parts)), in_(&files_), reader_(in_) {}

void RecordedLine::Fill(std::size_t ahead) {
    sbdecode::TraceRecord record;
    // One record a turn; the recording is finite.
    while (ahead_.size() < ahead && !read_) {
        const bool past = lastLine_ != 0 && reader_.lineNumber() > lastLine_;
        if (past || !reader_.Next(&record)) {
            for (const Exchange& exchange : pairing_.Finish()) {
                if (!exchange.cutShort) ahead_.push_back(exchange);  // an answer never recorded is not known
            }
            read_ = true;
            break;
        }
        if (record.point != point_ || record.kind == sbdecode::TraceRecord::Kind::kUnreadable) continue;
        for (const Exchange& exchange : pairing_.Take(record)) ahead_.push_back(exchange);
    }
}

bool RecordedLine::Ended() {
    Fill(1);
    return ahead_.empty();
}

void RecordedLine::Played(Exchange exchange) {
    behind_.push_front(std::move(exchange));
    if (behind_.size() > kAlignmentWindow) behind_.pop_back();
}

Bytes RecordedLine::Answer(const Bytes& sent, std::optional<Misalignment>* misalignment) {
    misalignment->reset();
    Fill(1);
    if (!ahead_.empty() && SameTransmission(sent, ahead_.front().sent)) {
        const Bytes answer = ahead_.front().answer;
        Played(std::move(ahead_.front()));
        ahead_.pop_front();
        return answer;
    }
    Fill(kAlignmentWindow);
    Misalignment found;
    found.sent = sent;
    if (!ahead_.empty()) found.expected = ahead_.front();
    const bool block = IsBlock(sent);
    for (std::size_t i = 0; i < ahead_.size(); ++i) {
        if (i > 0 && SameTransmission(sent, ahead_[i].sent)) {
            found.taken = Misalignment::Taken::kAhead;
            found.answeredAs = ahead_[i];
            found.passedOver = i;
            for (std::size_t k = 0; k <= i; ++k) {
                Played(std::move(ahead_.front()));
                ahead_.pop_front();
            }
            *misalignment = found;
            return found.answeredAs->answer;
        }
        if (!block && IsBlock(ahead_[i].sent)) break;
    }
    for (const Exchange& before : behind_) {
        if (SameTransmission(sent, before.sent) && !IsBlock(before.answer)) {
            found.taken = Misalignment::Taken::kAgain;
            found.answeredAs = before;
            break;
        }
    }
    *misalignment = found;
    return found.answeredAs ? found.answeredAs->answer : Bytes{};
}

bool ReadOutline(const std::vector<RecordingPart>& parts, Progress* progress, RecordingOutline* outline,
                 std::string* error) {
    ChainedFiles files(parts);
    std::istream in(&files);
    sbdecode::TraceReader reader(in);
    sbdecode::TraceRecord record;
    std::set<std::size_t> readableParts;
    while (reader.Next(&record)) {
        const bool bytes =
            record.kind == sbdecode::TraceRecord::Kind::kSent || record.kind == sbdecode::TraceRecord::Kind::kReceived;
        if (bytes && record.point != 0) {
            outline->points.insert(record.point);
            outline->lastLines[record.point] = record.lineNumber;
            outline->logged = outline->logged || !record.captured;
            outline->captured = outline->captured || record.captured;
        }
        if (record.kind != sbdecode::TraceRecord::Kind::kUnreadable)
            readableParts.insert(files.PartOf(record.lineNumber));
        if (record.startsRun) outline->starts.push_back(record.lineNumber);
        if (progress != nullptr) progress->Tell(files.bytesRead(), files.totalBytes());
    }
    for (std::size_t part = 0; part < parts.size(); ++part) {
        if (readableParts.count(part) == 0) outline->unreadableParts.push_back(parts[part].path);
    }
    if (reader.doubledLineEnds() > 0)
        outline->conversions.push_back(std::to_string(reader.doubledLineEnds()) +
                                       " line(s) end in CR CR LF (the first at " +
                                       files.Where(reader.firstDoubledLineEnd()) + "): read as the driver wrote them");
    if (reader.utf8Lines() > 0)
        outline->conversions.push_back(std::to_string(reader.utf8Lines()) +
                                       " line(s) in UTF-8, not the driver's Windows-1251 (the first at " +
                                       files.Where(reader.firstUtf8Line()) + "): read as the driver wrote them");
    *error = files.error();
    return error->empty();
}

std::string MisalignmentText(const Misalignment& misalignment, const RecordedLine& line) {
    std::string text = "the driver sent " + sbdecode::FrameText(sbdecode::ReadSent(misalignment.sent));
    text += misalignment.expected
                ? " where the recording has " + sbdecode::FrameText(sbdecode::ReadSent(misalignment.expected->sent)) +
                      " at " + At(*misalignment.expected, line)
                : " past the recording's end";
    const std::optional<Exchange>& as = misalignment.answeredAs;
    switch (misalignment.taken) {
        case Misalignment::Taken::kAhead:
            return text + "; answered as the recording's at " + At(*as, line) + ": " +
                   AnswerText(as->sent, as->answer) + ", " + std::to_string(misalignment.passedOver) +
                   " recorded exchange" + (misalignment.passedOver == 1 ? "" : "s") + " passed over";
        case Misalignment::Taken::kAgain:
            return text + "; answered as before at " + At(*as, line) + ": " + AnswerText(as->sent, as->answer);
        case Misalignment::Taken::kSilence: break;
    }
    return text + "; nothing like it near in the recording: no answer";
}

}  // namespace sbreplay
