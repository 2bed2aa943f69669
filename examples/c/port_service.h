/*
 * A port service over the host's serial lines, to copy into a C host: the object the host lends the driver
 * (GetVM30's third argument). Point n is served on the device given for line n, raw 8N1 at the speed the driver
 * asks for. port_service.c holds the six slots the driver calls and the rule that tells when a dispenser's answer
 * is complete; serial_line.h is the serial device under it, one file per system (serial_termios.c,
 * serial_win32.c). The guide's section "The port service" is the contract these files keep.
 *
 * The driver calls one point's slots from one thread at a time, and each line has a record of its own, so the
 * object takes no lock; different points may run at once on different threads.
 */
#ifndef PORT_SERVICE_H
#define PORT_SERVICE_H

#include <stdint.h>

#include "sbdriver/sbdriver.h"

#define PORT_MAX_POINT 32

/* Results of SendReceive (slot 16) and Configure (slot 17) other than success (0). */
#define PORT_FAILED (-1)            /* slot 1's answer: an exchange failed */
#define PORT_NO_SUCH_LINE (-2)      /* no device was given for the point's line */
#define PORT_UNSUPPORTED_SPEED (-3) /* slot 17: the speed code names no line this service sets up */
#define PORT_DEVICE_FAILED (-4)     /* the device could not be opened, set up, written or read */

/* devices[n] names the device of point n's line ("/dev/ttyUSB0", "COM3"), NULL for none; devices[0] is not used.
 * The names must last as long as the object. NULL when memory runs out. The object lives until the process ends:
 * the driver keeps it and never releases it. */
SbPortService* port_service_create(const char* const devices[PORT_MAX_POINT + 1]);

/* Why the latest failed call on the point's line failed, "" when none did: for the host's own log. */
const char* port_service_error(SbPortService* port, uint32_t point);

/* The host got the point's line back (a USB serial adapter was plugged in again): closes its device and has the
 * driver set the line up again through the line-setup handler, which opens it at the speed in force. The
 * handler's result; PORT_NO_SUCH_LINE before the driver installed the handler (host slot 16). Not while the
 * point's exchanges run on another thread. */
int32_t port_service_reopen(SbPortService* port, uint32_t point);

#endif /* PORT_SERVICE_H */
