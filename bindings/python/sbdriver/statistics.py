"""What a point's link has been through since the driver object was made (SbGetLinkStatistics)."""
from __future__ import annotations

from dataclasses import dataclass
from typing import Optional


@dataclass(frozen=True)
class LinkStatistics:
    """Counts only grow. Times are microseconds on the driver's monotonic clock: only differences mean anything."""
    exchanges: int  # exchanges handed to the port service
    answers: int  # exchanges awaiting an answer that brought a readable one
    no_answers: int  # exchanges awaiting an answer that went through without any
    naks_received: int  # lone NAKs the dispenser answered with
    naks_sent: int  # NAKs asking the dispenser for a block again
    bad_checks: int  # reply blocks with a bad frame or block check
    waits: int  # the dispenser's wait answers
    refusals: int  # the dispenser's refusals
    resends: int  # data blocks sent again, not acknowledged
    resets_asked: int  # reset requests of the dispenser
    resets_sent: int  # MASTER RESETs the driver started
    exchange_limits: int  # host calls that reached their exchange limit
    last_answer_us: int  # the clock at the latest readable answer; meaningful once answers is nonzero
    now_us: int  # the clock when these were read

    @property
    def last_answer_age(self) -> Optional[float]:
        """Seconds since the latest readable answer; None before the first."""
        return (self.now_us - self.last_answer_us) / 1e6 if self.answers else None
