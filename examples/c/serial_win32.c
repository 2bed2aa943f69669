/*
 * serial_line.h on Windows: a COM port through the Win32 communications functions. Every wait is the port's own
 * time-out (SetCommTimeouts), set before a read or write whenever it changes.
 */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "serial_line.h"

struct SerialLine {
    HANDLE handle;
    COMMTIMEOUTS timeouts; /* as the port has them, once set */
    int timeouts_set;
};

static void windows_error(char error[SERIAL_ERROR_SIZE], const char* what) {
    snprintf(error, SERIAL_ERROR_SIZE, "%s (Windows error %lu)", what, (unsigned long)GetLastError());
}

static int use_timeouts(SerialLine* line, const COMMTIMEOUTS* wanted, char error[SERIAL_ERROR_SIZE]) {
    COMMTIMEOUTS copy = *wanted;
    if (line->timeouts_set && memcmp(&line->timeouts, wanted, sizeof *wanted) == 0) return 1;
    if (!SetCommTimeouts(line->handle, &copy)) {
        windows_error(error, "cannot set the line's time-outs");
        return 0;
    }
    line->timeouts = *wanted;
    line->timeouts_set = 1;
    return 1;
}

SerialLine* serial_open(const char* device, char error[SERIAL_ERROR_SIZE]) {
    char name[64];
    SerialLine* line = calloc(1, sizeof *line);
    if (line == NULL) {
        snprintf(error, SERIAL_ERROR_SIZE, "out of memory");
        return NULL;
    }
    /* The device namespace reaches every port: "COM1" alone names no file from COM10 on. */
    snprintf(name, sizeof name, strncmp(device, "\\\\.\\", 4) == 0 ? "%s" : "\\\\.\\%s", device);
    /* No sharing: a COM port is this program's alone; another program's port is refused as access denied. */
    line->handle = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (line->handle == INVALID_HANDLE_VALUE) {
        windows_error(error, GetLastError() == ERROR_ACCESS_DENIED ? "the port is in use by another program"
                                                                   : "cannot open the port");
        free(line);
        return NULL;
    }
    return line;
}

void serial_close(SerialLine* line) {
    if (line == NULL) return;
    CloseHandle(line->handle);
    free(line);
}

int serial_set_8n1(SerialLine* line, uint32_t baud, char error[SERIAL_ERROR_SIZE]) {
    DCB settings;
    memset(&settings, 0, sizeof settings);
    settings.DCBlength = sizeof settings;
    if (!GetCommState(line->handle, &settings)) {
        windows_error(error, "cannot read the line settings");
        return 0;
    }
    settings.BaudRate = baud;
    settings.ByteSize = 8;
    settings.Parity = NOPARITY;
    settings.StopBits = ONESTOPBIT;
    settings.fBinary = TRUE;
    settings.fParity = FALSE;
    settings.fOutxCtsFlow = FALSE; /* no flow control, no modem lines */
    settings.fOutxDsrFlow = FALSE;
    settings.fDtrControl = DTR_CONTROL_DISABLE;
    settings.fDsrSensitivity = FALSE;
    settings.fOutX = FALSE;
    settings.fInX = FALSE;
    settings.fNull = FALSE;
    settings.fRtsControl = RTS_CONTROL_DISABLE;
    settings.fAbortOnError = FALSE; /* a line error must not stop every later read and write */
    if (!SetCommState(line->handle, &settings)) {
        windows_error(error, "cannot set the line to raw 8N1");
        return 0;
    }
    return 1;
}

int serial_discard_input(SerialLine* line, char error[SERIAL_ERROR_SIZE]) {
    if (PurgeComm(line->handle, PURGE_RXABORT | PURGE_RXCLEAR)) return 1;
    windows_error(error, "cannot discard the line's input");
    return 0;
}

int serial_write(SerialLine* line, const uint8_t* bytes, size_t count, int timeout_ms, char error[SERIAL_ERROR_SIZE]) {
    COMMTIMEOUTS wanted = line->timeouts;
    DWORD written = 0;
    wanted.WriteTotalTimeoutMultiplier = 0;
    wanted.WriteTotalTimeoutConstant = (DWORD)timeout_ms;
    if (!use_timeouts(line, &wanted, error)) return 0;
    if (!WriteFile(line->handle, bytes, (DWORD)count, &written, NULL)) {
        windows_error(error, "writing to the line failed");
        return 0;
    }
    if (written < count) {
        snprintf(error, SERIAL_ERROR_SIZE, "the line took %lu of %lu bytes in %d ms", (unsigned long)written,
                 (unsigned long)count, timeout_ms);
        return 0;
    }
    return 1;
}

int serial_read_byte(SerialLine* line, uint8_t* byte, int timeout_ms, char error[SERIAL_ERROR_SIZE]) {
    COMMTIMEOUTS wanted = line->timeouts;
    DWORD received = 0;
    /* All three read time-outs 0 would wait for ever: an interval of MAXDWORD alone returns at once. */
    wanted.ReadIntervalTimeout = timeout_ms > 0 ? 0 : MAXDWORD;
    wanted.ReadTotalTimeoutMultiplier = 0;
    wanted.ReadTotalTimeoutConstant = timeout_ms > 0 ? (DWORD)timeout_ms : 0;
    if (!use_timeouts(line, &wanted, error)) return -1;
    if (!ReadFile(line->handle, byte, 1, &received, NULL)) {
        windows_error(error, "reading the line failed");
        return -1;
    }
    return received == 1 ? 1 : 0;
}
