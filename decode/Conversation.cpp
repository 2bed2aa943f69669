#include "decode/Conversation.h"

#include <cstdio>
#include <utility>

namespace sbdecode {
namespace {

constexpr int64_t kDayMs = 24 * 3600 * 1000;

std::string PointText(unsigned point) { return point == 0 ? "  -" : (point < 10 ? "  " : " ") + std::to_string(point); }

}  // namespace

ReadExchange Conversation::Read(const Exchange& exchange) {
    PointState& state = points_[exchange.point];
    ReadExchange read;
    read.exchange = exchange;
    read.sent = ReadSent(exchange.sent);
    read.answer = ReadAnswer(exchange.answer, read.sent.kind);
    read.awaited = read.sent.kind != FrameKind::kEot && read.sent.kind != FrameKind::kNothing;
    read.cutShort = read.awaited && exchange.cutShort;
    read.silent = read.awaited && exchange.answer.empty() && !read.cutShort;
    read.nak = read.answer.kind == FrameKind::kNak;
    read.lineResult = read.cutShort ? 0 : (read.silent ? 2 : 1);
    if (state.lastMs >= 0) read.quietMs = exchange.timeMs - state.lastMs;
    state.lastMs = exchange.timeMs;

    if (read.sent.kind == FrameKind::kBlock) {
        read.retry = state.unacknowledgedBlock;
        state.unacknowledgedBlock = read.answer.kind != FrameKind::kAck;
        if (!state.unacknowledgedBlock) {
            state.request += read.sent.data;
            if (read.sent.last) {
                read.request = ReadRequest(state.request);
                read.requestText = std::move(state.request);
                state.request.clear();
            }
        }
    } else if (read.sent.kind == FrameKind::kSelect) {
        state.request.clear();  // a new message begins
    }
    // A poll's block begins a reply; an acknowledgement's block goes on with it. A block with a bad check carries
    // no message: receiving a reply the driver answers it with NAK and the dispenser sends it again.
    if (read.answer.kind == FrameKind::kBlock) {
        if (read.sent.kind == FrameKind::kPoll) state.reply.clear();
        if (!read.answer.checkGood) return read;
        state.reply += read.answer.data;
        if (read.answer.last) {
            read.reply = ReadReply(state.reply);
            state.reply.clear();
        }
    }
    return read;
}

std::string ClockText(int64_t timeMs) {
    if (timeMs < 0) return "--:--:--.---";
    const int64_t ms = ((timeMs % kDayMs) + kDayMs) % kDayMs;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", static_cast<int>(ms / 3600000),
                  static_cast<int>(ms / 60000 % 60), static_cast<int>(ms / 1000 % 60), static_cast<int>(ms % 1000));
    return text;
}

std::string ExchangeText(const ReadExchange& read) {
    const std::string time = ClockText(read.exchange.timeMs);
    const std::string point = PointText(read.exchange.point);
    const std::string indent(time.size(), ' ');
    std::string text;
    if (read.quietMs > kGapMs) {
        char quiet[48];
        std::snprintf(quiet, sizeof quiet, "  ... %.3f s quiet\n", static_cast<double>(read.quietMs) / 1000);
        text += indent + point + quiet;
    }
    text += time + point + "  > " + FrameText(read.sent) + (read.retry ? " (again)" : "");
    if (read.cutShort) {
        text += "  < the recording ends before the answer";
    } else if (read.silent) {
        text += "  < NO ANSWER (line result 2)";
    } else if (read.awaited || !read.exchange.answer.empty()) {
        text += "  < " + FrameText(read.answer, read.sent.kind) + " (line result 1)";
    }
    text += "\n";
    if (read.request) text += indent + point + "    request " + MessageText(*read.request) + "\n";
    if (read.reply) text += indent + point + "    reply " + MessageText(*read.reply) + "\n";
    return text;
}

std::string FailureText(int64_t timeMs, unsigned point, int slot, const std::string& text) {
    return ClockText(timeMs) + PointText(point) + "  ! FAILURE slot " + std::to_string(slot) + ": " + text;
}

}  // namespace sbdecode
