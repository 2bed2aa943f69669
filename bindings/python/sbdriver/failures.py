"""Failures of the driver's calls as Python exceptions: the library reports them as results (return mode), and the
Driver raises them after the call, so that no exception of the library's own crosses into Python."""
from __future__ import annotations

import enum
from typing import Union


class FailureCode(enum.IntEnum):
    """What failed (SB_FAILURE_*)."""
    NONE = 0
    SERIAL_IO = 1  # a dispenser exchange failed
    ABSTRACT = 2  # slot 0 was called
    REFUSED = 3  # a price, preset or point the driver cannot carry


class Reason(enum.IntEnum):
    """Why it failed (SB_REASON_*), a number to switch on; the text says it to people."""
    NONE = 0
    PORT_FAILED = 1
    NOT_RECEIVING = 2
    EXCHANGE_LIMIT = 3
    NOT_SELECTED = 4
    NOT_ACKNOWLEDGED = 5
    START_REFUSED = 6
    VALUE_REFUSED = 7
    POINT_REFUSED = 8
    NO_PORT_SERVICE = 9


def _known(kind: type[enum.IntEnum], value: int) -> Union[enum.IntEnum, int]:
    """value as a member of kind, or the bare number when a later driver knows more."""
    try:
        return kind(value)
    except ValueError:
        return value


def _name(value: int, kind: type[enum.IntEnum]) -> str:
    known = _known(kind, value)
    return known.name if isinstance(known, enum.IntEnum) else str(value)


class DriverFailure(Exception):
    """A call of the driver failed: code (FailureCode), reason (Reason), text (the driver's message, decoded from
    UTF-8) and cp1251 (the same as the driver logs it, Windows-1251 bytes)."""

    def __init__(self, call: str, code: int, reason: int, text: str, cp1251: bytes) -> None:
        super().__init__("%s: %s (%s, %s)" % (call, text, _name(code, FailureCode), _name(reason, Reason)))
        self.call = call
        self.code = _known(FailureCode, code)
        self.reason = _known(Reason, reason)
        self.text = text
        self.cp1251 = cp1251
