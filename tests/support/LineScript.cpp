#include "support/LineScript.h"

namespace sbtest {

LineScript& LineScript::TakeRequest(size_t messageLength) {
    script_.ScriptAnswer({sbsim::kEot});
    script_.ScriptAnswer({sbsim::kDle, '0'});
    const size_t blocks = (messageLength + sbsim::kMaxBlockData - 1) / sbsim::kMaxBlockData;
    for (size_t i = 0; i < blocks; ++i) script_.ScriptAnswer({sbsim::kDle, static_cast<uint8_t>(i % 2 ? '1' : '0')});
    script_.ScriptAnswer({});
    return *this;
}

LineScript& LineScript::Reply(const std::string& text) {
    for (const sbsim::Bytes& block : sbsim::FrameMessage(text)) script_.ScriptAnswer(block);
    script_.ScriptAnswer({sbsim::kEot});
    return *this;
}

LineScript& LineScript::Nothing(int polls) {
    for (int i = 0; i < polls; ++i) script_.ScriptAnswer({sbsim::kEot});
    return *this;
}

LineScript& LineScript::Answer(const sbsim::Bytes& bytes) {
    script_.ScriptAnswer(bytes);
    return *this;
}

}  // namespace sbtest
