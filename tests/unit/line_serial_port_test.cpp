// The port service over serial lines: when an answer is complete, and the slots over a real pseudo-terminal
// pair whose master plays the dispenser.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <utility>
#include <vector>

#include "line/AnswerCompletion.h"
#include "line/LineBytes.h"
#include "line/SerialPortService.h"

namespace sbline {
namespace {

using Bytes = std::vector<uint8_t>;

bool Complete(const Bytes& bytes, std::size_t replySize) {
    return AnswerComplete(bytes.data(), bytes.size(), replySize);
}

TEST(AnswerCompletion, ShortAnswersEndAtTheirLastByte) {
    EXPECT_FALSE(Complete({}, 30));
    EXPECT_TRUE(Complete({kEot}, 30));
    EXPECT_TRUE(Complete({kNak}, 2));
    EXPECT_FALSE(Complete({kDle}, 2 + 28));
    EXPECT_TRUE(Complete({kDle, '1'}, 30));
}

TEST(AnswerCompletion, BlockEndsWithTheCheckByteAfterItsTerminator) {
    const Bytes block{kStx, '0', '1', '8', '1', kEtx, 0x0B};
    for (std::size_t n = 1; n < block.size(); ++n)
        EXPECT_FALSE(Complete(Bytes(block.begin(), block.begin() + static_cast<long>(n)), 60)) << n;
    EXPECT_TRUE(Complete(block, 60));
    EXPECT_FALSE(Complete({kStx, '0', kEtb}, 60));
    EXPECT_TRUE(Complete({kStx, '0', kEtb, 0x27}, 60));
    // No terminator where the longest block has one: the unit cannot grow further.
    Bytes runaway(kMaxBlockLength, '7');
    runaway[0] = kStx;
    EXPECT_FALSE(Complete(Bytes(runaway.begin(), runaway.end() - 1), 60));
    EXPECT_TRUE(Complete(runaway, 60));
}

TEST(AnswerCompletion, ReplySizeEndsAnyAnswerTheLinkUnitsAmongThem) {
    // STX "2" and the count 0x2710: no terminator, the four bytes of the reply size end it.
    EXPECT_FALSE(Complete({kStx, '2', 0x10}, 4));
    EXPECT_TRUE(Complete({kStx, '2', 0x10, 0x27}, 4));
    EXPECT_FALSE(Complete({'x', 'y'}, 30));
    EXPECT_TRUE(Complete({'x', 'y'}, 2));
    EXPECT_TRUE(Complete({}, 0));
}

// The master side of a pseudo-terminal pair: it answers the host's next transmission with scripted pieces.
class Dispenser {
public:
    Dispenser() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0 && ptsname(master_) != nullptr)
            slave_ = ptsname(master_);
        // Opened before the service takes the line for itself: it shows what has reached the host's side.
        if (!slave_.empty()) hostSide_ = open(slave_.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    }
    ~Dispenser() {
        if (peer_.joinable()) peer_.join();
        if (hostSide_ >= 0) close(hostSide_);
        if (master_ >= 0) close(master_);
    }
    const std::string& slave() const { return slave_; }
    // The dispenser's end goes away, as a USB adapter unplugged: the host's device fails, and its path is gone.
    void Unplug() {
        close(master_);
        master_ = -1;
    }

    // Bytes written at once, as if they were left over from earlier; returns once the pty, which hands them on a
    // moment later, has them waiting on the host's side (within 10 s).
    void Leave(const Bytes& bytes) {
        ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        int waiting = 0;
        while (ioctl(hostSide_, FIONREAD, &waiting) == 0 && waiting < static_cast<int>(bytes.size()) &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_EQ(waiting, static_cast<int>(bytes.size()));
    }

    // After the host's bytes arrive (waiting at most 2 s), waits each piece's delay and writes it.
    void AnswerWith(std::vector<std::pair<int, Bytes>> pieces) {
        peer_ = std::thread([this, pieces = std::move(pieces)] {
            pollfd readable{master_, POLLIN, 0};
            if (poll(&readable, 1, 2000) != 1) return;
            uint8_t buffer[64];
            const ssize_t n = read(master_, buffer, sizeof buffer);
            if (n > 0) heard_.assign(buffer, buffer + n);
            for (const auto& [delayMs, bytes] : pieces) {
                std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
                if (write(master_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) return;
            }
        });
    }
    // What the host sent; valid once the exchange has returned and the peer finished.
    Bytes Heard() {
        if (peer_.joinable()) peer_.join();
        return heard_;
    }

private:
    int master_ = -1;
    int hostSide_ = -1;
    std::string slave_;
    std::thread peer_;
    Bytes heard_;
};

struct Reception {
    int calls = 0;
    Bytes bytes;
    uint32_t replySize = 0;
};

uint32_t SB_CALL Received(void* self, uint32_t, const uint8_t* bytes, uint32_t, uint8_t* count, uint8_t* replySize) {
    auto* reception = static_cast<Reception*>(self);
    ++reception->calls;
    reception->bytes.assign(bytes, bytes + *count);
    reception->replySize = *replySize;
    return 1;
}

// The dispensers' turnaround the tests give the service: longer than any delay of the test's own answering thread
// on a busy machine, so that only the delays a test writes decide what the service reads.
constexpr int kTurnaroundMs = 500;

class SerialPortServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(dispenser.slave().empty());
        vm.SetReceiveHandler(port, 1, SbReceiveHandler{&Received, &reception});
        ASSERT_EQ(vm.Configure(port, 1, 10, 2400), 0) << service.LastError(1);
    }

