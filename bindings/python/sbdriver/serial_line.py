"""A line over a serial device through pyserial (Debian: python3-serial): /dev/ttyUSB0, COM1 or a URL pyserial
knows. The device is opened at the first set-up and again after close."""
from __future__ import annotations

from typing import Any, Optional

from .line import TURNAROUND_MS, Line

SPEEDS = (2400, 9600)


class SerialLine(Line):
    def __init__(self, device: str, turnaround_ms: int = TURNAROUND_MS) -> None:
        super().__init__(turnaround_ms)
        import serial  # type: ignore[import]  # pylint: disable=import-outside-toplevel  # only this line needs it
        self.device = device
        self._serial: Any = serial.Serial()
        self._serial.port = device
        self._timeout_error: type[Exception] = serial.SerialTimeoutException

    def set_up(self, baud: int) -> None:
        if baud not in SPEEDS:
            raise OSError("%d baud cannot be set" % baud)
        device = self._serial
        device.baudrate, device.bytesize, device.parity, device.stopbits = baud, 8, "N", 1
        device.xonxoff = device.rtscts = device.dsrdtr = False
        if not device.is_open:
            device.open()
        self.baud = baud

    def close(self) -> None:
        self._serial.close()
        self.baud = 0

    def discard_input(self) -> None:
        self._serial.reset_input_buffer()

    def write(self, data: bytes, timeout_ms: int) -> None:
        self._serial.write_timeout = timeout_ms / 1000
        try:
            self._serial.write(data)
        except self._timeout_error:
            raise OSError("the line took no bytes for %d ms" % timeout_ms) from None

    def read_byte(self, timeout_ms: int) -> Optional[int]:
        self._serial.timeout = timeout_ms / 1000
        data: bytes = self._serial.read(1)
        return data[0] if data else None
