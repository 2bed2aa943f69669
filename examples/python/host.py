"""A Python host on the sbdriver package (bindings/python: pip install --no-build-isolation bindings/python): lends
the driver a port service over one serial line, sells 5 litres of grade 2 at 45.90 on point 1, shows how its line
fared and what a failed exchange looks like on point 2, which has no line.

The driver writes its log beside the running executable, here the Python interpreter: run it from a virtual
environment made with --copies, in a directory the host may write to.

Usage: python3 host.py [--library PATH] [--fd] [--turnaround MS] DEVICE    DEVICE is point 1's line (/dev/ttyUSB0),
through pyserial, or with --fd a descriptor this host opens; MS how long its dispenser may take to begin an answer
(default 50). A customer lifts nozzle 2 at the dispenser and hangs it up after the
delivery. Exit status 0 when the delivery ended, point 1's line statistics were read and point 2's failure was
reported.
"""
from __future__ import annotations

import argparse
import os
import sys
from typing import Optional

import sbdriver
from sbdriver.line import TURNAROUND_MS

POINT, NO_LINE, GRADE = 1, 2, 2
POLLS = 500  # at most, while waiting for the customer or the delivery: 30 s or more on the line


def delivering(state: int) -> bool:
    return 0xD8 <= state <= 0xDE


def poll_until(driver: sbdriver.Driver, low: int, high: int, sale_end: bool = False) -> Optional[int]:
    """Polls point 1 until its state code lies in low..high, showing the running figures while it delivers
    (0xD8..0xDE). With sale_end, any answered state but delivering after delivering also ends the wait: the
    dispenser's finished report may be drained inside the data read, and the point then goes from delivering
    straight to idle. None when the state never came."""
    last = None
    delivered = False
    for _ in range(POLLS):
        state = driver.poll_status(POINT)
        if state != last:
            print("state %02X" % state)
        last = state
        if delivering(state):
            running = driver.current_delivery_data(POINT)
            print("  delivering: %.2f l, %.2f" % running)
        if low <= state <= high:
            return state
        if driver.get_line_result(POINT) == 2:
            continue  # unanswered: the last state reported
        if sale_end and delivered and not delivering(state):
            return state
        delivered = delivered or delivering(state)
    return None


def sell(driver: sbdriver.Driver) -> bool:
    if driver.open_line(POINT) != 0:  # the port service's Configure: 0 when the line is set up
        print("line %d: %s" % (POINT, driver.port.error(POINT)))
        return False
    driver.set_price(POINT, GRADE, 45.90)
    driver.set_volume_preset(POINT, 5.0)
    driver.poll_status(POINT)
    if driver.get_line_result(POINT) != 1:
        print("point %d does not answer" % POINT)
        return False
    print("totals before: %.2f l, %.2f" % driver.get_counter(POINT, GRADE))
    print("waiting for the customer to lift nozzle %d" % GRADE)
    if poll_until(driver, 0xE0 + GRADE, 0xE0 + GRADE) is None:
        return False
    driver.start(POINT, GRADE)
    if poll_until(driver, 0xD0, 0xD6, sale_end=True) is None:  # the sale is over: read its final figures
        return False
    final = driver.final_delivery_data(POINT)
    print("final: %.2f l, %.2f (line result %d)" % (final.volume, final.amount, driver.get_line_result(POINT)))
    print("totals after: %.2f l, %.2f" % driver.get_counter(POINT, GRADE))
    # As after a serial adapter came back: the driver sets the line up again at its speed. The customer hangs the
    # nozzle up: the point is idle again.
    if driver.port.set_up_again(POINT) != 0:
        print("line %d: %s" % (POINT, driver.port.error(POINT)))
        return False
    if poll_until(driver, 0xC0, 0xC0) is None:
        return False
    link = driver.link_statistics(POINT)
    print("line of point %d: %d exchanges, %d answered, %d unanswered, %d NAKs, %d resends; last answer %.1f s ago"
          % (POINT, link.exchanges, link.answers, link.no_answers, link.naks_received, link.resends,
             link.last_answer_age or 0.0))
    return final.volume > 0


def fail_without_line(driver: sbdriver.Driver) -> bool:
    """Point 2 has no line: its poll fails at the port, and its line result says the dispenser was not reached."""
    try:
        driver.poll_status(NO_LINE)
    except sbdriver.DriverFailure as failure:
        print("poll of point %d failed: %s; port: %s" % (NO_LINE, failure, driver.port.error(NO_LINE)))
        return failure.reason == sbdriver.Reason.PORT_FAILED and driver.get_line_result(NO_LINE) == 2
    print("the poll of point %d did not fail" % NO_LINE)
    return False


def main() -> int:
    parser = argparse.ArgumentParser(description="Sells 5 l of grade 2 on point 1 through sbdriver.")
    parser.add_argument("--library", help="the driver library (default: $SBDRIVER_LIBRARY, else the installed one)")
    parser.add_argument("--fd", action="store_true", help="serve the line on a descriptor opened here")
    parser.add_argument("--turnaround", type=int, default=TURNAROUND_MS, metavar="MS",
                        help="how long the dispenser may take to begin an answer (default %(default)s)")
    parser.add_argument("device")
    arguments = parser.parse_args()
    fd = None
    if arguments.fd:
        # O_NOCTTY: never the host's controlling terminal.
        fd = os.open(arguments.device, os.O_RDWR | os.O_NOCTTY)
        port: sbdriver.PortService = sbdriver.FdPortService({POINT: fd}, arguments.turnaround)
    else:
        port = sbdriver.SerialPortService({POINT: arguments.device}, arguments.turnaround)
    try:
        with sbdriver.Driver(port, arguments.library) as driver:
            print(driver.describe())
            sold = sell(driver)
            return 0 if sold and fail_without_line(driver) else 1
    except sbdriver.DriverFailure as failure:
        print("failed: %s" % failure)
        return 1
    finally:
        if fd is not None:
            os.close(fd)


if __name__ == "__main__":
    sys.exit(main())
