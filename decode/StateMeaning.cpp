#include "decode/StateMeaning.h"

namespace sbdecode {

std::string StatusMeaning(char status) {
    switch (status) {
        case '0': return "idle";
        case '1': return "nozzle up or authorised";
        case '2': return "delivering";
        case '3': return "delivery finished, nozzle up";
        case '4': return "delivery ended, nozzle hung up";
        case '5': return "authorisation cancelled";
        case '6': return "asks for a MASTER RESET";
        case '7': return "switched off";
        case '8': return "at rest";
        case '9': return "asks for INITIALISATION";
        case ':':
        case ';': return "delivering";
        default: return "unknown status";
    }
}

StateCode ReadStateCode(uint32_t code) {
    const int digit = static_cast<int>(code & 0x07);
    switch (code & 0xF8) {
        case 0xC0:
            if (code == 0xC0) return {"idle, off or cancelled", 0, 0};
            break;
        case 0xE0: return {"nozzle " + std::to_string(digit) + " up", digit, 0};
        case 0xE8: return {"authorised, nozzle " + std::to_string(digit), digit, 0};
        case 0xD8: return {"delivering grade " + std::to_string(digit), 0, digit};
        case 0xD0: return {"delivery stopped, grade " + std::to_string(digit), 0, digit};
        default: break;
    }
    return {"unknown state code", 0, 0};
}

}  // namespace sbdecode
