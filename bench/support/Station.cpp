#include "bench/support/Station.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "driver/DriverFactory.h"
#include "driver/TVM30.h"
#include "line/SerialPortService.h"
#include "logging/Log.h"
#include "sim/SimPortService.h"

namespace sbbench {
namespace {

constexpr int kMaxPolls = 200;  // polls a state change may take before the benchmark gives up on it
constexpr uint32_t kIdle = 0xC0;

bool IsNozzleUp(uint32_t code) { return code >= 0xE0 && code <= 0xE6; }

std::string NewSettings(int baud) {
    std::string dir = (std::filesystem::temp_directory_path() / "sbbench-XXXXXX").string();
    if (mkdtemp(dir.data()) == nullptr) throw std::runtime_error("no temporary directory");
    std::ofstream(dir + "/cnf.INI") << "[SB]\r\nBaud=" << baud << "\r\n";
    return dir;
}

}  // namespace

const char* LineName(LineKind kind) {
    switch (kind) {
        case LineKind::kInProcess: return "in_process";
        case LineKind::kPaced2400: return "pty_2400";
        case LineKind::kPaced9600: return "pty_9600";
    }
    return "";
}

int Baud(LineKind kind) {
    switch (kind) {
        case LineKind::kInProcess: return 0;
        case LineKind::kPaced2400: return 2400;
        case LineKind::kPaced9600: return 9600;
    }
    return 0;
}

struct Station::InProcess {
    sbsim::SimPortService port;
};

struct Station::OverLine {
    std::vector<std::unique_ptr<PacedLine>> lines;  // point n on lines[n - 1]
    std::unique_ptr<sbline::SerialPortService> port;
};

Station::Station(LineKind kind, int points, bool silent) : kind_(kind) {
    SbPortService* port = nullptr;
    settingsDir_ = NewSettings(kind == LineKind::kInProcess ? 9600 : Baud(kind));
    if (kind == LineKind::kInProcess) {
        inProcess_ = std::make_unique<InProcess>();
        if (!silent)
            for (int point = 1; point <= points; ++point) inProcess_->port.Attach(static_cast<uint32_t>(point));
        port = inProcess_->port.port();
    } else {
        overLine_ = std::make_unique<OverLine>();
        std::map<uint32_t, std::string> devices;
        for (int point = 1; point <= points; ++point) {
            overLine_->lines.push_back(std::make_unique<PacedLine>(Baud(kind), silent));
            devices[static_cast<uint32_t>(point)] = overLine_->lines.back()->Device();
        }
        overLine_->port = std::make_unique<sbline::SerialPortService>(devices);
        port = overLine_->port->port();
    }
    driver_ = sb::NewDriver(port, settingsDir_ + "/cnf.INI");
    sb::ProcessLog().SetFileName(settingsDir_ + "/host.pro");  // a host's trace log, as every host has
    for (int point = 1; point <= points; ++point) {
        if (Slots().OpenLine(driver_, static_cast<uint32_t>(point)) != 0) throw std::runtime_error("line not opened");
    }
}

Station::~Station() {
    sb::ProcessLog().SetFileName("");
    delete &sb::TVM30::From(driver_);
    overLine_.reset();
    inProcess_.reset();
    std::filesystem::remove_all(settingsDir_);
}

sb::FillingPoint& Station::Point(uint8_t point) { return sb::TVM30::From(driver_).Point(point); }

int64_t Station::ByteNs() const { return overLine_ ? overLine_->lines.front()->ByteNs() : 0; }

void Station::Call(const std::function<void()>& call) {
    try {
        call();
    } catch (...) {
        ++failures_;  // a failed exchange: the host reports it and goes on
    }
}

uint32_t Station::Poll(uint8_t point) {
    uint32_t code = 0;
    Call([&] { code = Slots().PollStatus(driver_, point, 0); });
    return code;
}

void Station::Act(uint8_t point, const std::function<void(sbsim::Dispenser&)>& action) {
    if (inProcess_) inProcess_->port.Act(point, action);
    else overLine_->lines[point - 1u]->Act(action);
}

std::vector<LineExchange> Station::TakeExchanges(uint8_t point) {
    if (overLine_) return overLine_->lines[point - 1u]->TakeExchanges();
    std::vector<LineExchange> taken;
    for (const sbsim::ExchangeRecord& record : inProcess_->port.exchanges()) {
        if (record.point != point) continue;
        LineExchange exchange;
        exchange.sent = record.sent.size();
        exchange.answered = record.received.size();
        taken.push_back(exchange);
    }
    inProcess_->port.ClearRecords();
    return taken;
}

void Station::PollUntilIdle(uint8_t point) {
    for (int i = 0; i < kMaxPolls && Poll(point) != kIdle; ++i) {
    }
}

void Station::PrepareStart(double presetLitres, uint8_t point) {
    Act(point, [](sbsim::Dispenser& dispenser) { dispenser.point().HangNozzle(); });
    PollUntilIdle(point);
    Slots().SetPrice(driver_, point, 0, 1, 0, 0, 45.90);
    Slots().SetVolumePreset(driver_, point, 0, 0, 0, presetLitres);
    Act(point, [](sbsim::Dispenser& dispenser) { dispenser.point().LiftNozzle(1); });
    for (int i = 0; i < kMaxPolls && !IsNozzleUp(Poll(point)); ++i) {
    }
}

}  // namespace sbbench
