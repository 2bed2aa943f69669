"""The library's C layouts (include/sbdriver/sbdriver.h) in ctypes, and where the library is found."""
from __future__ import annotations

import ctypes
import os
import sys
from ctypes import POINTER, c_char, c_double, c_int32, c_uint8, c_uint32, c_uint64, c_void_p
from typing import Optional

# 32-bit Windows: every slot, handler and export is stdcall; elsewhere the C convention.
if sys.platform == "win32":
    FUNCTYPE = ctypes.WINFUNCTYPE
    DEFAULT_LIBRARY = "sbdriver.dll"
else:
    FUNCTYPE = ctypes.CFUNCTYPE
    DEFAULT_LIBRARY = "libsbdriver.so.2"  # the SONAME: the system's loader finds the installed library
LIBRARY_VARIABLE = "SBDRIVER_LIBRARY"

FAILURES_RETURN = 1

# Handlers the driver hands the port service: the function first, the driver object second.
ReceiveFn = FUNCTYPE(c_uint32, c_void_p, c_uint32, POINTER(c_uint8), c_uint32, POINTER(c_uint8), POINTER(c_uint8))
LineSetupFn = FUNCTYPE(c_int32, c_void_p, c_uint32)


class Handler(ctypes.Structure):
    _fields_ = [("code", c_void_p), ("self", c_void_p)]


# The port service's slots the driver calls; the others are the host's and stay empty.
ErrorResultFn = FUNCTYPE(c_int32, c_void_p, c_uint32)
LineStatusFn = FUNCTYPE(c_uint32, c_void_p, c_uint32)
SendReceiveFn = FUNCTYPE(c_int32, c_void_p, c_uint32, POINTER(c_uint8), c_uint32, POINTER(c_uint8), c_uint32,
                         c_uint32)
ConfigureFn = FUNCTYPE(c_int32, c_void_p, c_uint32, c_uint32, c_uint32)
SetHandlerFn = FUNCTYPE(None, c_void_p, c_uint32, Handler)
PORT_SLOTS = {1: ErrorResultFn, 4: LineStatusFn, 16: SendReceiveFn, 17: ConfigureFn, 19: SetHandlerFn,
              21: SetHandlerFn}


class PortServiceVtbl(ctypes.Structure):
    _fields_ = [("slot%d" % k, PORT_SLOTS.get(k, c_void_p)) for k in range(22)]


class PortServiceObject(ctypes.Structure):
    _fields_ = [("vtbl", POINTER(PortServiceVtbl))]


# The driver object's method table: the slots with a meaning for a host, by the guide's names.
D, U = c_void_p, c_uint32
DRIVER_SLOTS = {
    1: ("Describe", FUNCTYPE(None, POINTER(c_uint8 * 32), D)),
    2: ("SetLineResult", FUNCTYPE(None, D, U, U)),
    3: ("GetLineResult", FUNCTYPE(U, D, U)),
    4: ("FillingPointControl", FUNCTYPE(c_int32, D, U, U, U)),
    6: ("FinalDeliveryData", FUNCTYPE(None, D, U, U, POINTER(c_double), POINTER(c_double))),
    7: ("GetCounter", FUNCTYPE(None, D, U, U, c_int32, POINTER(c_double), POINTER(c_double), U, U)),
    9: ("CurrentDeliveryData", FUNCTYPE(c_double, D, U, U, POINTER(c_double))),
    10: ("PollStatus", FUNCTYPE(U, D, U, U)),
    11: ("SetPrice", FUNCTYPE(None, D, U, U, c_int32, U, U, c_double)),
    13: ("SetVolumePreset", FUNCTYPE(None, D, U, U, U, U, c_double)),
    14: ("SetAmountPreset", FUNCTYPE(None, D, U, U, U, U, c_double)),
    15: ("StartGrade1", FUNCTYPE(None, D, U, U, U)),
    16: ("OpenLine", FUNCTYPE(c_int32, D, U)),
    19: ("Start", FUNCTYPE(None, D, U, U, c_int32, U)),
    20: ("Capability", FUNCTYPE(U, D, U, POINTER(c_int32))),
    21: ("StatusRecord", FUNCTYPE(None, POINTER(c_uint8 * 16), D, U, U, U)),
    22: ("SwitchPoint", FUNCTYPE(None, D, U, U, U, U)),
    23: ("SwitchPointAgain", FUNCTYPE(None, D, U, U, U, U)),
}


class DriverVtbl(ctypes.Structure):
    _fields_ = [DRIVER_SLOTS.get(k, ("slot%d" % k, c_void_p)) for k in range(25)]


class DriverObject(ctypes.Structure):
    _fields_ = [("vtbl", POINTER(DriverVtbl))]


class Failure(ctypes.Structure):
    _fields_ = [("code", c_uint32), ("cp1251", c_char * 512), ("utf8", c_char * 1024)]


STATISTICS_FIELDS = ("exchanges", "answers", "noAnswers", "naksReceived", "naksSent", "badChecks", "waits",
                     "refusals", "resends", "resetsAsked", "resetsSent", "exchangeLimits", "lastAnswerUs", "nowUs")


class LinkStatistics(ctypes.Structure):
    _fields_ = [("size", c_uint32), ("reserved", c_uint32)] + [(name, c_uint64) for name in STATISTICS_FIELDS]


def load(path: Optional[str]) -> ctypes.CDLL:
    """The library at path; else at $SBDRIVER_LIBRARY; else the installed one, as the system's loader finds it.
    Its exports typed."""
    name = path or os.environ.get(LIBRARY_VARIABLE) or DEFAULT_LIBRARY
    if sys.platform == "win32":
        library: ctypes.CDLL = ctypes.WinDLL(name)
    else:
        library = ctypes.CDLL(name)
    library.GetVM30.restype = POINTER(DriverObject)
    library.GetVM30.argtypes = [c_uint32, c_void_p, c_void_p]
    library.SbSetFailureMode.restype = None
    library.SbSetFailureMode.argtypes = [POINTER(DriverObject), c_uint32]
    library.SbGetLastFailure.restype = c_uint32
    library.SbGetLastFailure.argtypes = [POINTER(Failure)]
    library.SbGetLastFailureReason.restype = c_uint32
    library.SbGetLastFailureReason.argtypes = []
    library.SbGetLinkStatistics.restype = c_uint32
    library.SbGetLinkStatistics.argtypes = [POINTER(DriverObject), c_uint32, POINTER(LinkStatistics)]
    return library
