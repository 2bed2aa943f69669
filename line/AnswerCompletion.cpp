#include "line/AnswerCompletion.h"

#include "line/LineBytes.h"

namespace sbline {
namespace {

bool BlockComplete(const uint8_t* bytes, std::size_t count) {
    if (count >= kMaxBlockLength) return true;
    for (std::size_t i = 1; i + 1 < count; ++i) {
        if (bytes[i] == kEtb || bytes[i] == kEtx) return true;  // and its check byte has come
    }
    return false;
}

}  // namespace

bool AnswerComplete(const uint8_t* bytes, std::size_t count, std::size_t replySize) {
    if (count >= replySize) return true;
    if (count == 0) return false;
    switch (bytes[0]) {
        case kEot:
        case kNak: return true;
        case kDle: return count >= 2;
        case kStx: return BlockComplete(bytes, count);
        default: return false;
    }
}

}  // namespace sbline
