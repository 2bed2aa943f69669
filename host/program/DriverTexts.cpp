#include "host/program/DriverTexts.h"

namespace sbhost {
namespace {

struct Gloss {
    const char* failure;  // UTF-8, as the host receives it
    const char* gloss;
};

const Gloss kGlosses[] = {
    {"Невозможно выполнить сброс ТРК",
     "a poll, acknowledgement or end-of-transmission failed at the port, or a reset, initialisation or switch message "
     "could not be sent"},
    {"Невозможно перейти в режим передачи к ТРК", "the select failed at the port"},
    {"Невозможно перевести ТРК в режим приема", "the dispenser kept the line busy for more than ten poll cycles"},
    {"Невозможно выполнить запрос состояния ТРК", "the status request could not be sent"},
    {"Can't Start", "START was not sent, or the dispenser refused it"},
    {"Невозможно выполнить запрос данных отлива ТРК", "the delivery data request could not be sent"},
    {"Невозможно запросить данные со счетчика блока связи", "the T10 counter read failed at the port"},
    {"Невозможно выполнить запрос счетчиков ТРК", "the totalizer request could not be sent"},
    {"Abstract Error", "slot 0 was called"},
};

}  // namespace

std::string DriverGloss(const std::string& failure) {
    for (const Gloss& known : kGlosses) {
        if (failure == known.failure) return known.gloss;
    }
    return "";
}

std::string DriverFailureText(uint32_t point, const std::string& failure, const std::string& lineError) {
    const std::string head = "sbhost: point " + std::to_string(point) + ": ";
    const std::string gloss = DriverGloss(failure);
    std::string text = head + "the driver failed" + (gloss.empty() ? "" : ": " + gloss) + "\n";
    text += head + failure + "\n";
    if (!lineError.empty()) text += head + "line: " + lineError + "\n";
    return text;
}

}  // namespace sbhost
