// What a dispenser's status character and a driver's state code mean, in words for people.
#pragma once

#include <cstdint>
#include <string>

namespace sbdecode {

// The status character of a status report (or of a delivery reply): "delivering", "switched off"...
std::string StatusMeaning(char status);

// A state code as the driver returns it from a status poll.
struct StateCode {
    std::string meaning;  // "nozzle 2 up", "delivering grade 2"...
    int nozzle = 0;       // the lifted nozzle the code names (0xE0..0xEF), else 0
    int grade = 0;        // the grade of the delivery the code names (0xD0..0xDF), else 0
};
StateCode ReadStateCode(uint32_t code);

}  // namespace sbdecode
