"""A Python host (ctypes, standard library only) on POSIX: loads libsbdriver.so, lends it the port service of
serial_port.py over one serial line, sells 5 litres of grade 2 at 45.90 on point 1, shows how its line fared
(SbGetLinkStatistics) and what a failed exchange looks like on point 2, which has no line.

ctypes cannot catch the C++ exception (sb::ESerialIO) by which the driver reports a failure by default, so the
host asks for failures as results: after SbSetFailureMode(driver, SB_FAILURES_RETURN) a failing slot returns 0 or
0.0 and SbGetLastFailure tells why.

The driver writes its log beside the running executable, here the Python interpreter: run it from a virtual
environment made with --copies, in a directory the host may write to.

Usage: python3 host.py PATH/libsbdriver.so DEVICE    DEVICE is point 1's line (/dev/ttyUSB0). A customer lifts
nozzle 2 at the dispenser and hangs it up after the delivery. Exit status 0 when the delivery ended, point 1's line
statistics were read and point 2's failure was reported.
"""
import ctypes
import sys
from ctypes import POINTER, c_char, c_double, c_int32, c_uint32, c_uint64, c_void_p

from serial_port import SerialPortService

SB_FAILURES_RETURN = 1
POINT, NO_LINE, GRADE = 1, 2, 2
POLLS = 500  # at most, while waiting for the customer or the delivery: 30 s or more on the line

# The slots this host calls; the others stay untyped. On 32-bit Windows the slots are stdcall: WINFUNCTYPE there.
SLOT = ctypes.CFUNCTYPE
DRIVER_SLOTS = {
    3: ("GetLineResult", SLOT(c_uint32, c_void_p, c_uint32)),
    6: ("FinalDeliveryData", SLOT(None, c_void_p, c_uint32, c_uint32, POINTER(c_double), POINTER(c_double))),
    7: ("GetCounter", SLOT(None, c_void_p, c_uint32, c_uint32, c_int32, POINTER(c_double), POINTER(c_double),
                           c_uint32, c_uint32)),
    9: ("CurrentDeliveryData", SLOT(c_double, c_void_p, c_uint32, c_uint32, POINTER(c_double))),
    10: ("PollStatus", SLOT(c_uint32, c_void_p, c_uint32, c_uint32)),
    11: ("SetPrice", SLOT(None, c_void_p, c_uint32, c_uint32, c_int32, c_uint32, c_uint32, c_double)),
    13: ("SetVolumePreset", SLOT(None, c_void_p, c_uint32, c_uint32, c_uint32, c_uint32, c_double)),
    16: ("OpenLine", SLOT(c_int32, c_void_p, c_uint32)),
    19: ("Start", SLOT(None, c_void_p, c_uint32, c_uint32, c_int32, c_uint32)),
}


class SbDriverVtbl(ctypes.Structure):
    _fields_ = [DRIVER_SLOTS.get(k, ("slot%d" % k, c_void_p)) for k in range(25)]


class SbDriver(ctypes.Structure):
    _fields_ = [("vtbl", POINTER(SbDriverVtbl))]


class SbFailure(ctypes.Structure):
    _fields_ = [("code", c_uint32), ("cp1251", c_char * 512), ("utf8", c_char * 1024)]


class SbLinkStatistics(ctypes.Structure):
    _fields_ = [("size", c_uint32), ("reserved", c_uint32)] + [
        (name, c_uint64) for name in ("exchanges", "answers", "noAnswers", "naksReceived", "naksSent", "badChecks",
                                      "waits", "refusals", "resends", "resetsAsked", "resetsSent", "exchangeLimits",
                                      "lastAnswerUs", "nowUs")]


