/*
 * A C host (C99, POSIX or 32-bit Windows): lends the driver the port service of port_service.c over one serial
 * line, sells 5 litres of grade 2 at 45.90 on point 1, shows how its line fared (SbGetLinkStatistics) and what a
 * failed exchange looks like on point 2, which has no line.
 *
 * The driver reports a failure by default as an exception C cannot catch (sb::ESerialIO on POSIX, a structured
 * exception on Windows), so this host asks for failures as results: after SbSetFailureMode(driver,
 * SB_FAILURES_RETURN) a failing slot returns 0 or 0.0 and SbGetLastFailure tells why.
 *
 * Build, POSIX:  cc -std=c99 host.c port_service.c serial_termios.c $(pkg-config --cflags --libs sbdriver)
 * Build, Windows (mingw, from the release folder; one line):
 *   i686-w64-mingw32-gcc -std=c99 -Iinclude examples/c/host.c examples/c/port_service.c examples/c/serial_win32.c
 * lib/libsbdriver.dll.a -o host.exe
 *
 * The thread that calls GetVM30 is the driver's user-interface thread: on Windows its alert windows (critical log
 * lines) are shown there, modal, until the operator presses OK. So this host keeps that thread in a message loop
 * and sells from a worker thread: an alert neither waits unseen nor stops the polls.
 * Usage: host DEVICE   DEVICE is point 1's line: /dev/ttyUSB0, COM1. A customer lifts nozzle 2 at the dispenser
 * and hangs it up after the delivery. Exit status 0 when the delivery ended, point 1's line statistics were read
 * and point 2's failure was reported.
 */
#include <stdio.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include "port_service.h"
#include "sbdriver/sbdriver.h"

#define POLLS 500 /* at most, while waiting for the customer or the delivery: 30 s or more on the line */

/* Call after every slot that can fail: 1, with the reason printed, when it failed. */
static int failed(const char* what) {
    SbFailure failure;
    if (!SbGetLastFailure(&failure)) return 0;
    printf("%s failed: %s\n", what, failure.utf8);
    return 1;
}

static int delivering(uint32_t state) { return state >= 0xD8 && state <= 0xDE; }

/* Polls the point until its state code lies in low..high, showing the running figures while it delivers. With
 * sale_end, any answered state but delivering after delivering also ends the wait: the dispenser's finished report
 * may be drained inside the data read, and the point then goes from delivering straight to idle. 0 when a poll
 * failed or the state never came. */
static uint32_t poll_until(SbDriver* driver, uint32_t point, uint32_t low, uint32_t high, int sale_end) {
    uint32_t last = 0x100;
    int delivered = 0;
    int i;
    for (i = 0; i < POLLS; ++i) {
        const uint32_t state = driver->vtbl->PollStatus(driver, point, 0);
        if (failed("poll")) return 0;
        if (state != last) printf("state %02X\n", (unsigned)state);
        last = state;
        if (delivering(state)) {
            double amount = 0;
            const double volume = driver->vtbl->CurrentDeliveryData(driver, point, 0, &amount);
            if (failed("current data")) return 0;
            printf("  delivering: %.2f l, %.2f\n", volume, amount);
        }
        if (state >= low && state <= high) return state;
        if (driver->vtbl->GetLineResult(driver, point) == 2) continue; /* unanswered: the last state reported */
        if (sale_end && delivered && !delivering(state)) return state;
        delivered = delivered || delivering(state);
    }
    return 0;
}

/* What the point's line went through so far; 0 when the driver refused the read. */
static int print_link(SbDriver* driver, uint32_t point) {
    SbLinkStatistics stats;
    stats.size = sizeof stats; /* the driver fills what this version of the struct holds */
    if (SbGetLinkStatistics(driver, point, &stats) == 0) return 0;
    printf(
        "line of point %u: %llu exchanges, %llu answered, %llu unanswered, %llu NAKs, %llu resends; "
        "last answer %.1f s ago\n",
        (unsigned)point, (unsigned long long)stats.exchanges, (unsigned long long)stats.answers,
        (unsigned long long)stats.noAnswers, (unsigned long long)stats.naksReceived, (unsigned long long)stats.resends,
        (double)(stats.nowUs - stats.lastAnswerUs) / 1e6);
    return 1;
}

static void print_totals(SbDriver* driver, uint32_t point, int32_t grade, const char* when) {
    double volume = 0, amount = 0;
    driver->vtbl->GetCounter(driver, point, 0, grade, &volume, &amount, 0, 0);
    if (!failed("totals")) printf("totals %s: %.2f l, %.2f\n", when, volume, amount);
}

