// A whole dispenser message, the data of its blocks joined, named by its command with its fields: the driver's
// requests as its command catalogue writes them, the dispenser's replies by their length and code.
// Prices, presets and amounts are read at the driver's default scales (100 units to the money unit).
#pragma once

#include <string>
#include <vector>

namespace sbdecode {

struct Field {
    std::string name;
    std::string value;
};

struct Message {
    std::string name;  // "START", "status report", "GET DATA TRANSACTION reply"...
    std::vector<Field> fields;
    // What the report draws, where the message carries it.
    char status = 0;       // a status report's or a delivery reply's status character, else 0
    bool figures = false;  // a delivery reply: the figures below are read
    int grade = 0;         // START, delivery reply
    int nozzle = 0;        // delivery reply
    std::string preset{};  // START: the preset in words, "1.50 l" or "20.00 money"
    double volume = 0;     // litres
    double price = 0;      // money units a litre
    double amount = 0;     // money units
};

Message ReadRequest(const std::string& text);
Message ReadReply(const std::string& text);

// "START: grade 2, price 45.90, preset 5.00 l".
std::string MessageText(const Message& message);

}  // namespace sbdecode
