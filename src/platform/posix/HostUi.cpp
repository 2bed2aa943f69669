#include "platform/posix/HostUi.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace sb::platform {
namespace {
std::mutex lentLock;
std::optional<SbHostUi> lent;
}  // namespace

std::optional<SbHostUi> LentHostUi() {
    std::lock_guard<std::mutex> hold(lentLock);
    return lent;
}

}  // namespace sb::platform

extern "C" SB_EXPORT void SbSetHostUi(const SbHostUi* ui) {
    std::lock_guard<std::mutex> hold(sb::platform::lentLock);
    if (ui == nullptr) {
        sb::platform::lent.reset();
        return;
    }
    // A host built against an older, shorter struct lends fewer callbacks; the rest stay empty.
    SbHostUi copy{};
    std::memcpy(&copy, ui, std::min<size_t>(ui->size, sizeof copy));
    copy.size = sizeof copy;
    sb::platform::lent = copy;
}