/* The sale on point 1, then point 2's failure: 0 when all went as it should. */
static int sell(SbDriver* driver, SbPortService* port) {
    const uint32_t point = 1, no_line = 2;
    const int32_t grade = 2;
    const SbDriverVtbl* vm = driver->vtbl;
    double volume = 0, amount = 0;
    int32_t opened;
    int link_read;

    opened = vm->OpenLine(driver, point); /* the port service's Configure: 0 when the line is set up */
    if (opened != 0) {
        printf("line %u: %s\n", (unsigned)point, port_service_error(port, point));
        return 1;
    }
    vm->SetPrice(driver, point, 0, grade, 0, 0, 45.90);
    vm->SetVolumePreset(driver, point, 0, 0, 0, 5.0);
    vm->PollStatus(driver, point, 0);
    if (failed("poll")) return 1;
    if (vm->GetLineResult(driver, point) != 1) {
        printf("point %u does not answer\n", (unsigned)point);
        return 1;
    }
    print_totals(driver, point, grade, "before");

    printf("waiting for the customer to lift nozzle %d\n", (int)grade);
    if (!poll_until(driver, point, 0xE0 + (uint32_t)grade, 0xE0 + (uint32_t)grade, 0)) return 1;
    vm->Start(driver, point, 0, grade, 1);
    if (failed("START")) return 1;
    if (!poll_until(driver, point, 0xD0, 0xD6, 1)) return 1; /* the sale is over: read its final figures */
    vm->FinalDeliveryData(driver, point, 0, &volume, &amount);
    if (failed("final data")) return 1;
    printf("final: %.2f l, %.2f (line result %u)\n", volume, amount, (unsigned)vm->GetLineResult(driver, point));
    print_totals(driver, point, grade, "after");
    /* As after a serial adapter came back: the line is opened again and the driver sets it up at its speed. The
     * customer hangs the nozzle up: the point is idle again. */
    if (port_service_reopen(port, point) != 0) {
        printf("line %u: %s\n", (unsigned)point, port_service_error(port, point));
        return 1;
    }
    if (!poll_until(driver, point, 0xC0, 0xC0, 0)) return 1;
    link_read = print_link(driver, point);

    /* Point 2 has no line: the poll fails, returns 0 and leaves the reason for SbGetLastFailure; the port service
     * reported line status 2, so the line result says the dispenser was not reached. */
    vm->PollStatus(driver, no_line, 0);
    if (!failed("poll of point 2")) return 1;
    printf("point 2: %s, line result %u\n", port_service_error(port, no_line),
           (unsigned)vm->GetLineResult(driver, no_line));
    return vm->GetLineResult(driver, no_line) == 2 && volume > 0 && link_read ? 0 : 1;
}

struct Sale {
    SbDriver* driver;
    SbPortService* port;
    int status;
};

#ifdef _WIN32
static DWORD WINAPI sale_thread(LPVOID context) {
    struct Sale* sale = (struct Sale*)context;
    sale->status = sell(sale->driver, sale->port);
    return 0;
}

/* Runs the sale in a worker thread while this thread, the driver's user-interface thread, dispatches its messages
 * (an alert window among them). The wait ends with the sale, which the polls' count and the driver's bound on
 * each call keep finite. */
static int run_sale(struct Sale* sale) {
    HANDLE worker = CreateThread(NULL, 0, sale_thread, sale, 0, NULL);
    DWORD woken;
    MSG message;
    if (worker == NULL) return 1;
    do {
        while (PeekMessage(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessage(&message);
        }
        woken = MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, QS_ALLINPUT);
    } while (woken == WAIT_OBJECT_0 + 1);
    if (woken != WAIT_OBJECT_0) WaitForSingleObject(worker, INFINITE); /* the wait failed: the sale still ends */
    CloseHandle(worker);
    return sale->status;
}
#else
/* POSIX: alerts go to standard error unless the host lends a user interface (SbSetHostUi). */
static int run_sale(struct Sale* sale) { return sell(sale->driver, sale->port); }
#endif

int main(int argc, char** argv) {
    const char* devices[PORT_MAX_POINT + 1] = {NULL};
    struct Sale sale = {NULL, NULL, 1};

    if (argc != 2) {
        fprintf(stderr, "usage: %s DEVICE   (point 1's serial line)\n", argv[0]);
        return 2;
    }
    devices[1] = argv[1];
    sale.port = port_service_create(devices);
    if (sale.port == NULL) return 1;
    sale.driver = GetVM30(0, NULL, sale.port); /* a Windows host with a main window passes it as the owner */
    SbSetFailureMode(sale.driver, SB_FAILURES_RETURN);
    return run_sale(&sale);
}
