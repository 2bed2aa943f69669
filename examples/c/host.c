/*
 * A C host on POSIX: loads libsbdriver.so, lends it a port service, sells 5 litres of grade 2 on point 1 and shows
 * what a failed exchange looks like.
 *
 * A C program cannot catch the C++ exception (sb::ESerialIO) by which the driver reports a failure by default, so
 * it asks for failures as results: after SbSetFailureMode(driver, SB_FAILURES_RETURN) a failing slot returns 0 or
 * 0.0 and SbGetLastFailure tells why. The port service is the simulator's (sbsimport.h), so that the example runs
 * without dispensers; a host lends its own (docs/host-guide.md, "The port service").
 *
 * Usage: c_host [path of libsbdriver.so]      Exit status 0 when the sale and the failure came out as expected.
 */
#include <dlfcn.h>
#include <stdio.h>
#include <string.h>

#include "sbdriver/sbdriver.h"
#include "sbsimport.h"

typedef SbDriver*(SB_CALL* GetVM30Fn)(uint32_t arg1, SbWindow owner, SbPortService* port);
typedef void(SB_CALL* SetFailureModeFn)(SbDriver* driver, uint32_t mode);
typedef uint32_t(SB_CALL* GetLastFailureFn)(SbFailure* out);

static GetLastFailureFn get_last_failure;

/* Call after every slot that can fail: 1, with the reason printed, when it failed. */
static int failed(const char* what) {
    SbFailure failure;
    if (!get_last_failure(&failure)) return 0;
    printf("%s failed: %s\n", what, failure.utf8);
    return 1;
}

/* dlsym gives an object pointer; ISO C converts it to a function pointer only by copying its bytes. */
static int load(void* library, const char* name, void* function, size_t size) {
    void* address = dlsym(library, name);
    if (address == NULL) fprintf(stderr, "%s: %s\n", name, dlerror());
    memcpy(function, &address, size);
    return address != NULL;
}

/* Polls the point until its state code lies in low..high (at most 100 polls), showing the running figures while
 * it delivers (0xD8..0xDE); 0 when a poll failed or the state never came. */
static uint32_t poll_until(SbDriver* driver, uint32_t point, uint32_t low, uint32_t high) {
    int i;
    for (i = 0; i < 100; ++i) {
        uint32_t state = driver->vtbl->PollStatus(driver, point, 0);
        if (failed("poll")) return 0;
        printf("state %02X\n", (unsigned)state);
        if (state >= 0xD8 && state <= 0xDE) {
            double amount = 0;
            double volume = driver->vtbl->CurrentDeliveryData(driver, point, 0, &amount);
            if (failed("current data")) return 0;
            printf("  delivering: %.2f l, %.2f\n", volume, amount);
        }
        if (state >= low && state <= high) return state;
    }
    return 0;
}

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : "libsbdriver.so";
    const uint32_t point = 1;
    const int32_t grade = 2;
    void* library = dlopen(path, RTLD_NOW);
    GetVM30Fn get_vm30;
    SetFailureModeFn set_failure_mode;
    SbPortService* port;
    SbDriver* driver;
    const SbDriverVtbl* vm;
    double volume = 0, amount = 0;
    int failure_reported;

    if (library == NULL) {
        fprintf(stderr, "%s\n", dlerror());
        return 1;
    }
    if (!load(library, "GetVM30", &get_vm30, sizeof get_vm30) ||
        !load(library, "SbSetFailureMode", &set_failure_mode, sizeof set_failure_mode) ||
        !load(library, "SbGetLastFailure", &get_last_failure, sizeof get_last_failure))
        return 1;

    port = SbSimPortCreate(1); /* a dispenser on line 1; line 2 has no device */
    driver = get_vm30(0, NULL, port);
    if (port == NULL || driver == NULL) return 1;
    set_failure_mode(driver, SB_FAILURES_RETURN);
    vm = driver->vtbl;

    printf("open line %u: port answered %d\n", (unsigned)point, (int)vm->OpenLine(driver, point));
    vm->SetPrice(driver, point, 0, grade, 0, 0, 45.90);
    vm->SetVolumePreset(driver, point, 0, 0, 0, 5.0);

    SbSimLiftNozzle(port, point, (uint32_t)grade); /* the customer takes the nozzle of grade 2 */
    if (!poll_until(driver, point, 0xE0, 0xE6)) return 1; /* nozzle up */
    vm->Start(driver, point, 0, grade, 1);
    if (failed("START")) return 1;
    if (!poll_until(driver, point, 0xD0, 0xD6)) return 1; /* delivery finished */
    SbSimHangNozzle(port, point);
    vm->FinalDeliveryData(driver, point, 0, &volume, &amount);
    if (failed("final data")) return 1;
    printf("final: %.2f l, %.2f\n", volume, amount);

    /* Point 2's line has no device: the poll fails, returns 0 and leaves the reason for SbGetLastFailure. */
    vm->PollStatus(driver, 2, 0);
    failure_reported = failed("poll of point 2");
    return (long)(volume * 100 + 0.5) == 500 && (long)(amount * 100 + 0.5) == 22950 && failure_reported ? 0 : 1;
}
