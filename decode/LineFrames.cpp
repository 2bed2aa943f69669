#include "decode/LineFrames.h"

#include <cstdio>

#include "link/BlockCheck.h"
#include "link/LineBytes.h"

namespace sbdecode {
namespace {

namespace line = sb::line;

constexpr char kLinkUnitRequest[] = "0002ZD";
constexpr std::size_t kLinkUnitRequestLength = sizeof kLinkUnitRequest - 1;
constexpr std::size_t kLinkUnitCountLength = 4;
constexpr std::size_t kShortestBlock = 4;  // STX, one data byte, terminator, check

std::string Hex2(uint8_t byte) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", byte);
    return text;
}

Frame ReadBlock(const Bytes& bytes) {
    Frame frame;
    const std::size_t n = bytes.size();
    const uint8_t terminator = n >= kShortestBlock ? bytes[n - 2] : 0;
    if (n < kShortestBlock || bytes[0] != line::STX || (terminator != line::ETX && terminator != line::ETB)) {
        frame.kind = FrameKind::kUnknown;
        return frame;
    }
    frame.kind = FrameKind::kBlock;
    frame.last = terminator == line::ETX;
    frame.check = bytes[n - 1];
    frame.expected = sb::BlockCheck(bytes.data() + 1, n - 2);
    frame.checkGood = frame.check == frame.expected;
    frame.data.assign(bytes.begin() + 1, bytes.end() - 2);
    return frame;
}

// Data as text, with every byte outside printable ASCII as <XX>.
std::string Printable(const std::string& data) {
    std::string text;
    for (const char c : data) {
        const auto byte = static_cast<uint8_t>(c);
        text += (byte >= 0x20 && byte < 0x7F && c != '"') ? std::string(1, c) : "<" + Hex2(byte) + ">";
    }
    return text;
}

}  // namespace

Frame ReadSent(const Bytes& bytes) {
    Frame frame;
    const std::size_t n = bytes.size();
    if (n == 0) return frame;
    if (n == 3 && bytes[0] == line::EOT && bytes[2] == line::ENQ && line::IsAckDigit(bytes[1])) {
        frame.kind = bytes[1] == '0' ? FrameKind::kPoll : FrameKind::kSelect;
    } else if (n == 2 && line::IsAcknowledgement(bytes.data())) {
        frame.kind = FrameKind::kAck;
        frame.digit = static_cast<char>(bytes[1]);
    } else if (n == 1 && bytes[0] == line::EOT) {
        frame.kind = FrameKind::kEot;
    } else if (n == 1 && bytes[0] == line::NAK) {
        frame.kind = FrameKind::kNak;
    } else if (n == kLinkUnitRequestLength && std::string(bytes.begin(), bytes.end()) == kLinkUnitRequest) {
        frame.kind = FrameKind::kLinkUnitRequest;
    } else {
        return ReadBlock(bytes);
    }
    return frame;
}

Frame ReadAnswer(const Bytes& bytes, FrameKind question) {
    if (question == FrameKind::kLinkUnitRequest && bytes.size() == kLinkUnitCountLength && bytes[0] == line::STX &&
        bytes[1] == '2') {
        Frame frame;
        frame.kind = FrameKind::kLinkUnitCount;
        frame.count = bytes[2] + 256u * bytes[3];
        return frame;
    }
    return ReadSent(bytes);
}

std::string FrameText(const Frame& frame, FrameKind question) {
    switch (frame.kind) {
        case FrameKind::kNothing: return "nothing";
        case FrameKind::kPoll: return "poll";
        case FrameKind::kSelect: return "select";
        case FrameKind::kAck: return std::string(question == FrameKind::kSelect ? "ready " : "ack ") + frame.digit;
        case FrameKind::kEot: return "EOT";
        case FrameKind::kNak: return "NAK";
        case FrameKind::kBlock:
            return std::string("block ") + (frame.last ? "ETX" : "ETB") + " \"" + Printable(frame.data) + "\" check " +
                   Hex2(frame.check) +
                   (frame.checkGood ? " good" : " BAD (its data make " + Hex2(frame.expected) + ")");
        case FrameKind::kLinkUnitRequest: return "link unit request";
        case FrameKind::kLinkUnitCount: return "link unit count " + std::to_string(frame.count) + " (1/100 l)";
        case FrameKind::kUnknown: break;
    }
    return "unknown bytes";
}

std::string HexText(const Bytes& bytes) {
    std::string text;
    for (const uint8_t byte : bytes) text += (text.empty() ? "" : " ") + Hex2(byte);
    return text;
}

}  // namespace sbdecode
