/* The sizes and the offsets a host relies on of the records and tables of sbdriver.h, one "name value" a line, as
 * tests/pascal/layout.dpr prints them from the Pascal unit: the suite compares the two. */
#include <stddef.h>
#include <stdio.h>

#include "sbdriver/sbdriver.h"

#define SHOW(name, value) printf("%s %u\n", name, (unsigned)(value))

int main(void) {
    SHOW("description", sizeof(SbDescription));
    SHOW("status-record", sizeof(SbStatusRecord));
    SHOW("receive-handler", sizeof(SbReceiveHandler));
    SHOW("receive-handler.self", offsetof(SbReceiveHandler, self));
    SHOW("line-setup-handler", sizeof(SbLineSetupHandler));
    SHOW("driver-vtbl", sizeof(SbDriverVtbl));
    SHOW("driver-vtbl.PollStatus", offsetof(SbDriverVtbl, PollStatus));
    SHOW("driver-vtbl.HookMenu", offsetof(SbDriverVtbl, HookMenu));
    SHOW("port-vtbl", sizeof(SbPortServiceVtbl));
    SHOW("port-vtbl.LineStatus", offsetof(SbPortServiceVtbl, LineStatus));
    SHOW("port-vtbl.SendReceive", offsetof(SbPortServiceVtbl, SendReceive));
    SHOW("port-vtbl.SetReceiveHandler", offsetof(SbPortServiceVtbl, SetReceiveHandler));
    SHOW("port-vtbl.SetLineSetupHandler", offsetof(SbPortServiceVtbl, SetLineSetupHandler));
    SHOW("failure", sizeof(SbFailure));
    SHOW("failure.utf8", offsetof(SbFailure, utf8));
    SHOW("link-statistics", sizeof(SbLinkStatistics));
    SHOW("link-statistics.exchanges", offsetof(SbLinkStatistics, exchanges));
    SHOW("link-statistics.nowUs", offsetof(SbLinkStatistics, nowUs));
    return 0;
}
