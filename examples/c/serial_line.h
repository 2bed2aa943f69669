/*
 * One serial device as the port service (port_service.c) uses it: opened once, set to raw 8N1, its stale input
 * discarded, bytes written and read one at a time, every wait bounded. serial_termios.c is the device on POSIX
 * systems, serial_win32.c a Win32 COM port: build the one of your system.
 *
 * A call that fails returns 0 (serial_read_byte -1, serial_open NULL) and writes why into error.
 */
#ifndef SERIAL_LINE_H
#define SERIAL_LINE_H

#include <stddef.h>
#include <stdint.h>

#define SERIAL_ERROR_SIZE 160

typedef struct SerialLine SerialLine;

/* Opens the device for this program alone ("/dev/ttyS0"; "COM1", COM10 and above too). */
SerialLine* serial_open(const char* device, char error[SERIAL_ERROR_SIZE]);
/* Closes the device; NULL is allowed. */
void serial_close(SerialLine* line);
/* Raw 8N1 at baud (2400 or 9600): no flow control, no modem lines, no character translation. */
int serial_set_8n1(SerialLine* line, uint32_t baud, char error[SERIAL_ERROR_SIZE]);
/* Throws away whatever came in and was not read: a late answer to an earlier exchange, line noise. */
int serial_discard_input(SerialLine* line, char error[SERIAL_ERROR_SIZE]);
/* Hands all count bytes to the device, waiting at most timeout_ms in all for it to take them. */
int serial_write(SerialLine* line, const uint8_t* bytes, size_t count, int timeout_ms, char error[SERIAL_ERROR_SIZE]);
/* Reads one byte, waiting for it at most timeout_ms: 1 a byte came, 0 none came in time, -1 the device failed. */
int serial_read_byte(SerialLine* line, uint8_t* byte, int timeout_ms, char error[SERIAL_ERROR_SIZE]);

#endif /* SERIAL_LINE_H */
