// The settings dialog of a POSIX host: the one it lent (SbSetHostUi), run on the dialog's choice.
#include "settings/SettingsDialog.h"

#include <cstdio>

#include "platform/posix/HostUi.h"

namespace sb {

bool ShowSettingsDialog(SettingsChoice& choice) {
    const std::optional<SbHostUi> ui = platform::LentHostUi();
    if (!ui || ui->runSettingsDialog == nullptr) {
        std::fprintf(stderr, "sbdriver: no settings dialog: the host lent none (SbSetHostUi)\n");
        return false;
    }
    SbSettingsChoice shown{choice.amountScale, choice.priceScale, choice.speed, {}};
    for (int line = 1; line <= 8; ++line) shown.t10[line - 1] = choice.t10[line] ? 1 : 0;
    if (ui->runSettingsDialog(ui->context, &shown) != 1) return false;
    choice.amountScale = shown.amountScale;
    choice.priceScale = shown.priceScale;
    choice.speed = shown.speed;
    for (int line = 1; line <= 8; ++line) choice.t10[line] = shown.t10[line - 1] != 0;
    return true;
}

}  // namespace sb
