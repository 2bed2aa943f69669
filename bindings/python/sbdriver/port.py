"""The port service a Python host lends the driver: point n is served on the line given for it (1..32). The
driver calls the six slots below on the thread that called it, one point's slots from one thread at a time; each
line has a record of its own, so the object takes no lock. No Python exception may leave a slot (ctypes would
hand the driver 0, "success"): every slot catches them and reports a failed exchange."""
from __future__ import annotations

import ctypes
from ctypes import POINTER, c_uint8
from typing import Any, Callable, Dict, Mapping, Optional, TypeVar

from . import _native
from .fd_line import FdLine
from .line import TURNAROUND_MS, Line
from .serial_line import SerialLine

MAX_ANSWER = 255  # the driver's exchange buffer
LINE_GOOD, LINE_NO_ANSWER = 1, 2  # slot 4
PORT_FAILED, NO_SUCH_LINE, UNSUPPORTED_SPEED, DEVICE_FAILED = -1, -2, -3, -4  # results of slots 1, 16, 17
T10_LINE_MARK = 7  # the speed code's top byte on a line with a T10 counting unit
R = TypeVar("R")


class _Point:
    def __init__(self, line: Optional[Line]) -> None:
        self.line = line
        self.receive = _native.Handler()
        self.setup = _native.Handler()
        self.status = LINE_GOOD
        self.error = ""


class PortService:
    """lines: point to its line; other points have no line. A context manager that closes the lines at the end."""

    def __init__(self, lines: Mapping[int, Line]) -> None:
        self._points = {point: _Point(lines.get(point)) for point in range(1, 33)}
        slots = {1: _native.ErrorResultFn(self._guarded(PORT_FAILED, lambda point: PORT_FAILED)),
                 4: _native.LineStatusFn(self._guarded(LINE_NO_ANSWER, self._line_status)),
                 16: _native.SendReceiveFn(self._guarded(PORT_FAILED, self._send_receive)),
                 17: _native.ConfigureFn(self._guarded(PORT_FAILED, self._configure)),
                 19: _native.SetHandlerFn(self._guarded(None, self._set_receive_handler)),
                 21: _native.SetHandlerFn(self._guarded(None, self._set_line_setup_handler))}
        self._vtbl = _native.PortServiceVtbl(**{"slot%d" % k: fn for k, fn in slots.items()})
        self._object = _native.PortServiceObject(ctypes.pointer(self._vtbl))

    def as_parameter(self) -> int:
        """The object's address, GetVM30's port argument."""
        return ctypes.addressof(self._object)

    def __enter__(self) -> PortService:
        return self

    def __exit__(self, *_: Any) -> None:
        self.close()

    def close(self) -> None:
        for point in self._points.values():
            if point.line is not None:
                point.line.close()

    def error(self, point: int) -> str:
        """Why the latest failed call on the point's line failed, "" when none did: for the host's own log."""
        record = self._points.get(point)
        if record is None:
            return "no such point"
        return record.error if record.line is not None else "no line was given for the point"

    def set_up_again(self, point: int) -> int:
        """The host got the point's line back (a serial adapter was plugged in again): closes it and has the driver
        set it up again through its line-setup handler. The handler's result; NO_SUCH_LINE before open_line."""
        record = self._points.get(point)
        if record is None or record.line is None or not record.setup.code:
            return NO_SUCH_LINE
        record.line.close()
        return int(_native.LineSetupFn(record.setup.code)(record.setup.self, point))

    def _guarded(self, failure: R, slot: Callable[..., R]) -> Callable[..., R]:
        """The slot without its first argument (the object), answering failure when anything raises in it."""
        def call(_self: Any, *arguments: Any) -> R:
            try:
                return slot(*arguments)
            except Exception as error:  # pylint: disable=broad-except  # nothing may reach the driver
                record = self._points.get(arguments[0])
                if record is not None:
                    record.status = LINE_NO_ANSWER
                    record.error = "%s: %s" % (type(error).__name__, error)
                return failure
        return call

    def _line_status(self, point: int) -> int:
        record = self._points.get(point)
        return record.status if record else LINE_NO_ANSWER

    def _send_receive(self, point: int, buffer: Any, send_count: int, _receive: Any, reply_size: int,
                      _zero: int) -> int:
        """Slot 16. The status says "no answer" from the start, so that a failed exchange leaves it so: the driver
        reads slot 4 after every exchange, the failed ones too."""
        record = self._points.get(point)
        if record is None:
            return NO_SUCH_LINE
        record.status = LINE_NO_ANSWER
        line = record.line
        if line is None or not line.baud:
            record.error = "line %d is not set up (no line, or it failed to open)" % point
            return NO_SUCH_LINE if line is None else DEVICE_FAILED
        if send_count > MAX_ANSWER:
            record.error = "%d bytes to send: more than an exchange holds" % send_count
            return PORT_FAILED
        limit = min(reply_size, MAX_ANSWER)
        try:
            answer = line.exchange(ctypes.string_at(buffer, send_count), limit)
        except OSError as error:
            record.error = str(error)
            return DEVICE_FAILED
        ctypes.memmove(buffer, answer, len(answer))  # over the sent bytes; what follows the answer stays
        record.status = LINE_GOOD if answer or limit == 0 else LINE_NO_ANSWER
        # Once in every exchange that returns 0: the driver learns the answer's length here.
        if record.receive.code:
            count, size = c_uint8(len(answer)), c_uint8(limit)
            _native.ReceiveFn(record.receive.code)(record.receive.self, point, ctypes.cast(buffer, POINTER(c_uint8)),
                                                   0, ctypes.byref(count), ctypes.byref(size))
        return 0

    def _configure(self, point: int, _ten: int, speed_code: int) -> int:
        """Slot 17: the speed code's low 16 bits are the baud; its top byte is 0 on a dispenser line and 7 on a T10
        line, both 8N1."""
        record = self._points.get(point)
        if record is None or record.line is None:
            return NO_SUCH_LINE
        baud, mark = speed_code & 0xFFFF, speed_code >> 24
        if speed_code & 0x00FF0000 or mark not in (0, T10_LINE_MARK):
            record.error = "unsupported speed code 0x%08X" % speed_code
            return UNSUPPORTED_SPEED
        try:
            record.line.set_up(baud)
        except OSError as error:
            record.error = str(error)
            return DEVICE_FAILED
        record.error = ""
        return 0

    def _set_receive_handler(self, point: int, handler: _native.Handler) -> None:
        if point in self._points:
            self._points[point].receive = _native.Handler(handler.code, handler.self)

    def _set_line_setup_handler(self, point: int, handler: _native.Handler) -> None:
        if point in self._points:
            self._points[point].setup = _native.Handler(handler.code, handler.self)


class SerialPortService(PortService):
    """devices: point to its serial device (/dev/ttyUSB0, COM1), through pyserial."""

    def __init__(self, devices: Mapping[int, str], turnaround_ms: int = TURNAROUND_MS) -> None:
        lines: Dict[int, Line] = {point: SerialLine(device, turnaround_ms) for point, device in devices.items()}
        super().__init__(lines)


class FdPortService(PortService):
    """fds: point to a file descriptor the host opened and closes (read and write, a terminal set up by termios)."""

    def __init__(self, fds: Mapping[int, int], turnaround_ms: int = TURNAROUND_MS) -> None:
        lines: Dict[int, Line] = {point: FdLine(fd, turnaround_ms) for point, fd in fds.items()}
        super().__init__(lines)
