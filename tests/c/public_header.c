/* The public header is the contract of C hosts too: it must compile as strict C99, and its tables must be
 * reachable the way a C host reaches them. Built, never run. */
#include "sbdriver/sbdriver.h"

int sbtest_poll_first_point(SbDriver* driver) {
    SbDescription description;
    driver->vtbl->Describe(&description, driver);
    return (int)driver->vtbl->PollStatus(driver, 1, 0) + description.bytes[0];
}

/* A host switching on the reason of a returned failure. */
int sbtest_port_failed(void) { return SbGetLastFailureReason() == SB_REASON_PORT_FAILED; }