    // One send-and-receive of point 1 with a 40-byte buffer full of 0xEE; returns the buffer.
    Bytes Exchange(const Bytes& send, uint32_t replySize, int32_t* result = nullptr) {
        Bytes buffer(40, 0xEE);
        std::copy(send.begin(), send.end(), buffer.begin());
        const int32_t r =
            vm.SendReceive(port, 1, buffer.data(), static_cast<uint32_t>(send.size()), buffer.data(), replySize, 0);
        if (result != nullptr) *result = r;
        return buffer;
    }
    uint32_t LineStatus() { return vm.LineStatus(port, 1); }

    Dispenser dispenser;
    SerialPortService service{{{1, dispenser.slave()}}, kTurnaroundMs};
    SbPortService* port = service.port();
    const SbPortServiceVtbl& vm = *port->vtbl;
    Reception reception;
};

const Bytes kPoll{kEot, '0', kEnq};
const Bytes kStatusBlock{kStx, '0', '1', '8', '1', kEtx, 0x0B};

TEST_F(SerialPortServiceTest, AnswerStopsAtItsUnitAndLandsOverTheBufferStart) {
    dispenser.AnswerWith({{5, Bytes{kStx, '0', '1'}}, {10, Bytes{'8', '1', kEtx, 0x0B, 'X', 'Y'}}});
    int32_t result = -1;
    const Bytes buffer = Exchange(kPoll, 30, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(dispenser.Heard(), kPoll);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 7), kStatusBlock);
    EXPECT_EQ(buffer[7], 0xEE);  // nothing after the check byte was taken, nothing beyond it written
    EXPECT_EQ(reception.calls, 1);
    EXPECT_EQ(reception.bytes, kStatusBlock);
    EXPECT_EQ(reception.replySize, 30u);
    EXPECT_EQ(LineStatus(), kLineGood);
}

TEST_F(SerialPortServiceTest, LeftoverInputIsDiscardedBeforeSending) {
    dispenser.Leave(Bytes{kDle, '0', kEot});
    dispenser.AnswerWith({{0, Bytes{kEot}}});
    const Bytes buffer = Exchange(kPoll, 30);
    EXPECT_EQ(reception.bytes, Bytes{kEot});
    EXPECT_EQ(buffer[1], '0');  // the poll's own second byte stays
}

TEST_F(SerialPortServiceTest, ShortAnswersAndTheLinkUnitsFourBytes) {
    dispenser.AnswerWith({{0, Bytes{kDle, '1', kEot}}});
    Exchange(Bytes{kStx, '0', '1', '8', '1', kEtx, 0x0B}, 2);
    EXPECT_EQ(reception.bytes, (Bytes{kDle, '1'}));
    dispenser.Heard();

    dispenser.AnswerWith({{0, Bytes{kNak, kNak}}});
    Exchange(kStatusBlock, 2);
    EXPECT_EQ(reception.bytes, Bytes{kNak});
    dispenser.Heard();

    dispenser.AnswerWith({{0, Bytes{kStx, '2', kEtx}}, {10, Bytes{0x27, 0x00}}});
    Exchange(Bytes{'0', '0', '0', '2', 'Z', 'D'}, 4);
    EXPECT_EQ(reception.bytes, (Bytes{kStx, '2', kEtx, 0x27}));
}

