"""One serial line of a port service: the exchange the driver asks for (write, then read the answer until it is
complete or the line goes quiet), over bytes a subclass moves. Every wait has a deadline."""
from __future__ import annotations

import abc
from typing import Optional

STX, ETX, EOT, DLE, NAK, ETB = 0x02, 0x03, 0x04, 0x10, 0x15, 0x17
MAX_BLOCK = 24  # STX, 21 data bytes, ETB or ETX, check byte
TURNAROUND_MS = 50  # how long a dispenser may take to begin its answer; every unanswered exchange costs it
GAP_MS = 50  # the quiet time after a byte that ends an answer which does not end itself, or a longer turnaround
WRITE_MS = 1000  # how long the device may take the bytes to send, beyond their time on the line


def answer_complete(answer: bytes, limit: int) -> bool:
    """True when the bytes so far are a whole answer, so that the reading stops at once instead of waiting out the
    gap: EOT; NAK; DLE and one more byte; STX up to the check byte after its ETB or ETX (or MAX_BLOCK bytes when no
    terminator came); or limit bytes, whatever they are (the T10 unit's 4-byte counter answer)."""
    if len(answer) >= limit:
        return True
    if not answer:
        return False
    if answer[0] in (EOT, NAK):
        return True
    if answer[0] == DLE:
        return len(answer) >= 2
    if answer[0] == STX:  # ETB or ETX, and its check byte after it
        return len(answer) >= MAX_BLOCK or any(b in (ETB, ETX) for b in answer[1:-1])
    return False  # not an answer of the protocol: what comes until the gap


def transmit_ms(baud: int, count: int) -> int:
    """Milliseconds count bytes take on the line, at 10 bits a byte, rounded up."""
    return -(-count * 10 * 1000 // baud)


class Line(abc.ABC):
    """A line set up at a speed; OSError from any method when the device failed."""

    def __init__(self, turnaround_ms: int = TURNAROUND_MS) -> None:
        self.baud = 0  # 0 until set up
        self.turnaround_ms = turnaround_ms

    @abc.abstractmethod
    def set_up(self, baud: int) -> None:
        """Raw 8N1 at baud, opening the device first when it is not open."""

    @abc.abstractmethod
    def close(self) -> None:
        """Lets the device go; set_up takes it again where it can."""

    @abc.abstractmethod
    def discard_input(self) -> None:
        """Drops what came before the exchange."""

    @abc.abstractmethod
    def write(self, data: bytes, timeout_ms: int) -> None:
        """All of data, or OSError after timeout_ms."""

    @abc.abstractmethod
    def read_byte(self, timeout_ms: int) -> Optional[int]:
        """The next byte, or None when none came within timeout_ms."""

    def exchange(self, send: bytes, limit: int) -> bytes:
        """Writes send and reads the answer until it is complete, its first byte did not come in time or no further
        byte came within GAP_MS, or within the turnaround when it is longer: what holds an answer back holds its
        bytes back as well."""
        self.discard_input()
        self.write(send, transmit_ms(self.baud, len(send)) + WRITE_MS)
        answer = bytearray()
        # The first byte may come once the driver's bytes and the answer's first byte have crossed the line.
        wait_ms = transmit_ms(self.baud, len(send)) + self.turnaround_ms + transmit_ms(self.baud, 1)
        while not answer_complete(answer, limit):  # each round reads a byte or ends
            byte = self.read_byte(wait_ms)
            if byte is None:
                break  # quiet: what came is the answer, nothing when nothing came
            answer.append(byte)
            wait_ms = max(GAP_MS, self.turnaround_ms)
        return bytes(answer)
