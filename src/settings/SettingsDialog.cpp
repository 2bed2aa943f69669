#include "settings/SettingsDialog.h"

namespace sb {
namespace {

constexpr int32_t kScales[] = {1, 10, 100, 1000};  // buttons 0..3: no, one, two, three decimals
constexpr int32_t kSpeeds[] = {2400, 9600};

int ButtonOf(int32_t scale) {
    for (int button = 0; button < 4; ++button) {
        if (kScales[button] == scale) return button;
    }
    return SettingsChoice::kNone;
}

int32_t ScaleOf(int button, int32_t unchanged) { return button >= 0 && button < 4 ? kScales[button] : unchanged; }

}  // namespace

SettingsChoice PresetChoice(const DriverSettings& settings) {
    SettingsChoice choice;
    choice.amountScale = ButtonOf(settings.SDec);
    choice.priceScale = ButtonOf(settings.PDec);
    choice.speed = settings.Baud == kSpeeds[1] ? 1 : 0;
    for (int line = 1; line <= DriverSettings::kT10Lines; ++line) choice.t10[line] = settings.T10Line[line];
    return choice;
}

void ApplyChoice(const SettingsChoice& choice, DriverSettings& settings) {
    settings.Baud = kSpeeds[choice.speed == 1 ? 1 : 0];
    settings.SDec = ScaleOf(choice.amountScale, settings.SDec);
    settings.PDec = ScaleOf(choice.priceScale, settings.PDec);
    for (int line = 1; line <= DriverSettings::kT10Lines; ++line) settings.T10Line[line] = choice.t10[line];
}

bool RunSettingsDialog(DriverSettings& settings) {
    SettingsChoice choice = PresetChoice(settings);
    if (!ShowSettingsDialog(choice)) return false;
    ApplyChoice(choice, settings);
    return true;
}

}  // namespace sb