TEST_F(SerialPortServiceTest, SilenceAndGapsEndTheWait) {
    using std::chrono::milliseconds;
    const auto started = std::chrono::steady_clock::now();
    const Bytes buffer = Exchange(kPoll, 30);
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_GE(waited, milliseconds(FirstByteWaitMs(2400, kPoll.size(), kTurnaroundMs)));
    EXPECT_LT(waited, milliseconds(FirstByteWaitMs(2400, kPoll.size(), kTurnaroundMs) + 500));
    EXPECT_EQ(LineStatus(), kLineNoAnswer);
    EXPECT_EQ(reception.calls, 1);
    EXPECT_TRUE(reception.bytes.empty());
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 3), kPoll);
    // Take the unanswered poll off the line first, or the next answer could go out before the next poll and
    // be discarded with the leftover input.
    dispenser.AnswerWith({});
    EXPECT_EQ(dispenser.Heard(), kPoll);

    // A pause inside a block shorter than the turnaround, though longer than the plain gap, does not end it; a
    // longer one does: what came before it is the answer.
    dispenser.AnswerWith({{0, Bytes{kStx, '0', '1'}}, {kInterByteGapMs + 150, Bytes{'8', '1', kEtx, 0x0B}}});
    Exchange(kPoll, 30);
    EXPECT_EQ(reception.bytes, kStatusBlock);
    dispenser.Heard();
    dispenser.AnswerWith({{0, Bytes{kStx, '0', '1'}}, {kTurnaroundMs + 150, Bytes{'8', '1', kEtx, 0x0B}}});
    Exchange(kPoll, 30);
    EXPECT_EQ(reception.bytes, (Bytes{kStx, '0', '1'}));
    EXPECT_EQ(LineStatus(), kLineGood);
}

TEST_F(SerialPortServiceTest, ReplySizeZeroReadsNothing) {
    dispenser.AnswerWith({{0, Bytes{kEot}}});
    const auto started = std::chrono::steady_clock::now();
    Exchange(Bytes{kEot}, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - started,
              std::chrono::milliseconds(FirstByteWaitMs(2400, 1, kTurnaroundMs)));
    EXPECT_EQ(dispenser.Heard(), Bytes{kEot});
    EXPECT_TRUE(reception.bytes.empty());
    EXPECT_EQ(reception.replySize, 0u);
    EXPECT_EQ(LineStatus(), kLineGood);
}

TEST_F(SerialPortServiceTest, SpeedCodesAndLinesOutsideTheService) {
    EXPECT_EQ(vm.Configure(port, 1, 10, 9600), 0);
    EXPECT_EQ(vm.Configure(port, 1, 10, SB_T10_SPEED_CODE), 0);
    for (uint32_t code : {4800u, 0u, 0x05000960u, 0x00010960u, 0x07000961u}) {
        EXPECT_EQ(vm.Configure(port, 1, 10, code), kUnsupportedSpeed) << std::hex << code;
        EXPECT_NE(service.LastError(1).find("unsupported speed code"), std::string::npos);
    }
    for (uint32_t point : {0u, 2u, 33u}) {
        EXPECT_EQ(vm.Configure(port, point, 10, 2400), kNoSuchLine);
        uint8_t buffer[8] = {kEot, '0', kEnq};
        EXPECT_EQ(vm.SendReceive(port, point, buffer, 3, buffer, 30, 0), kNoSuchLine);
        EXPECT_EQ(vm.LineStatus(port, point), kLineNoAnswer);
        vm.SetReceiveHandler(port, point, SbReceiveHandler{&Received, &reception});
    }
    EXPECT_EQ(vm.ErrorResult(port, 1), kPortFailed);
    EXPECT_EQ(reception.calls, 0);
}

// A device that failed while open is let go: setting the line up again opens its path afresh, and tells why not.
TEST_F(SerialPortServiceTest, DeviceThatFailsWhileOpenIsOpenedAfreshBySetUp) {
    dispenser.Unplug();
    int32_t result = 0;
    Exchange(kPoll, 30, &result);
    EXPECT_EQ(result, kDeviceFailed);
    EXPECT_EQ(vm.Configure(port, 1, 10, 2400), kDeviceFailed);
    EXPECT_NE(service.LastError(1).find("cannot open " + dispenser.slave()), std::string::npos) << service.LastError(1);
}

TEST(SerialPortService, DeviceThatCannotBeOpenedFailsWithItsReason) {
    SerialPortService service({{3, "/nonexistent/tty"}});
    const SbPortServiceVtbl& vm = *service.port()->vtbl;
    EXPECT_EQ(vm.Configure(service.port(), 3, 10, 2400), kDeviceFailed);
    EXPECT_NE(service.LastError(3).find("cannot open /nonexistent/tty"), std::string::npos);
    uint8_t buffer[8] = {kEot, '0', kEnq};
    EXPECT_EQ(vm.SendReceive(service.port(), 3, buffer, 3, buffer, 30, 0), kDeviceFailed);
    EXPECT_EQ(vm.LineStatus(service.port(), 3), kLineNoAnswer);
}

}  // namespace
}  // namespace sbline
