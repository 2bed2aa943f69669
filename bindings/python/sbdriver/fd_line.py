"""A line over a file descriptor the host opened (a serial device, a pseudo-terminal, a socket to a serial
server): termios sets a terminal up; anything else is taken as it is. The host closes the descriptor."""
from __future__ import annotations

import math
import os
import select
import termios
import time
from typing import Optional

from .line import TURNAROUND_MS, Line

SPEEDS = {2400: termios.B2400, 9600: termios.B9600}


class FdLine(Line):
    def __init__(self, fd: int, turnaround_ms: int = TURNAROUND_MS) -> None:
        super().__init__(turnaround_ms)
        self.fd = fd
        os.set_blocking(fd, False)  # every wait is a poll with a deadline

    def set_up(self, baud: int) -> None:
        if baud not in SPEEDS:
            raise OSError("%d baud cannot be set" % baud)
        if os.isatty(self.fd):
            iflag, oflag, cflag, lflag, _, _, cc = termios.tcgetattr(self.fd)
            iflag &= ~(termios.IGNBRK | termios.BRKINT | termios.PARMRK | termios.ISTRIP | termios.INLCR |
                       termios.IGNCR | termios.ICRNL | termios.IXON | termios.IXOFF)
            oflag &= ~termios.OPOST
            lflag &= ~(termios.ECHO | termios.ECHONL | termios.ICANON | termios.ISIG | termios.IEXTEN)
            cflag &= ~(termios.CSIZE | termios.PARENB | termios.CSTOPB | getattr(termios, "CRTSCTS", 0))
            cflag |= termios.CS8 | termios.CLOCAL | termios.CREAD  # CLOCAL: the modem lines do not matter
            cc[termios.VMIN], cc[termios.VTIME] = 0, 0  # a read returns what is there: poll does the waiting
            termios.tcsetattr(self.fd, termios.TCSANOW, [iflag, oflag, cflag, lflag, SPEEDS[baud], SPEEDS[baud], cc])
        self.baud = baud

    def close(self) -> None:
        self.baud = 0  # the descriptor is the host's

    def discard_input(self) -> None:
        if os.isatty(self.fd):
            termios.tcflush(self.fd, termios.TCIFLUSH)

    def write(self, data: bytes, timeout_ms: int) -> None:
        deadline = time.monotonic() + timeout_ms / 1000
        while data:  # each round writes a byte or more, or waits for room until the one deadline
            try:
                data = data[os.write(self.fd, data):]
            except BlockingIOError:
                if not self._wait(select.POLLOUT, deadline):
                    raise OSError("the line took no bytes for %d ms" % timeout_ms) from None

    def read_byte(self, timeout_ms: int) -> Optional[int]:
        deadline = time.monotonic() + timeout_ms / 1000
        while self._wait(select.POLLIN, deadline):  # a wake-up without a byte waits again until the deadline
            try:
                data = os.read(self.fd, 1)
            except BlockingIOError:
                continue
            if not data:  # only a closed line reads nothing after poll said readable
                raise OSError("the line was closed")
            return data[0]
        return None

    def _wait(self, event: int, deadline: float) -> bool:
        remaining = deadline - time.monotonic()
        if remaining <= 0:
            return False
        waiter = select.poll()
        waiter.register(self.fd, event)
        return bool(waiter.poll(math.ceil(remaining * 1000)))
