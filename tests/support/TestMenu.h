// Host menu objects as a host lends them to the menu hook: a caption, sub-items and what the driver set.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sbdriver/sbdriver.h"

namespace sbtest {

struct TestMenu {
    explicit TestMenu(std::string itemCaption);
    TestMenu* Add(const std::string& itemCaption);
    // The item-creation function handed to slot 24: a new item placed under parent.
    static SbMenuItem* SB_CALL Create(SbMenuItem* parent, int32_t index);
    static TestMenu& Of(SbMenuItem* item) { return *reinterpret_cast<TestMenu*>(item); }

    SbMenuItem base;  // first: the driver's pointer to the item is a pointer to this object
    std::string caption;
    std::string hint;
    int32_t helpContext = -1;
    uint32_t shortcut = 0xFFFF;
    int32_t createdAt = 0;
    SbMenuClickHandler click{nullptr, nullptr};
    std::vector<std::unique_ptr<TestMenu>> children;
};

}  // namespace sbtest
