// A host's menus as the driver sees them through SbMenuItemVtbl: items with Windows-1251 captions and sub-items,
// recording what the driver sets on the items it has the host create.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sbdriver/sbdriver.h"

namespace wintest {

struct TestMenuItem : SbMenuItem {
    explicit TestMenuItem(std::string windows1251Caption);

    // Appends a sub-item and returns it.
    TestMenuItem& Add(std::string windows1251Caption);

    std::string caption;
    std::string hint;
    int32_t helpContext = -1;  // -1, 0xFFFFFFFF and an empty handler: never set
    uint32_t shortcut = 0xFFFFFFFFu;
    SbMenuClickHandler onClick{};
    std::vector<std::unique_ptr<TestMenuItem>> items;
    int createdAt = 0;  // the index the driver asked the item to be created at
};

// The host's item-creation function: a new item appended under parent.
SbMenuItem* __stdcall CreateTestMenuItem(SbMenuItem* parent, int32_t index);

// Items the driver had created through CreateTestMenuItem, in this process.
int CreatedItems();

}  // namespace wintest
