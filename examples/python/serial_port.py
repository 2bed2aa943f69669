"""A port service over serial lines (termios), for a Python host on POSIX: the object the host lends the driver
(GetVM30's third argument). Point n is served on the device given for line n, raw 8N1 at the speed the driver asks
for. The guide's section "The port service" is the contract this module keeps; standard library only.

The driver calls the six slots below on the thread that called it, and one point's slots from one thread at a
time; each line has a record of its own, so the object takes no lock. No Python exception may leave a slot (ctypes
would hand the driver 0, "success"): every slot catches them and reports a failed exchange.
"""
import ctypes
import math
import os
import select
import termios
import time
from ctypes import POINTER, c_int32, c_uint8, c_uint32, c_void_p

STX, ETX, EOT, DLE, NAK, ETB = 0x02, 0x03, 0x04, 0x10, 0x15, 0x17
MAX_BLOCK = 24  # STX, 21 data bytes, ETB or ETX, check byte
MAX_ANSWER = 255  # the driver's exchange buffer
TURNAROUND_MS = 50  # how long a dispenser may take to begin its answer; every unanswered exchange costs it
GAP_MS = 50  # the quiet time after a byte that ends an answer which does not end itself
WRITE_MS = 1000  # how long the device may take the bytes to send, beyond their time on the line
LINE_GOOD, LINE_NO_ANSWER = 1, 2  # slot 4
PORT_FAILED, NO_SUCH_LINE, UNSUPPORTED_SPEED, DEVICE_FAILED = -1, -2, -3, -4  # results of slots 1, 16, 17
SPEEDS = {2400: termios.B2400, 9600: termios.B9600}
T10_LINE_MARK = 7  # the speed code's top byte on a line with a T10 counting unit

# The handlers the driver hands over (the function first, the driver object second) and the slots it calls. On
# 32-bit Windows all of them are stdcall; this module is for POSIX, where they use the C convention.
ReceiveFn = ctypes.CFUNCTYPE(c_uint32, c_void_p, c_uint32, POINTER(c_uint8), c_uint32, POINTER(c_uint8),
                             POINTER(c_uint8))
SetupFn = ctypes.CFUNCTYPE(c_int32, c_void_p, c_uint32)


class Handler(ctypes.Structure):
    _fields_ = [("code", c_void_p), ("self", c_void_p)]


ErrorResultFn = ctypes.CFUNCTYPE(c_int32, c_void_p, c_uint32)
LineStatusFn = ctypes.CFUNCTYPE(c_uint32, c_void_p, c_uint32)
SendReceiveFn = ctypes.CFUNCTYPE(c_int32, c_void_p, c_uint32, POINTER(c_uint8), c_uint32, POINTER(c_uint8),
                                 c_uint32, c_uint32)
ConfigureFn = ctypes.CFUNCTYPE(c_int32, c_void_p, c_uint32, c_uint32, c_uint32)
SetHandlerFn = ctypes.CFUNCTYPE(None, c_void_p, c_uint32, Handler)

SLOTS = {1: ErrorResultFn, 4: LineStatusFn, 16: SendReceiveFn, 17: ConfigureFn, 19: SetHandlerFn,
         21: SetHandlerFn}


class PortServiceVtbl(ctypes.Structure):
    _fields_ = [("slot%d" % k, SLOTS.get(k, c_void_p)) for k in range(22)]


class PortServiceObject(ctypes.Structure):
    _fields_ = [("vtbl", POINTER(PortServiceVtbl))]


def answer_complete(answer, limit):
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


