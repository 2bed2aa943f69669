// A host line's device on Windows: a COM port through the Win32 communications functions. Every wait is the
// port's own timeout, set before each read and write.
#include <windows.h>

#include "line/LineDevice.h"
#include "line/win32/WindowsError.h"

namespace sbline {
namespace {

bool Same(const COMMTIMEOUTS& a, const COMMTIMEOUTS& b) {
    return a.ReadIntervalTimeout == b.ReadIntervalTimeout &&
           a.ReadTotalTimeoutMultiplier == b.ReadTotalTimeoutMultiplier &&
           a.ReadTotalTimeoutConstant == b.ReadTotalTimeoutConstant &&
           a.WriteTotalTimeoutMultiplier == b.WriteTotalTimeoutMultiplier &&
           a.WriteTotalTimeoutConstant == b.WriteTotalTimeoutConstant;
}

class ComPortDevice : public LineDevice {
public:
    ComPortDevice() = default;
    ~ComPortDevice() override {
        if (IsOpen()) CloseHandle(handle_);
    }
    ComPortDevice(const ComPortDevice&) = delete;
    ComPortDevice& operator=(const ComPortDevice&) = delete;

    // "COM1" or "\\.\COM12": the device namespace reaches every port, COM10 and above too. A COM port opens
    // for one program at a time (no sharing): another one's port is refused as denied.
    bool Open(const std::string& path, std::string* error) override {
        const std::string deviceName = path.rfind("\\\\.\\", 0) == 0 ? path : "\\\\.\\" + path;
        handle_ = CreateFileA(deviceName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (IsOpen()) return true;
        *error = GetLastError() == ERROR_ACCESS_DENIED ? path + " is in use by another program"
                                                       : WindowsError("cannot open " + path);
        return false;
    }
    bool IsOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }

    bool SetRaw8N1(int baud, std::string* error) override {
        DCB settings{};
        settings.DCBlength = sizeof settings;
        if (!GetCommState(handle_, &settings)) {
            *error = WindowsError("cannot read the line settings");
            return false;
        }
        settings.BaudRate = static_cast<DWORD>(baud);
        settings.ByteSize = 8;
        settings.Parity = NOPARITY;
        settings.StopBits = ONESTOPBIT;
        settings.fBinary = TRUE;
        settings.fParity = FALSE;
        settings.fOutxCtsFlow = FALSE;
        settings.fOutxDsrFlow = FALSE;
        settings.fDtrControl = DTR_CONTROL_DISABLE;
        settings.fDsrSensitivity = FALSE;
        settings.fOutX = FALSE;
        settings.fInX = FALSE;
        settings.fNull = FALSE;
        settings.fRtsControl = RTS_CONTROL_DISABLE;
        settings.fAbortOnError = FALSE;
        if (!SetCommState(handle_, &settings)) {
            *error = WindowsError("cannot set the line to raw 8N1 at " + std::to_string(baud));
            return false;
        }
        return true;
    }

    bool DiscardInput(std::string* error) override {
        if (PurgeComm(handle_, PURGE_RXABORT | PURGE_RXCLEAR)) return true;
        *error = WindowsError("cannot discard the line's input");
        return false;
    }

    bool Write(const uint8_t* bytes, std::size_t count, int timeoutMs, std::string* error) override {
        COMMTIMEOUTS wanted = timeouts_;
        wanted.WriteTotalTimeoutMultiplier = 0;
        wanted.WriteTotalTimeoutConstant = static_cast<DWORD>(timeoutMs);
        if (!SetTimeouts(wanted, error)) return false;
        DWORD written = 0;
        if (!WriteFile(handle_, bytes, static_cast<DWORD>(count), &written, nullptr)) {
            *error = WindowsError("writing to the line failed");
            return false;
        }
        if (written < count) {
            *error = "the line took " + std::to_string(written) + " of " + std::to_string(count) + " bytes in " +
                     std::to_string(timeoutMs) + " ms";
            return false;
        }
        return true;
    }

    Read ReadByte(uint8_t* byte, int timeoutMs, std::string* error) override {
        COMMTIMEOUTS wanted = timeouts_;
        // A total timeout of 0 would wait for ever; an interval of MAXDWORD alone returns at once.
        wanted.ReadIntervalTimeout = timeoutMs > 0 ? 0 : MAXDWORD;
        wanted.ReadTotalTimeoutMultiplier = 0;
        wanted.ReadTotalTimeoutConstant = static_cast<DWORD>(timeoutMs > 0 ? timeoutMs : 0);
        if (!SetTimeouts(wanted, error)) return Read::kFailed;
        DWORD received = 0;
        if (!ReadFile(handle_, byte, 1, &received, nullptr)) {
            *error = WindowsError("reading the line failed");
            return Read::kFailed;
        }
        return received == 1 ? Read::kByte : Read::kSilence;
    }

private:
    // The port keeps its timeouts: they are set again only when they change.
    bool SetTimeouts(const COMMTIMEOUTS& wanted, std::string* error) {
        if (timeoutsSet_ && Same(wanted, timeouts_)) return true;
        COMMTIMEOUTS copy = wanted;
        if (!SetCommTimeouts(handle_, &copy)) {
            *error = WindowsError("cannot set the line's timeouts");
            return false;
        }
        timeouts_ = wanted;
        timeoutsSet_ = true;
        return true;
    }

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    COMMTIMEOUTS timeouts_{};
    bool timeoutsSet_ = false;
};

}  // namespace

std::unique_ptr<LineDevice> NewLineDevice() { return std::make_unique<ComPortDevice>(); }

}  // namespace sbline
