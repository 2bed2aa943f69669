/*
 * serial_line.h on a POSIX system: a tty (or a pseudo-terminal) under termios, non-blocking, every wait a poll
 * with a deadline.
 */
#define _DEFAULT_SOURCE /* cfmakeraw and CRTSCTS beside POSIX */

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include "serial_line.h"

struct SerialLine {
    int fd;
};

static void system_error(char error[SERIAL_ERROR_SIZE], const char* what) {
    snprintf(error, SERIAL_ERROR_SIZE, "%s: %s", what, strerror(errno));
}

static long long now_ms(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

/* Waits until fd is ready for events or the deadline has passed: 1 ready, 0 the deadline passed, -1 failed. */
static int wait_for(int fd, short events, long long deadline) {
    for (;;) { /* an interrupted wait waits again for what is left: ends by the deadline */
        struct pollfd ready;
        const long long left = deadline - now_ms();
        int result;
        ready.fd = fd;
        ready.events = events;
        ready.revents = 0;
        result = poll(&ready, 1, left > 0 ? (int)left : 0);
        if (result >= 0) return result > 0;
        if (errno != EINTR) return -1;
    }
}

SerialLine* serial_open(const char* device, char error[SERIAL_ERROR_SIZE]) {
    SerialLine* line = malloc(sizeof *line);
    if (line == NULL) {
        snprintf(error, SERIAL_ERROR_SIZE, "out of memory");
        return NULL;
    }
    /* O_NOCTTY: the line never becomes the host's controlling terminal. O_NONBLOCK: no call waits inside the
     * device's driver; every wait is a poll with a deadline. */
    line->fd = open(device, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (line->fd < 0) {
        system_error(error, device);
        free(line);
        return NULL;
    }
    ioctl(line->fd, TIOCEXCL); /* no other program opens the line while this one has it */
    return line;
}

void serial_close(SerialLine* line) {
    if (line == NULL) return;
    ioctl(line->fd, TIOCNXCL); /* a line kept open elsewhere (a pty's other side) must open again */
    close(line->fd);
    free(line);
}

int serial_set_8n1(SerialLine* line, uint32_t baud, char error[SERIAL_ERROR_SIZE]) {
    struct termios settings;
    const speed_t speed = baud == 9600 ? B9600 : B2400;
    if (tcgetattr(line->fd, &settings) != 0) {
        system_error(error, "cannot read the line settings");
        return 0;
    }
    cfmakeraw(&settings);
    settings.c_cflag &= ~(tcflag_t)(CSIZE | PARENB | CSTOPB);
#ifdef CRTSCTS
    settings.c_cflag &= ~(tcflag_t)CRTSCTS;
#endif
    settings.c_cflag |= CS8 | CLOCAL | CREAD; /* CLOCAL: the modem lines do not matter */
    settings.c_cc[VMIN] = 0;                  /* a read returns what is there: poll does the waiting */
    settings.c_cc[VTIME] = 0;
    if (cfsetispeed(&settings, speed) != 0 || cfsetospeed(&settings, speed) != 0 ||
        tcsetattr(line->fd, TCSANOW, &settings) != 0) {
        system_error(error, "cannot set the line to raw 8N1");
        return 0;
    }
    return 1;
}

int serial_discard_input(SerialLine* line, char error[SERIAL_ERROR_SIZE]) {
    if (tcflush(line->fd, TCIFLUSH) == 0) return 1;
    system_error(error, "cannot discard the line's input");
    return 0;
}

/* Each round writes a byte or more, or waits for room until the one deadline: ends by it. */
int serial_write(SerialLine* line, const uint8_t* bytes, size_t count, int timeout_ms, char error[SERIAL_ERROR_SIZE]) {
    const long long deadline = now_ms() + timeout_ms;
    size_t written = 0;
    while (written < count) {
        const ssize_t n = write(line->fd, bytes + written, count - written);
        int room;
        if (n > 0) {
            written += (size_t)n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            system_error(error, "writing to the line failed");
            return 0;
        }
        room = wait_for(line->fd, POLLOUT, deadline);
        if (room <= 0) {
            if (room < 0) system_error(error, "waiting for the line failed");
            else snprintf(error, SERIAL_ERROR_SIZE, "the line took no bytes for %d ms", timeout_ms);
            return 0;
        }
    }
    return 1;
}

/* Only a line that poll says is readable is read: with VMIN 0 a read of nothing returns 0, as a closed line does.
 * A wake-up without a byte waits again until the one deadline. */
int serial_read_byte(SerialLine* line, uint8_t* byte, int timeout_ms, char error[SERIAL_ERROR_SIZE]) {
    const long long deadline = now_ms() + timeout_ms;
    for (;;) {
        const int ready = wait_for(line->fd, POLLIN, deadline);
        ssize_t n;
        if (ready < 0) {
            system_error(error, "waiting for the line failed");
            return -1;
        }
        if (ready == 0) return 0;
        n = read(line->fd, byte, 1);
        if (n == 1) return 1;
        if (n == 0) {
            snprintf(error, SERIAL_ERROR_SIZE, "the line was closed");
            return -1;
        }
        if (errno != EAGAIN && errno != EINTR) {
            system_error(error, "reading the line failed");
            return -1;
        }
        if (now_ms() >= deadline) return 0; /* said readable, gave nothing, and the time is up */
    }
}
