/*
 * The port service's slots over serial lines (port_service.h): one exchange is the stale input discarded, the
 * driver's bytes written, the answer read until it is complete by its own bytes or the line stays quiet, the
 * line status set and the receive handler told.
 */
#include "port_service.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "serial_line.h"

/* The bytes that tell where a dispenser's answer ends. */
enum { STX = 0x02, ETX = 0x03, EOT = 0x04, DLE = 0x10, NAK = 0x15, ETB = 0x17 };
#define MAX_BLOCK 24   /* STX, 21 data bytes, ETB or ETX, check byte */
#define MAX_ANSWER 255 /* the driver's exchange buffer */

/* How long a dispenser may take from the end of the driver's bytes to the first byte of its answer: a few
 * milliseconds as a rule, and a USB serial adapter may hold what it received for up to 16 ms. This wait is what
 * every unanswered exchange costs, so it bounds the cost of a silent dispenser: keep it short. A build for slower
 * lines defines its own (-DTURNAROUND_MS=...). */
#ifndef TURNAROUND_MS
#define TURNAROUND_MS 50
#endif
/* The quiet time after a byte that ends an answer which does not end itself: the bytes of one answer follow each
 * other without a gap (about 4 ms a byte at 2400 baud). A longer turnaround counts here too: what holds an
 * answer back holds its bytes back as well. */
#define GAP_MS (TURNAROUND_MS > 50 ? TURNAROUND_MS : 50)
/* How long the device may take the bytes to send, beyond their own time on the line. */
#define WRITE_MS 1000

#define LINE_GOOD 1      /* slot 4: an answer came, or none was awaited */
#define LINE_NO_ANSWER 2 /* slot 4: an answer was awaited and none came, or the exchange failed */

#define SPEED_MASK 0xFFFFu
#define T10_LINE_MARK 7u /* the speed code's top byte on a line with a T10 counting unit */

typedef struct Line {
    const char* device; /* NULL: the host has no line for this point */
    SerialLine* serial; /* open once the driver set the line up */
    uint32_t baud;
    SbReceiveHandler receive;
    SbLineSetupHandler setup;
    uint32_t status;
    char error[SERIAL_ERROR_SIZE];
} Line;

typedef struct Port {
    SbPortService base; /* first: the driver's pointer to the object is a pointer to this */
    Line lines[PORT_MAX_POINT + 1];
} Port;

static Line* line_of(SbPortService* self, uint32_t point) {
    return point >= 1 && point <= PORT_MAX_POINT ? &((Port*)self)->lines[point] : NULL;
}

/* Milliseconds count bytes take on the line, at 10 bits a byte, rounded up. */
static int transmit_ms(uint32_t baud, size_t count) { return (int)((count * 10 * 1000 + baud - 1) / baud); }

/* 1 when answer[0..count) is a whole answer, so that the reading stops at once instead of waiting out the gap:
 * EOT; NAK; DLE and one more byte; STX up to the check byte after its ETB or ETX (or MAX_BLOCK bytes when no
 * terminator came); or limit bytes, whatever they are (the T10 unit's 4-byte counter answer). */
static int answer_complete(const uint8_t* answer, size_t count, size_t limit) {
    size_t i;
    if (count >= limit) return 1;
    if (count == 0) return 0;
    switch (answer[0]) {
        case EOT:
        case NAK: return 1;
        case DLE: return count >= 2;
        case STX:
            if (count >= MAX_BLOCK) return 1;
            for (i = 1; i + 1 < count; ++i) {
                if (answer[i] == ETB || answer[i] == ETX) return 1; /* and its check byte has come */
            }
            return 0;
        default: return 0; /* not an answer of the protocol: what comes until the gap */
    }
}

/* Reads the answer until it is complete, its first byte did not come within first_ms or no further byte came
 * within GAP_MS. Each round reads a byte or ends, so at most limit rounds. The number of bytes, or -1 when the
 * device failed. */
static int read_answer(Line* line, uint8_t* answer, size_t limit, int first_ms) {
    size_t count = 0;
    int wait_ms = first_ms;
    while (!answer_complete(answer, count, limit)) {
        const int got = serial_read_byte(line->serial, answer + count, wait_ms, line->error);
        if (got < 0) return -1;
        if (got == 0) break; /* quiet: what came is the answer, nothing when nothing came */
        ++count;
        wait_ms = GAP_MS;
    }
    return (int)count;
}

/* Slot 16. The status says "no answer" from the start, so that a failed exchange leaves it so: the driver reads
 * slot 4 after every exchange, the failed ones too. */
