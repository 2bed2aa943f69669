#include "support/TestMenu.h"

#include <algorithm>
#include <cstring>

namespace sbtest {
namespace {

uint32_t SB_CALL Count(SbMenuItem* item) { return static_cast<uint32_t>(TestMenu::Of(item).children.size()); }
SbMenuItem* SB_CALL Item(SbMenuItem* item, uint32_t index) {
    auto& children = TestMenu::Of(item).children;
    return index < children.size() ? &children[index]->base : nullptr;
}
uint32_t SB_CALL GetCaption(SbMenuItem* item, char* buffer, uint32_t size) {
    const std::string& caption = TestMenu::Of(item).caption;
    if (size > 0) {
        const size_t count = std::min<size_t>(caption.size(), size - 1);
        std::memcpy(buffer, caption.data(), count);
        buffer[count] = '\0';
    }
    return static_cast<uint32_t>(caption.size());
}
void SB_CALL SetCaption(SbMenuItem* item, const char* text) { TestMenu::Of(item).caption = text; }
void SB_CALL SetHint(SbMenuItem* item, const char* text) { TestMenu::Of(item).hint = text; }
void SB_CALL SetHelpContext(SbMenuItem* item, int32_t context) { TestMenu::Of(item).helpContext = context; }
void SB_CALL SetShortcut(SbMenuItem* item, uint32_t shortcut) { TestMenu::Of(item).shortcut = shortcut; }
void SB_CALL SetOnClick(SbMenuItem* item, SbMenuClickHandler handler) { TestMenu::Of(item).click = handler; }

const SbMenuItemVtbl kTable = {Count, Item, GetCaption, SetCaption, SetHint, SetHelpContext, SetShortcut, SetOnClick};

}  // namespace

TestMenu::TestMenu(std::string itemCaption) : base{&kTable}, caption(std::move(itemCaption)) {}

TestMenu* TestMenu::Add(const std::string& itemCaption) {
    children.push_back(std::make_unique<TestMenu>(itemCaption));
    return children.back().get();
}

SbMenuItem* SB_CALL TestMenu::Create(SbMenuItem* parent, int32_t index) {
    TestMenu* item = Of(parent).Add("");
    item->createdAt = index;
    return &item->base;
}

}  // namespace sbtest
