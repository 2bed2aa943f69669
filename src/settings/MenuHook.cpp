#include "settings/MenuHook.h"

#include <cstring>

#include "common/Cp1251.h"
#include "logging/Log.h"
#include "platform/Boundary.h"
#include "settings/SettingsDialog.h"

namespace sb {
namespace {

constexpr uint32_t kCaptionBuffer = 256;

bool HasCaption(SbMenuItem* item, const std::string& caption) {
    char buffer[kCaptionBuffer] = {};
    const uint32_t length = item->vtbl->GetCaption(item, buffer, kCaptionBuffer);
    return length == caption.size() && std::memcmp(buffer, caption.data(), caption.size()) == 0;
}

SbMenuItem* DispenserMenu(SbMenuItem* menus) {
    static const SystemText kDispenserMenu("&ТРК");
    const uint32_t count = menus->vtbl->Count(menus);
    for (uint32_t i = 0; i < count; ++i) {
        SbMenuItem* item = menus->vtbl->Item(menus, i);
        if (item != nullptr && HasCaption(item, kDispenserMenu.cp1251)) return item;
    }
    return nullptr;
}

}  // namespace

void AddSettingsMenuEntry(std::atomic<bool>& pending, SbMenuClickHandler onClick, SbMenuItem* menus,
                          SbCreateMenuItem create) {
    if (!pending.exchange(false) || menus == nullptr || create == nullptr) return;
    SbMenuItem* dispenserMenu = DispenserMenu(menus);
    if (dispenserMenu == nullptr) return;
    SbMenuItem* entry = create(dispenserMenu, -1);
    if (entry == nullptr) return;
    static const SystemText kCaption("Программирование параметров (Sheidt&Bachmann)");
    static const SystemText kHint("Программирование параметров (S&B)");
    entry->vtbl->SetCaption(entry, kCaption.cp1251.c_str());
    entry->vtbl->SetHint(entry, kHint.cp1251.c_str());
    entry->vtbl->SetHelpContext(entry, 0);
    entry->vtbl->SetShortcut(entry, 0);
    entry->vtbl->SetOnClick(entry, onClick);
}

void OpenSettings(SettingsInForce& settings) {
    try {
        DriverSettings chosen = settings.Current();
        if (!RunSettingsDialog(chosen)) return;
        settings.Apply(chosen);
        if (!SaveSettings(settings.FilePath, chosen)) {
            // The new values stay in force; the operator must know they will not survive a restart.
            static const SystemText kNotSaved("Не удалось записать настройки в файл ");
            WriteLog(kLevelCritical, kNotSaved.cp1251 + settings.FilePath);
        }
    } catch (...) {
        platform::PassThreadEnd();
        static const SystemText kFailed("Программирование параметров: внутренняя ошибка");
        WriteLog(kLevelCritical, kFailed.cp1251);
    }
}

}  // namespace sb
