#include "MenuHookChecks.h"

#include "Check.h"

namespace wintest {

TestMenuItem* CheckMenuEntryAdded(HostSetup& host, TestMenuItem& menus) {
    menus.Add(Cp1251("&Файл"));
    TestMenuItem& dispenser = menus.Add(Cp1251("&ТРК"));
    dispenser.Add(Cp1251("&Цены"));
    TestMenuItem& help = menus.Add(Cp1251("&Справка"));

    host.Slots().HookMenu(host.driver, &menus, &CreateTestMenuItem);
    if (!ExpectEqual(CreatedItems(), 1, "menu: slot 24 has the host create one item") ||
        !ExpectEqual(dispenser.items.size(), size_t{2}, "menu: the new item stands under \"&ТРК\"")) {
        return nullptr;
    }
    TestMenuItem& entry = *dispenser.items.back();
    ExpectEqual(entry.createdAt, -1, "menu: the item is created at index -1");
    Expect(entry.caption == Cp1251("Программирование параметров (Sheidt&Bachmann)"),
           "menu: the entry's caption is \"Программирование параметров (Sheidt&Bachmann)\" in Windows-1251");
    Expect(entry.hint == Cp1251("Программирование параметров (S&B)"),
           "menu: the entry's hint is \"Программирование параметров (S&B)\" in Windows-1251");
    ExpectEqual(entry.helpContext, 0, "menu: the entry's help context is 0");
    ExpectEqual(entry.shortcut, 0u, "menu: the entry has no shortcut");
    Expect(entry.onClick.code != nullptr && entry.onClick.self == host.driver,
           "menu: the entry's click is bound to the driver object");
    ExpectEqual(help.items.size(), size_t{0}, "menu: the other menus get nothing");

    host.Slots().HookMenu(host.driver, &menus, &CreateTestMenuItem);
    ExpectEqual(CreatedItems(), 1, "menu: a second call of slot 24 adds nothing");
    return entry.onClick.code != nullptr ? &entry : nullptr;
}

void CheckNoEntryWithoutDispenserMenu(HostSetup& host) {
    TestMenuItem menus("");
    // Near misses of "&ТРК": no ampersand, other case, a trailing space, the caption in UTF-8.
    for (const char* caption : {"ТРК", "&трк", "&ТРК ", "&Файл"}) menus.Add(Cp1251(caption));
    menus.Add("&ТРК");
    host.Slots().HookMenu(host.driver, &menus, &CreateTestMenuItem);
    ExpectEqual(CreatedItems(), 0, "menu: no item captioned exactly \"&ТРК\" in Windows-1251, no entry");

    TestMenuItem& dispenser = menus.Add(Cp1251("&ТРК"));
    host.Slots().HookMenu(host.driver, &menus, &CreateTestMenuItem);
    Expect(CreatedItems() == 0 && dispenser.items.empty(),
           "menu: once the first call found no dispenser menu, a later call adds no entry either");
}

}  // namespace wintest