def transmit_ms(baud, count):
    """Milliseconds count bytes take on the line, at 10 bits a byte, rounded up."""
    return -(-count * 10 * 1000 // baud)


class Line:
    """One serial line under termios: non-blocking, every wait a poll with a deadline."""

    def __init__(self, device):
        self.device = device
        self.fd = None
        self.baud = 0
        self.receive = Handler()
        self.setup = Handler()
        self.status = LINE_GOOD
        self.error = ""

    def set_up(self, baud):
        if self.fd is None:
            # O_NOCTTY: never the host's controlling terminal; O_NONBLOCK: every wait is a poll with a deadline.
            self.fd = os.open(self.device, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
        iflag, oflag, cflag, lflag, _, _, cc = termios.tcgetattr(self.fd)
        iflag &= ~(termios.IGNBRK | termios.BRKINT | termios.PARMRK | termios.ISTRIP | termios.INLCR |
                   termios.IGNCR | termios.ICRNL | termios.IXON | termios.IXOFF)
        oflag &= ~termios.OPOST
        lflag &= ~(termios.ECHO | termios.ECHONL | termios.ICANON | termios.ISIG | termios.IEXTEN)
        cflag &= ~(termios.CSIZE | termios.PARENB | termios.CSTOPB | getattr(termios, "CRTSCTS", 0))
        cflag |= termios.CS8 | termios.CLOCAL | termios.CREAD  # CLOCAL: the modem lines do not matter
        cc[termios.VMIN], cc[termios.VTIME] = 0, 0  # a read returns what is there: poll does the waiting
        speed = SPEEDS[baud]
        termios.tcsetattr(self.fd, termios.TCSANOW, [iflag, oflag, cflag, lflag, speed, speed, cc])
        self.baud = baud

    def close(self):
        if self.fd is not None:
            os.close(self.fd)
            self.fd = None

    def exchange(self, send, limit):
        """Discards the stale input, writes send, and reads the answer until it is complete, its first byte did not
        come in time or no further byte came within GAP_MS. OSError when the device failed."""
        termios.tcflush(self.fd, termios.TCIFLUSH)
        self.write(send, transmit_ms(self.baud, len(send)) + WRITE_MS)
        answer = bytearray()
        # The first byte may come once the driver's bytes and the answer's first byte have crossed the line.
        wait_ms = transmit_ms(self.baud, len(send)) + TURNAROUND_MS + transmit_ms(self.baud, 1)
        while not answer_complete(answer, limit):  # each round reads a byte or ends
            byte = self.read_byte(wait_ms)
            if byte is None:
                break  # quiet: what came is the answer, nothing when nothing came
            answer.append(byte)
            wait_ms = GAP_MS
        return bytes(answer)

    def write(self, data, timeout_ms):
        deadline = time.monotonic() + timeout_ms / 1000
        while data:  # each round writes a byte or more, or waits for room until the one deadline
            try:
                data = data[os.write(self.fd, data):]
            except BlockingIOError:
                if not self.wait(select.POLLOUT, deadline):
                    raise OSError("the line took no bytes for %d ms" % timeout_ms) from None

    def read_byte(self, timeout_ms):
        """The next byte, or None when none came within timeout_ms."""
        deadline = time.monotonic() + timeout_ms / 1000
        while self.wait(select.POLLIN, deadline):  # a wake-up without a byte waits again until the deadline
            try:
                data = os.read(self.fd, 1)
            except BlockingIOError:
                if time.monotonic() >= deadline:
                    return None  # said readable, gave nothing, and the time is up
                continue
            if not data:  # with VMIN 0 only a closed line reads nothing after poll said readable
                raise OSError("the line was closed")
            return data[0]
        return None

    def wait(self, event, deadline):
        waiter = select.poll()
        waiter.register(self.fd, event)
        return bool(waiter.poll(max(0, math.ceil((deadline - time.monotonic()) * 1000))))


class SerialPortService:
    """devices: point (1..32) to the path of its line's device; other points have no line. Pass the object itself
    as GetVM30's port argument; keep it alive as long as the driver (the whole process)."""

    def __init__(self, devices):
        self.lines = {point: Line(devices.get(point)) for point in range(1, 33)}
        slots = {1: ErrorResultFn(self._guarded(PORT_FAILED, lambda point: PORT_FAILED)),
                 4: LineStatusFn(self._guarded(LINE_NO_ANSWER, self.line_status)),
                 16: SendReceiveFn(self._guarded(PORT_FAILED, self.send_receive)),
                 17: ConfigureFn(self._guarded(PORT_FAILED, self.configure)),
                 19: SetHandlerFn(self._guarded(None, self.set_receive_handler)),
                 21: SetHandlerFn(self._guarded(None, self.set_line_setup_handler))}
        self._vtbl = PortServiceVtbl(**{"slot%d" % k: fn for k, fn in slots.items()})
        self._object = PortServiceObject(ctypes.pointer(self._vtbl))
        self._as_parameter_ = ctypes.addressof(self._object)

    def error(self, point):
        """Why the latest failed call on the point's line failed, "" when none did: for the host's own log."""
        line = self.lines.get(point)
        return "no such point" if line is None else line.error if line.device else "no device was given for the line"

    def reopen(self, point):
        """The host got the point's line back (a USB serial adapter was plugged in again): closes its device and has
        the driver set the line up again through the line-setup handler. The handler's result."""
        line = self.lines.get(point)
        if line is None or not line.setup.code:
            return NO_SUCH_LINE
        line.close()
        return SetupFn(line.setup.code)(line.setup.self, point)

    def _guarded(self, failure, slot):
        """The slot without its first argument (the object), answering failure when anything raises in it."""
        def call(_self, *arguments):
            try:
                return slot(*arguments)
            except Exception:  # pylint: disable=broad-except  # nothing may reach the driver
                line = self.lines.get(arguments[0])
                if line is not None:
                    line.status = LINE_NO_ANSWER
                return failure
        return call

    def line_status(self, point):
        line = self.lines.get(point)
        return line.status if line else LINE_NO_ANSWER

    def send_receive(self, point, buffer, send_count, _receive, reply_size, _zero):
        """Slot 16. The status says "no answer" from the start, so that a failed exchange leaves it so: the driver
        reads slot 4 after every exchange, the failed ones too."""
        line = self.lines.get(point)
        if line is None:
            return NO_SUCH_LINE
        line.status = LINE_NO_ANSWER
        if line.fd is None or not line.baud:
            line.error = "line %d is not set up (no device, or it failed to open)" % point
            return NO_SUCH_LINE if line.device is None else DEVICE_FAILED
        if send_count > MAX_ANSWER:
            line.error = "%d bytes to send: more than an exchange holds" % send_count
            return PORT_FAILED
        limit = min(reply_size, MAX_ANSWER)
        try:
            answer = line.exchange(ctypes.string_at(buffer, send_count), limit)
        except OSError as error:
            line.error = str(error)
            return DEVICE_FAILED
        ctypes.memmove(buffer, answer, len(answer))  # over the sent bytes; what follows the answer stays
        line.status = LINE_GOOD if answer or limit == 0 else LINE_NO_ANSWER
        # Once in every exchange that returns 0: the driver learns the answer's length here.
        if line.receive.code:
            count, size = c_uint8(len(answer)), c_uint8(limit)
            ReceiveFn(line.receive.code)(line.receive.self, point, buffer, 0, ctypes.byref(count), ctypes.byref(size))
        return 0

    def configure(self, point, _ten, speed_code):
        """Slot 17: the speed code's low 16 bits are the baud, 2400 or 9600; its top byte is 0 on a dispenser line
        and 7 on a T10 line, both 8N1."""
        line = self.lines.get(point)
        if line is None or line.device is None:
            return NO_SUCH_LINE
        baud, mark = speed_code & 0xFFFF, speed_code >> 24
        if speed_code & 0x00FF0000 or mark not in (0, T10_LINE_MARK) or baud not in SPEEDS:
            line.error = "unsupported speed code 0x%08X" % speed_code
            return UNSUPPORTED_SPEED
        try:
            line.set_up(baud)
        except OSError as error:
            line.error = "%s: %s" % (line.device, error)
            return DEVICE_FAILED
        line.error = ""
        return 0

    def set_receive_handler(self, point, handler):
        if point in self.lines:
            self.lines[point].receive = Handler(handler.code, handler.self)

    def set_line_setup_handler(self, point, handler):
        if point in self.lines:
            self.lines[point].setup = Handler(handler.code, handler.self)
