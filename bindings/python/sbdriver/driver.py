"""The driver object for a Python host: the slots of the method table as typed methods, named as the host guide
names them in Python's spelling (PollStatus is poll_status), failures raised as DriverFailure."""
from __future__ import annotations

import ctypes
from ctypes import c_double, c_int32, c_uint8
from types import TracebackType
from typing import Any, Callable, NamedTuple, Optional

from . import _native
from .failures import DriverFailure
from .port import PortService
from .statistics import LinkStatistics

# The library keeps the first port service it was given for the life of the process (one driver object per
# process): a second Driver must lend the same one.
_first_port: Optional[PortService] = None


class Figures(NamedTuple):
    volume: float  # litres, to the hundredth
    amount: float  # money units


class Driver:
    """Loads the library (library: a path; else $SBDRIVER_LIBRARY; else the installed libsbdriver.so.2 as the system
    finds it, sbdriver.dll on Windows), lends it port and takes failures as results underneath. Point 1..32,
    grade 1..6. Keep the Driver and its port service for the rest of the process: the library has no release call.
    As a context manager it closes the port service's lines at the end."""

    def __init__(self, port: PortService, library: Optional[str] = None) -> None:
        global _first_port  # pylint: disable=global-statement
        if _first_port is not None and _first_port is not port:
            raise ValueError("the driver keeps the port service it was first given: lend that one again")
        self._library = _native.load(library)
        self.port = port
        self._object = self._library.GetVM30(0, None, port.as_parameter())
        _first_port = port
        self._library.SbSetFailureMode(self._object, _native.FAILURES_RETURN)
        self._slots = self._object.contents.vtbl.contents

    def __enter__(self) -> Driver:
        return self

    def __exit__(self, kind: Optional[type[BaseException]], value: Optional[BaseException],
                 traceback: Optional[TracebackType]) -> None:
        self.close()

    def close(self) -> None:
        """Closes the port service's lines; the driver sets them up again at the next open_line."""
        self.port.close()

    def _call(self, name: str, *arguments: Any) -> Any:
        """Calls the slot and raises the failure it reported."""
        slot: Callable[..., Any] = getattr(self._slots, name)
        result = slot(self._object, *arguments)
        self._check(name)
        return result

    def _check(self, name: str) -> None:
        """Raises the failure the latest call on this thread reported."""
        failure = _native.Failure()
        if self._library.SbGetLastFailure(ctypes.byref(failure)):
            raise DriverFailure(name, int(failure.code), int(self._library.SbGetLastFailureReason()),
                                bytes(failure.utf8).decode("utf-8", "replace"), bytes(failure.cp1251))

    def describe(self) -> str:
        """Slot 1: the driver's description, "v2.50#..."."""
        block = (c_uint8 * 32)()
        self._slots.Describe(ctypes.byref(block), self._object)
        return bytes(block[1:1 + block[0]]).decode("cp1251")

    def set_line_result(self, point: int, value: int) -> None:
        """Slot 2."""
        self._slots.SetLineResult(self._object, point, value)

    def get_line_result(self, point: int) -> int:
        """Slot 3: 1 the latest exchange was good, 2 the dispenser was not reached, 3 final figures not read."""
        return int(self._slots.GetLineResult(self._object, point))

    def filling_point_control(self, point: int, on: bool) -> None:
        """Slot 4: switches the point on or off at once."""
        self._call("FillingPointControl", point, 0, int(on))

    def final_delivery_data(self, point: int) -> Figures:
        """Slot 6: the final figures of the last delivery."""
        volume, amount = c_double(), c_double()
        self._call("FinalDeliveryData", point, 0, ctypes.byref(volume), ctypes.byref(amount))
        return Figures(volume.value, amount.value)

    def get_counter(self, point: int, grade: int) -> Figures:
        """Slot 7: the grade's totalizers."""
        volume, amount = c_double(), c_double()
        self._call("GetCounter", point, 0, grade, ctypes.byref(volume), ctypes.byref(amount), 0, 0)
        return Figures(volume.value, amount.value)

    def current_delivery_data(self, point: int) -> Figures:
        """Slot 9: the running delivery's figures."""
        amount = c_double()
        volume = self._call("CurrentDeliveryData", point, 0, ctypes.byref(amount))
        return Figures(float(volume), amount.value)

    def poll_status(self, point: int) -> int:
        """Slot 10: the point's state code, 0..255."""
        return int(self._call("PollStatus", point, 0))

    def set_price(self, point: int, grade: int, price: float) -> None:
        """Slot 11: the grade's price per litre, for START."""
        self._call("SetPrice", point, 0, grade, 0, 0, price)

    def set_volume_preset(self, point: int, volume: float) -> None:
        """Slot 13: the volume preset of the next START, and no amount preset."""
        self._call("SetVolumePreset", point, 0, 0, 0, volume)

    def set_amount_preset(self, point: int, amount: float) -> None:
        """Slot 14: the amount preset of the next START, and no volume preset."""
        self._call("SetAmountPreset", point, 0, 0, 0, amount)

    def start_grade1(self, point: int) -> None:
        """Slot 15: start(point, 1)."""
        self._call("StartGrade1", point, 0, 0)

    def open_line(self, point: int) -> int:
        """Slot 16: has the port service set the point's line up; its Configure result (0 when it did)."""
        return int(self._call("OpenLine", point))

    def start(self, point: int, grade: int, mode: int = 1) -> None:
        """Slot 19: START of a delivery of grade with its price and the point's preset."""
        self._call("Start", point, 0, grade, mode)

    def capability(self, code: int) -> Optional[int]:
        """Slot 20: the answer to a capability query, None for a code the driver does not know."""
        answer = c_int32()
        return answer.value if self._slots.Capability(self._object, code, ctypes.byref(answer)) else None

    def status_record(self, point: int, record: bytes = bytes(16)) -> bytes:
        """Slot 21: record (16 bytes) with the state code in byte 0 and that code AND 7 in byte 14."""
        block = (c_uint8 * 16).from_buffer_copy(record.ljust(16, b"\0")[:16])
        self._slots.StatusRecord(ctypes.byref(block), self._object, point, 0, 0)  # the record comes first
        self._check("StatusRecord")
        return bytes(block)

    def switch_point(self, point: int, control: int) -> None:
        """Slot 22: switches the point on unless control is 0 or a finished delivery waits to be read."""
        self._call("SwitchPoint", point, 0, 0, control)

    def switch_point_again(self, point: int, control: int) -> None:
        """Slot 23: the same as switch_point."""
        self._call("SwitchPointAgain", point, 0, 0, control)

    def link_statistics(self, point: int) -> LinkStatistics:
        """What the point's link has been through (SbGetLinkStatistics)."""
        native = _native.LinkStatistics(size=ctypes.sizeof(_native.LinkStatistics))
        if not self._library.SbGetLinkStatistics(self._object, point, ctypes.byref(native)):
            raise ValueError("no link statistics for point %r" % point)
        return LinkStatistics(*(int(getattr(native, name)) for name in _native.STATISTICS_FIELDS))
