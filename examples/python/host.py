"""A Python host (ctypes, standard library only) on POSIX: loads libsbdriver.so, lends it a port service, sells
5 litres of grade 2 on point 1 and shows what a failed exchange looks like.

ctypes cannot catch the C++ exception (sb::ESerialIO) by which the driver reports a failure by default, so the
host asks for failures as results: after SbSetFailureMode(driver, SB_FAILURES_RETURN) a failing slot returns 0 or
0.0 and SbGetLastFailure tells why. The port service is the simulator's (libsbsimport.so), so that the example
runs without dispensers; a host lends its own (docs/host-guide.md, "The port service").

The driver writes its log beside the running executable, here the Python interpreter: run it from a virtual
environment made with --copies, in a directory the host may write to.

Usage: python3 host.py PATH/libsbdriver.so PATH/libsbsimport.so     Exit status 0 when all came out as expected.
"""
import ctypes
import sys
from ctypes import POINTER, c_char, c_double, c_int32, c_uint32, c_void_p

SB_FAILURES_RETURN = 1
POINT, GRADE = 1, 2

# The slots this host calls; the others stay untyped. On 32-bit Windows the slots are stdcall: WINFUNCTYPE there.
SLOT = ctypes.CFUNCTYPE
DRIVER_SLOTS = {
    6: ("FinalDeliveryData", SLOT(None, c_void_p, c_uint32, c_uint32, POINTER(c_double), POINTER(c_double))),
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


class Host:
    def __init__(self, driver_path, simport_path):
        library = ctypes.CDLL(driver_path)
        library.GetVM30.restype = POINTER(SbDriver)
        library.GetVM30.argtypes = [c_uint32, c_void_p, c_void_p]
        library.SbSetFailureMode.argtypes = [POINTER(SbDriver), c_uint32]
        library.SbGetLastFailure.restype = c_uint32
        library.SbGetLastFailure.argtypes = [POINTER(SbFailure)]
        self.library = library
        self.sim = ctypes.CDLL(simport_path)
        self.sim.SbSimPortCreate.restype = c_void_p
        self.sim.SbSimPortCreate.argtypes = [c_uint32]
        self.sim.SbSimLiftNozzle.argtypes = [c_void_p, c_uint32, c_uint32]
        self.sim.SbSimHangNozzle.argtypes = [c_void_p, c_uint32]

        self.port = self.sim.SbSimPortCreate(1)  # a dispenser on line 1; line 2 has no device
        self.driver = library.GetVM30(0, None, self.port)
        library.SbSetFailureMode(self.driver, SB_FAILURES_RETURN)
        self.vm = self.driver.contents.vtbl.contents

    def failure(self):
        """After every slot that can fail: the reason as text when it failed, else None."""
        record = SbFailure()
        return record.utf8.decode("utf-8") if self.library.SbGetLastFailure(ctypes.byref(record)) else None

    def poll_until(self, low, high):
        """Polls point 1 until its state code lies in low..high (at most 100 polls); None when that never comes."""
        for _ in range(100):
            state = self.vm.PollStatus(self.driver, POINT, 0)
            reason = self.failure()
            if reason:
                print("poll failed:", reason)
                return None
            print("state %02X" % state)
            if 0xD8 <= state <= 0xDE:  # delivering: show the running figures
                amount = c_double()
                volume = self.vm.CurrentDeliveryData(self.driver, POINT, 0, ctypes.byref(amount))
                print("  delivering: %.2f l, %.2f" % (volume, amount.value))
            if low <= state <= high:
                return state
        return None


def main(driver_path, simport_path):
    host = Host(driver_path, simport_path)
    vm, driver = host.vm, host.driver
    print("open line %d: port answered %d" % (POINT, vm.OpenLine(driver, POINT)))
    vm.SetPrice(driver, POINT, 0, GRADE, 0, 0, 45.90)
    vm.SetVolumePreset(driver, POINT, 0, 0, 0, 5.0)

    host.sim.SbSimLiftNozzle(host.port, POINT, GRADE)  # the customer takes the nozzle of grade 2
    if host.poll_until(0xE0, 0xE6) is None:  # nozzle up
        return 1
    vm.Start(driver, POINT, 0, GRADE, 1)
    if host.failure() or host.poll_until(0xD0, 0xD6) is None:  # delivery finished
        return 1
    host.sim.SbSimHangNozzle(host.port, POINT)
    volume, amount = c_double(), c_double()
    vm.FinalDeliveryData(driver, POINT, 0, ctypes.byref(volume), ctypes.byref(amount))
    print("final: %.2f l, %.2f" % (volume.value, amount.value))

    # Point 2's line has no device: the poll fails, returns 0 and leaves the reason for SbGetLastFailure.
    vm.PollStatus(driver, 2, 0)
    reason = host.failure()
    print("poll of point 2 failed:", reason)
    sold = round(volume.value * 100) == 500 and round(amount.value * 100) == 22950
    return 0 if sold and reason else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
