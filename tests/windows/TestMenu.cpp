#include "TestMenu.h"

#include <cstring>

namespace wintest {
namespace {

int created = 0;

TestMenuItem& Of(SbMenuItem* item) { return *static_cast<TestMenuItem*>(item); }

uint32_t __stdcall Count(SbMenuItem* item) { return static_cast<uint32_t>(Of(item).items.size()); }

SbMenuItem* __stdcall Item(SbMenuItem* item, uint32_t index) {
    return index < Of(item).items.size() ? Of(item).items[index].get() : nullptr;
}

uint32_t __stdcall GetCaption(SbMenuItem* item, char* buffer, uint32_t size) {
    const std::string& caption = Of(item).caption;
    if (size == 0) return static_cast<uint32_t>(caption.size());
    const size_t copied = caption.size() < size ? caption.size() : size - 1;
    std::memcpy(buffer, caption.data(), copied);
    buffer[copied] = '\0';
    return static_cast<uint32_t>(caption.size());
}

void __stdcall SetCaption(SbMenuItem* item, const char* caption) { Of(item).caption = caption; }
void __stdcall SetHint(SbMenuItem* item, const char* hint) { Of(item).hint = hint; }
void __stdcall SetHelpContext(SbMenuItem* item, int32_t helpContext) { Of(item).helpContext = helpContext; }
void __stdcall SetShortcut(SbMenuItem* item, uint32_t shortcut) { Of(item).shortcut = shortcut; }
void __stdcall SetOnClick(SbMenuItem* item, SbMenuClickHandler handler) { Of(item).onClick = handler; }

const SbMenuItemVtbl kTestMenuTable = {&Count,   &Item,           &GetCaption,  &SetCaption,
                                       &SetHint, &SetHelpContext, &SetShortcut, &SetOnClick};

}  // namespace

TestMenuItem::TestMenuItem(std::string windows1251Caption)
    : SbMenuItem{&kTestMenuTable}, caption(std::move(windows1251Caption)) {}

TestMenuItem& TestMenuItem::Add(std::string windows1251Caption) {
    items.push_back(std::make_unique<TestMenuItem>(std::move(windows1251Caption)));
    return *items.back();
}

SbMenuItem* __stdcall CreateTestMenuItem(SbMenuItem* parent, int32_t index) {
    ++created;
    TestMenuItem& item = Of(parent).Add("");
    item.createdAt = index;
    return &item;
}

int CreatedItems() { return created; }

}  // namespace wintest
