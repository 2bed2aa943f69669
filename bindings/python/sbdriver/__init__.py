"""sbdriver for Python hosts: the driver library (libsbdriver.so.2; sbdriver.dll with a 32-bit Python on Windows)
behind a typed Driver, and port services over serial devices and file descriptors.

    with sbdriver.Driver(sbdriver.SerialPortService({1: "/dev/ttyUSB0"})) as driver:
        driver.open_line(1)
        state = driver.poll_status(1)

docs/host-guide.md is the contract; its section "Python" tells how the package maps it."""
from .driver import Driver, Figures
from .failures import DriverFailure, FailureCode, Reason
from .fd_line import FdLine
from .line import Line
from .port import FdPortService, PortService, SerialPortService
from .serial_line import SerialLine
from .statistics import LinkStatistics

__all__ = ["Driver", "Figures", "DriverFailure", "FailureCode", "Reason", "Line", "FdLine", "SerialLine",
           "PortService", "SerialPortService", "FdPortService", "LinkStatistics"]