class Host:
    def __init__(self, driver_path, device):
        library = ctypes.CDLL(driver_path)
        library.GetVM30.restype = POINTER(SbDriver)
        library.GetVM30.argtypes = [c_uint32, c_void_p, c_void_p]
        library.SbSetFailureMode.argtypes = [POINTER(SbDriver), c_uint32]
        library.SbGetLastFailure.restype = c_uint32
        library.SbGetLastFailure.argtypes = [POINTER(SbFailure)]
        library.SbGetLinkStatistics.restype = c_uint32
        library.SbGetLinkStatistics.argtypes = [POINTER(SbDriver), c_uint32, POINTER(SbLinkStatistics)]
        self.library = library
        self.port = SerialPortService({POINT: device})  # lives as long as the driver: to the end of the process
        self.driver = library.GetVM30(0, None, self.port)
        library.SbSetFailureMode(self.driver, SB_FAILURES_RETURN)
        self.vm = self.driver.contents.vtbl.contents

    def failure(self, what):
        """After every slot that can fail: True, with the reason printed, when it failed."""
        record = SbFailure()
        if not self.library.SbGetLastFailure(ctypes.byref(record)):
            return False
        print("%s failed: %s" % (what, record.utf8.decode("utf-8")))
        return True

    def poll_until(self, low, high):
        """Polls point 1 until its state code lies in low..high, showing the running figures while it delivers
        (0xD8..0xDE); None when a poll failed or the state never came."""
        last = None
        for _ in range(POLLS):
            state = self.vm.PollStatus(self.driver, POINT, 0)
            if self.failure("poll"):
                return None
            if state != last:
                print("state %02X" % state)
            last = state
            if 0xD8 <= state <= 0xDE:
                amount = c_double()
                volume = self.vm.CurrentDeliveryData(self.driver, POINT, 0, ctypes.byref(amount))
                if self.failure("current data"):
                    return None
                print("  delivering: %.2f l, %.2f" % (volume, amount.value))
            if low <= state <= high:
                return state
        return None

    def print_link(self):
        """What point 1's line went through so far; False when the driver refused the read."""
        stats = SbLinkStatistics(size=ctypes.sizeof(SbLinkStatistics))  # the driver fills what this version holds
        if not self.library.SbGetLinkStatistics(self.driver, POINT, ctypes.byref(stats)):
            return False
        print("line of point %d: %d exchanges, %d answered, %d unanswered, %d NAKs, %d resends; last answer %.1f s ago"
              % (POINT, stats.exchanges, stats.answers, stats.noAnswers, stats.naksReceived, stats.resends,
                 (stats.nowUs - stats.lastAnswerUs) / 1e6))
        return True

    def print_totals(self, when):
        volume, amount = c_double(), c_double()
        self.vm.GetCounter(self.driver, POINT, 0, GRADE, ctypes.byref(volume), ctypes.byref(amount), 0, 0)
        if not self.failure("totals"):
            print("totals %s: %.2f l, %.2f" % (when, volume.value, amount.value))


def main(driver_path, device):
    host = Host(driver_path, device)
    vm, driver = host.vm, host.driver
    if vm.OpenLine(driver, POINT) != 0:  # the port service's Configure: 0 when the line is set up
        print("line %d: %s" % (POINT, host.port.error(POINT)))
        return 1
    vm.SetPrice(driver, POINT, 0, GRADE, 0, 0, 45.90)
    vm.SetVolumePreset(driver, POINT, 0, 0, 0, 5.0)
    vm.PollStatus(driver, POINT, 0)
    if host.failure("poll") or vm.GetLineResult(driver, POINT) != 1:
        print("point %d does not answer" % POINT)
        return 1
    host.print_totals("before")

    print("waiting for the customer to lift nozzle %d" % GRADE)
    if host.poll_until(0xE0 + GRADE, 0xE0 + GRADE) is None:
        return 1
    vm.Start(driver, POINT, 0, GRADE, 1)
    if host.failure("START") or host.poll_until(0xD0, 0xD6) is None:  # the delivery is over
        return 1
    volume, amount = c_double(), c_double()
    vm.FinalDeliveryData(driver, POINT, 0, ctypes.byref(volume), ctypes.byref(amount))
    if host.failure("final data"):
        return 1
    print("final: %.2f l, %.2f (line result %d)" % (volume.value, amount.value, vm.GetLineResult(driver, POINT)))
    host.print_totals("after")
    # As after a serial adapter came back: the line is opened again and the driver sets it up at its speed. The
    # customer hangs the nozzle up: the point is idle again.
    if host.port.reopen(POINT) != 0:
        print("line %d: %s" % (POINT, host.port.error(POINT)))
        return 1
    if host.poll_until(0xC0, 0xC0) is None:
        return 1
    link_read = host.print_link()

    # Point 2 has no line: the poll fails, returns 0 and leaves the reason for SbGetLastFailure; the port service
    # reported line status 2, so the line result says the dispenser was not reached.
    vm.PollStatus(driver, NO_LINE, 0)
    if not host.failure("poll of point 2"):
        return 1
    line_result = vm.GetLineResult(driver, NO_LINE)
    print("point 2: %s, line result %d" % (host.port.error(NO_LINE), line_result))
    return 0 if line_result == 2 and volume.value > 0 and link_read else 1


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: host.py PATH/libsbdriver.so DEVICE")
    sys.exit(main(sys.argv[1], sys.argv[2]))