static int32_t SB_CALL send_receive(SbPortService* self, uint32_t point, uint8_t* send, uint32_t send_count,
                                    uint8_t* receive, uint32_t reply_size, uint32_t zero) {
    Line* line = line_of(self, point);
    const size_t limit = reply_size < MAX_ANSWER ? reply_size : MAX_ANSWER;
    uint8_t count = 0, size = (uint8_t)limit;
    int received = 0;
    (void)zero;
    if (line == NULL) return PORT_NO_SUCH_LINE;
    line->status = LINE_NO_ANSWER;
    if (line->serial == NULL || line->baud == 0) {
        snprintf(line->error, sizeof line->error, "line %u is not set up (no device, or it failed to open)",
                 (unsigned)point);
        return line->device == NULL ? PORT_NO_SUCH_LINE : PORT_DEVICE_FAILED;
    }
    if (send_count > MAX_ANSWER) {
        snprintf(line->error, sizeof line->error, "%lu bytes to send: more than an exchange holds",
                 (unsigned long)send_count);
        return PORT_FAILED;
    }
    if (!serial_discard_input(line->serial, line->error) ||
        !serial_write(line->serial, send, send_count, transmit_ms(line->baud, send_count) + WRITE_MS, line->error))
        return PORT_DEVICE_FAILED;
    if (limit > 0) {
        /* The first byte may come once the driver's bytes and the answer's first byte have crossed the line. */
        received = read_answer(line, receive, limit,
                               transmit_ms(line->baud, send_count) + TURNAROUND_MS + transmit_ms(line->baud, 1));
        if (received < 0) return PORT_DEVICE_FAILED;
    }
    line->status = received > 0 || limit == 0 ? LINE_GOOD : LINE_NO_ANSWER;
    /* Once in every exchange that returns 0, the bytes in the buffer: the driver learns the answer's length here. */
    count = (uint8_t)received;
    if (line->receive.code != NULL) line->receive.code(line->receive.self, point, receive, 0, &count, &size);
    return 0;
}

/* Slot 17: the speed code's low 16 bits are the baud, 2400 or 9600; its top byte is 0 on a dispenser line and 7 on
 * a T10 line, both 8N1. "ten" selects nothing. */
static int32_t SB_CALL configure(SbPortService* self, uint32_t point, uint32_t ten, uint32_t speed_code) {
    Line* line = line_of(self, point);
    const uint32_t baud = speed_code & SPEED_MASK, mark = speed_code >> 24;
    (void)ten;
    if (line == NULL || line->device == NULL) return PORT_NO_SUCH_LINE;
    if ((speed_code & 0x00FF0000u) != 0 || (mark != 0 && mark != T10_LINE_MARK) || (baud != 2400 && baud != 9600)) {
        snprintf(line->error, sizeof line->error, "unsupported speed code 0x%08lX", (unsigned long)speed_code);
        return PORT_UNSUPPORTED_SPEED;
    }
    if (line->serial == NULL && (line->serial = serial_open(line->device, line->error)) == NULL)
        return PORT_DEVICE_FAILED;
    if (!serial_set_8n1(line->serial, baud, line->error)) return PORT_DEVICE_FAILED;
    line->baud = baud;
    line->error[0] = '\0';
    return 0;
}

/* Slot 4. */
static uint32_t SB_CALL line_status(SbPortService* self, uint32_t point) {
    const Line* line = line_of(self, point);
    return line != NULL ? line->status : LINE_NO_ANSWER;
}

/* Slot 1: asked only when slot 16 or 4 raised, which these never do. Nonzero: the exchange failed. */
static int32_t SB_CALL error_result(SbPortService* self, uint32_t point) {
    (void)self;
    (void)point;
    return PORT_FAILED;
}

/* Slot 19: the handler to call in the point's next exchanges. */
static void SB_CALL set_receive_handler(SbPortService* self, uint32_t point, SbReceiveHandler handler) {
    Line* line = line_of(self, point);
    if (line != NULL) line->receive = handler;
}

/* Slot 21: the handler to call when the host sets the point's line up again (port_service_reopen). */
static void SB_CALL set_line_setup_handler(SbPortService* self, uint32_t point, SbLineSetupHandler handler) {
    Line* line = line_of(self, point);
    if (line != NULL) line->setup = handler;
}

SbPortService* port_service_create(const char* const devices[PORT_MAX_POINT + 1]) {
    /* The driver's six slots; the others stay NULL: they are the host's own and the driver never calls them. */
    static const SbPortServiceVtbl vtbl = {.ErrorResult = error_result,
                                           .LineStatus = line_status,
                                           .SendReceive = send_receive,
                                           .Configure = configure,
                                           .SetReceiveHandler = set_receive_handler,
                                           .SetLineSetupHandler = set_line_setup_handler};
    Port* port = calloc(1, sizeof *port);
    uint32_t point;
    if (port == NULL) return NULL;
    port->base.vtbl = &vtbl;
    for (point = 1; point <= PORT_MAX_POINT; ++point) {
        port->lines[point].device = devices[point];
        port->lines[point].status = LINE_GOOD;
    }
    return &port->base;
}

const char* port_service_error(SbPortService* port, uint32_t point) {
    const Line* line = line_of(port, point);
    return line == NULL ? "no such point" : line->device == NULL ? "no device was given for the line" : line->error;
}

int32_t port_service_reopen(SbPortService* port, uint32_t point) {
    Line* line = line_of(port, point);
    if (line == NULL || line->setup.code == NULL) return PORT_NO_SUCH_LINE;
    serial_close(line->serial);
    line->serial = NULL;
    return line->setup.code(line->setup.self, point);
}
