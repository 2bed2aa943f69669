// What the dispenser makes of one complete message from the driver.
#ifndef SBSIM_REQUEST_H
#define SBSIM_REQUEST_H

#include <cstdint>
#include <string>

namespace sbsim {

enum class RequestKind {
    Status,             // "0000ZD": status request
    StatusFollowUp,     // "018x": short status request without header
    Start,              // "0001ZD"
    DataTransaction,    // "0002ZD"
    Counter,            // "0003ZD"
    PointControl,       // "0004ZD"
    Initialisation,     // "9997ZD"
    MasterReset,        // "9998ZD"
    Identification,     // "9999ZD"
    ResetConfirmation,  // "xx<600"
    Invalid,            // a known command whose fields do not parse
    Unknown,
};

// Fields of an authorisation, as carried by the message.
struct StartFields {
    std::string pointCode;  // two characters after the command code
    int grade = 0;          // 1..6
    int64_t price = 0;      // price units per litre
    int64_t preset = 0;     // hundredths of a litre (kind '1') or amount units (kind '2')
    char kind = '1';        // '1' volume preset, '2' amount preset
    char mode = '0';        // start mode character as sent
};

struct Request {
    RequestKind kind = RequestKind::Unknown;
    char channel = '0';      // message character 1
    char sequence = '0';     // message character 2: the driver's sequence digit (stamped messages)
    char requestByte = '0';  // message character 3
    StartFields start;       // Start only
    bool switchOn = false;   // PointControl only
    std::string text;        // the whole message
};

Request ParseRequest(const std::string& message);

}  // namespace sbsim

#endif
