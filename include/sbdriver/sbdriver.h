/*
 * sbdriver — host contract of the dispenser driver library.
 *
 * A host loads the library, calls GetVM30 (or GetDriver25) once, lends the driver its port service object
 * and from then on calls the driver object's 25-slot method table. Both objects begin with a pointer to their
 * method table, so slot k of object o is (*(void***)o)[k].
 *
 * In the 32-bit Windows build every slot and handler is __stdcall: each argument is one 32-bit stack word
 * (a double two) and the callee removes them. Elsewhere the same prototypes use the native convention.
 *
 * All texts (description block, exception messages, menu captions) are Windows-1251 bytes.
 *
 * The host guide, host-guide.md (in docs/ of the source tree, in the top folder of the Windows bundle), is the
 * whole contract for host developers: every slot's arguments, units, ranges, results and cost on the line, what
 * the port service must do, threads and locks, failures, files and the bounds on a bad line. The comments below
 * name its sections.
 */
#ifndef SBDRIVER_SBDRIVER_H
#define SBDRIVER_SBDRIVER_H

#include <stdint.h>

#if defined(_WIN32)
#define SB_CALL __stdcall
#else
#define SB_CALL
#endif

#if defined(_WIN32)
#define SB_EXPORT __declspec(dllexport)
#else
#define SB_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
typedef struct HWND__* SbWindow;
#else
typedef void* SbWindow;
#endif

typedef struct SbDriver SbDriver;
typedef struct SbPortService SbPortService;
typedef struct SbMenuItem SbMenuItem;

/* Slot 1 result: a length byte (31) and 31 Windows-1251 characters, no terminator. */
typedef struct SbDescription {
    uint8_t bytes[32];
} SbDescription;

/* Slot 21 result: byte 0 state code, byte 1 zero, byte 14 state code AND 7, byte 15 zero; the driver leaves
 * the other bytes as the caller had them. */
typedef struct SbStatusRecord {
    uint8_t bytes[16];
} SbStatusRecord;

/* Handlers the driver hands to the port service: the operation first, the driver object second. The port service
 * calls the receive handler once in every send-and-receive (slot 16), on that call's thread, before it returns
 * (guide: "Handlers"). */
typedef uint32_t(SB_CALL* SbReceiveFn)(void* self, uint32_t point, const uint8_t* bytes, uint32_t unused,
                                       uint8_t* count, uint8_t* replySize); /* 1 = ok, 0 = lone NAK */
typedef int32_t(SB_CALL* SbLineSetupFn)(void* self, uint32_t point);
typedef struct SbReceiveHandler {
    SbReceiveFn code;
    void* self;
} SbReceiveHandler;
typedef struct SbLineSetupHandler {
    SbLineSetupFn code;
    void* self;
} SbLineSetupHandler;

/* Menu objects of the host (slot 24) begin with a pointer to this table; a host adapts its toolkit's menus. */
typedef void(SB_CALL* SbMenuClickFn)(void* self, SbMenuItem* sender);
typedef struct SbMenuClickHandler {
    SbMenuClickFn code;
    void* self;
} SbMenuClickHandler;
typedef struct SbMenuItemVtbl {
    uint32_t(SB_CALL* Count)(SbMenuItem* item);                                   /* 0: direct sub-items */
    SbMenuItem*(SB_CALL* Item)(SbMenuItem* item, uint32_t index);                 /* 1: sub-item from 0 */
    uint32_t(SB_CALL* GetCaption)(SbMenuItem* item, char* buffer, uint32_t size); /* 2: returns length */
    void(SB_CALL* SetCaption)(SbMenuItem* item, const char* caption);             /* 3 */
    void(SB_CALL* SetHint)(SbMenuItem* item, const char* hint);                   /* 4 */
    void(SB_CALL* SetHelpContext)(SbMenuItem* item, int32_t helpContext);         /* 5 */
    void(SB_CALL* SetShortcut)(SbMenuItem* item, uint32_t shortcut);              /* 6: 0 is none */
    void(SB_CALL* SetOnClick)(SbMenuItem* item, SbMenuClickHandler handler);      /* 7 */
} SbMenuItemVtbl;
struct SbMenuItem {
    const SbMenuItemVtbl* vtbl;
};
/* Returns a new item already placed under parent. */
typedef SbMenuItem*(SB_CALL* SbCreateMenuItem)(SbMenuItem* parent, int32_t index);

/* The driver object's method table, 25 slots in this fixed order (guide: "Host slots"). Points are 1..32, grades
 * 1..6, volumes in litres (slots 6 and 9: to the hundredth), amounts and prices in money units. A point that does
 * not answer is no failure: the call returns, slot 3 then says 2; only START (19, 15) raises "Can't Start"
 * (guide: "When a dispenser dies"). */
typedef struct SbDriverVtbl {
    void(SB_CALL* Abstract)(SbDriver* self);                                                                  /* 0 */
    void(SB_CALL* Describe)(SbDescription* out, SbDriver* self);                                              /* 1 */
    void(SB_CALL* SetLineResult)(SbDriver* self, uint32_t point, uint32_t value);                             /* 2 */
    uint32_t(SB_CALL* GetLineResult)(SbDriver* self, uint32_t point);                                         /* 3 */
    int32_t(SB_CALL* FillingPointControl)(SbDriver* self, uint32_t point, uint32_t unused, uint32_t control); /* 4 */
    void(SB_CALL* Reserved5)(SbDriver* self, uint32_t unused);                                                /* 5 */
    void(SB_CALL* FinalDeliveryData)(SbDriver* self, uint32_t point, uint32_t unused, double* volume,
                                     double* amount); /* 6 */
    void(SB_CALL* GetCounter)(SbDriver* self, uint32_t point, uint32_t unused, int32_t grade, double* volume,
                              double* amount, uint32_t unused2, uint32_t unused3); /* 7 */
    void(SB_CALL* Reserved8)(SbDriver* self, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t,
                             uint32_t);                                                                    /* 8 */
    double(SB_CALL* CurrentDeliveryData)(SbDriver* self, uint32_t point, uint32_t unused, double* amount); /* 9 */
    uint32_t(SB_CALL* PollStatus)(SbDriver* self, uint32_t point, uint32_t unused);                        /* 10 */
    void(SB_CALL* SetPrice)(SbDriver* self, uint32_t point, uint32_t unused, int32_t grade, uint32_t unused2,
                            uint32_t unused3, double price);                 /* 11 */
    void(SB_CALL* Reserved12)(SbDriver* self, uint32_t, uint32_t, uint32_t); /* 12 */
    void(SB_CALL* SetVolumePreset)(SbDriver* self, uint32_t point, uint32_t, uint32_t, uint32_t,
                                   double volume); /* 13 */
    void(SB_CALL* SetAmountPreset)(SbDriver* self, uint32_t point, uint32_t, uint32_t, uint32_t,
                                   double amount);                                                       /* 14 */
    void(SB_CALL* StartGrade1)(SbDriver* self, uint32_t point, uint32_t second, uint32_t unused);        /* 15 */
    int32_t(SB_CALL* OpenLine)(SbDriver* self, uint32_t point);                                          /* 16 */
    void(SB_CALL* Reserved17)(SbDriver* self, uint32_t, uint32_t, uint32_t);                             /* 17 */
    void(SB_CALL* Reserved18)(SbDriver* self, uint32_t, uint32_t, uint32_t, uint32_t);                   /* 18 */
    void(SB_CALL* Start)(SbDriver* self, uint32_t point, uint32_t unused, int32_t grade, uint32_t mode); /* 19 */
    uint32_t(SB_CALL* Capability)(SbDriver* self, uint32_t code, int32_t* answer);                       /* 20 */
    void(SB_CALL* StatusRecord)(SbStatusRecord* out, SbDriver* self, uint32_t point, uint32_t second,
                                uint32_t unused);                                                          /* 21 */
    void(SB_CALL* SwitchPoint)(SbDriver* self, uint32_t point, uint32_t, uint32_t, uint32_t control);      /* 22 */
    void(SB_CALL* SwitchPointAgain)(SbDriver* self, uint32_t point, uint32_t, uint32_t, uint32_t control); /* 23 */
    void(SB_CALL* HookMenu)(SbDriver* self, SbMenuItem* menus, SbCreateMenuItem create);                   /* 24 */
} SbDriverVtbl;
struct SbDriver {
    const SbDriverVtbl* vtbl;
};

/* The host's port service (guide: "The port service"). Slots 0, 2, 3, 5..15, 18 and 20 belong to the host and
 * are never called. Point n names the host's line n. */
typedef struct SbPortServiceVtbl {
    void* slot0;
    /* 1: the exchange's result when slot 16 or 4 raised: nonzero fails the exchange, 0 lets it pass unanswered */
    int32_t(SB_CALL* ErrorResult)(SbPortService* self, uint32_t point);
    void* slot2;
    void* slot3;
    /* 4: the line after the latest exchange, low byte: 1 an answer came (or none was awaited), 2 none came or the
     * exchange failed (slot 16 returned nonzero): the driver reads it after the failed exchanges too */
    uint32_t(SB_CALL* LineStatus)(SbPortService* self, uint32_t point);
    void* slot5_15[11];
    /* 16: sends send[0..sendCount), writes the answer over the same buffer (255 bytes or more), reports it to the
     * receive handler and returns 0; anything else is a failed exchange. replySize: 30 poll or select, 60
     * acknowledgement, 2 data block, 0 no answer awaited, 4 link unit counter. zero is always 0. */
    int32_t(SB_CALL* SendReceive)(SbPortService* self, uint32_t point, uint8_t* send, uint32_t sendCount,
                                  uint8_t* receive, uint32_t replySize, uint32_t zero);
    /* 17: sets the line up; ten is always 10; speedCode: baud in the low 16 bits, top byte 7 on a T10 line.
     * The result is handed back as slot 16's. */
    int32_t(SB_CALL* Configure)(SbPortService* self, uint32_t point, uint32_t ten, uint32_t speedCode);
    void* slot18;
    /* 19: the handler to call during this point's next send-and-receive */
    void(SB_CALL* SetReceiveHandler)(SbPortService* self, uint32_t point, SbReceiveHandler handler);
    void* slot20;
    /* 21: the handler to call whenever the host sets the point's line up again */
    void(SB_CALL* SetLineSetupHandler)(SbPortService* self, uint32_t point, SbLineSetupHandler handler);
} SbPortServiceVtbl;
struct SbPortService {
    const SbPortServiceVtbl* vtbl;
};

/* Speed code given to port slot 17 for a line that carries a T10 counting unit: 2400 baud, top byte 7. */
#define SB_T10_SPEED_CODE 0x07000960u

/*
 * Failures that reach the host (guide: "Failures"), unless the host chose SB_FAILURES_RETURN below.
 * POSIX build: slots throw the C++ exception sb::ESerialIO (below); slot 0 throws sb::EAbstractError.
 * Windows build: no C++ exception crosses the boundary. A slot raises a structured exception with
 *   ExceptionCode    SB_EXCEPTION_SERIAL_IO (or SB_EXCEPTION_ABSTRACT for slot 0), flag EXCEPTION_NONCONTINUABLE,
 *   NumberParameters 2,
 *   ExceptionInformation[0] pointer to the zero-terminated Windows-1251 message (valid until the same thread's
 *                           next failure), ExceptionInformation[1] its length in bytes.
 */
#define SB_EXCEPTION_SERIAL_IO 0xE0534249u
#define SB_EXCEPTION_ABSTRACT 0xE0534241u

/*
 * Failures as results, for hosts that cannot catch the platform's exception (C on POSIX, C built with mingw,
 * Python ctypes, Go, Rust). After SbSetFailureMode(driver, SB_FAILURES_RETURN) a failing slot of that driver
 * object returns instead of raising: 0 or 0.0 as its result, 0.0 through the addresses of slots 6, 7 and 9,
 * nothing written into the records of slots 1 and 21. The calls that fail, and their texts, stay the same.
 * Guide: "Failures".
 */
#define SB_FAILURES_RAISE 0 /* the default: sb::ESerialIO on POSIX, a structured exception on Windows */
#define SB_FAILURES_RETURN 1

#define SB_FAILURE_NONE 0
#define SB_FAILURE_SERIAL_IO 1 /* a dispenser exchange failed (ESerialIO) */
#define SB_FAILURE_ABSTRACT 2  /* slot 0 was called */
#define SB_FAILURE_REFUSED                                                                 \
    3 /* a price (slot 11: not finite, 0 or below or over 4 digits once scaled by PDec and \
         rounded) or a preset (slots 13, 14: negative or not finite) was refused, never    \
         replaced by the previous one: that grade of that point, or that point, does not   \
         START ("Can't Start") until a good value is set; raise mode only logs it (guide:  \
         "Refused prices and presets") */

/* Why a failure happened, a number a host can switch on (guide: "Failures"); the text says it to people. */
#define SB_REASON_NONE 0             /* no failure, slot 0, or a failure the driver did not foresee */
#define SB_REASON_PORT_FAILED 1      /* the port service failed an exchange (slot 16 nonzero, or it raised) */
#define SB_REASON_NOT_RECEIVING 2    /* the dispenser kept its line busy for more than ten poll cycles */
#define SB_REASON_EXCHANGE_LIMIT 3   /* the call used up the exchanges one call may make */
#define SB_REASON_NOT_SELECTED 4     /* START: the dispenser never answered ready to receive */
#define SB_REASON_NOT_ACKNOWLEDGED 5 /* START: the dispenser kept refusing a block of the message */
#define SB_REASON_START_REFUSED 6    /* START: the dispenser refused it */
#define SB_REASON_VALUE_REFUSED                                                      \
    7 /* a price or preset refused (SB_FAILURE_REFUSED); START not sent for one, for \
         a grade outside 1..6, or for a grade never priced since the driver started */
#define SB_REASON_POINT_REFUSED                                                     \
    8 /* a point outside 1..32 (after the low byte where the slot takes only that): \
         the call did nothing; START and OpenLine raise it in either mode */
#define SB_REASON_NO_PORT_SERVICE                                                    \
    9 /* the driver has no port service (GetVM30 was given none): every exchange and \
         OpenLine fail until an entry-point call brings one */

typedef struct SbFailure {
    uint32_t code;    /* SB_FAILURE_* */
    char cp1251[512]; /* the message, Windows-1251, zero-terminated; empty for SB_FAILURE_NONE */
    char utf8[1024];  /* the same message in UTF-8 */
} SbFailure;

/* Sets how the slots of this driver object report failures, for every thread, and clears the calling thread's
 * failure record (SbGetLastFailure). A null or foreign object, or a mode other than the two above, is refused with
 * a log line and changes nothing. */
SB_EXPORT void SB_CALL SbSetFailureMode(SbDriver* driver, uint32_t mode);

/* This thread's latest slot call that can fail, on a driver object in return mode: 1 when it failed, with *out
 * filled; else 0, with *out holding SB_FAILURE_NONE and empty texts. Each such call clears the record when it
 * starts, and so does SbSetFailureMode; in raise mode nothing else writes it. Slots 1, 2, 3 (the line result), 5,
 * 8, 12, 17, 18 and 20 cannot fail and leave the record as it was (slots 2 and 3 given a point outside 1..32 record
 * that refusal), so it may be read after slot 3. out may be NULL. */
SB_EXPORT uint32_t SB_CALL SbGetLastFailure(SbFailure* out);

/* The reason (SB_REASON_*) of the failure SbGetLastFailure holds for this thread; SB_REASON_NONE when it holds
 * none. A call of its own, so that SbFailure keeps the size and layout hosts were built with. */
SB_EXPORT uint32_t SB_CALL SbGetLastFailureReason(void);

/*
 * What a point's link has been through since the driver object was made (guide: "Link statistics"). Each count
 * only grows. "Through" means the port service's send-and-receive returned 0. An exchange that failed at the port
 * counts among the exchanges only, and so does one whose answer came too garbled to read (line noise, a damaged
 * block, which counts among the bad checks too). Readable: EOT, NAK, an acknowledgement, a sound block,
 * any answer of a T10 counting unit. Times are microseconds on the driver's monotonic clock (CLOCK_MONOTONIC on
 * POSIX, QueryPerformanceCounter on Windows), never set back: only differences mean anything.
 */
typedef struct SbLinkStatistics {
    uint32_t size;           /* set by the host: sizeof(SbLinkStatistics), so that the struct can grow */
    uint32_t reserved;       /* 0; keeps the counts 8-byte aligned under every compiler */
    uint64_t exchanges;      /* exchanges handed to the port service */
    uint64_t answers;        /* exchanges awaiting an answer that went through and brought a readable one */
    uint64_t noAnswers;      /* exchanges awaiting an answer that went through without any */
    uint64_t naksReceived;   /* lone NAKs the dispenser answered with */
    uint64_t naksSent;       /* NAKs asking the dispenser for a block again */
    uint64_t badChecks;      /* blocks (STX ... ETX or ETB) that came with a bad block check */
    uint64_t waits;          /* wait answers ("8"): the dispenser was busy; every one, in a reply or before a message */
    uint64_t refusals;       /* refusal answers ("9"): the request was not carried out; every one, as waits */
    uint64_t resends;        /* data blocks sent again after the dispenser did not acknowledge them */
    uint64_t resetsAsked;    /* reset requests of the dispenser */
    uint64_t resetsSent;     /* MASTER RESETs the driver started */
    uint64_t exchangeLimits; /* host calls on the point that reached their exchange limit */
    uint64_t lastAnswerUs;   /* the clock at the latest readable answer; meaningful once answers is nonzero */
    uint64_t nowUs;          /* the clock when these were read: nowUs - lastAnswerUs is the answer's age */
} SbLinkStatistics;

/* Copies point's statistics (1..32, the whole 32-bit value) into *out, as much as out->size holds, and returns
 * the bytes written. 0, with nothing written, for a null or foreign driver object, a point outside 1..32, a null
 * out or an out->size smaller than this first version of the struct. Any thread, at any time, also while the
 * point's calls run; it touches neither the line nor the log nor SbGetLastFailure's record. */
SB_EXPORT uint32_t SB_CALL SbGetLinkStatistics(SbDriver* driver, uint32_t point, SbLinkStatistics* out);

#if !defined(_WIN32)
/*
 * POSIX hosts: user-interface services the driver uses when the host lends them. Without them the driver runs
 * alert routines on its own thread, writes critical lines to standard error and has no settings dialog.
 */
typedef struct SbSettingsChoice {
    int32_t amountScale; /* selected decimals button: 0..3 for 0..3 decimals in amounts, -1 none */
    int32_t priceScale;  /* the same for prices */
    int32_t speed;       /* 0: 2400, 1: 9600 */
    uint8_t t10[8];      /* lines 1..8 carry a T10 counting unit */
} SbSettingsChoice;

typedef struct SbHostUi {
    uint32_t size; /* sizeof(SbHostUi), so that the struct can grow */
    void* context; /* handed back to every callback */
    /* Runs routine(argument) in the host's user-interface thread and returns after it has returned. */
    void (*runInUiThread)(void* context, void (*routine)(void*), void* argument);
    /* Shows a critical log line (Windows-1251, time stamp included) and returns when the operator closed it. */
    void (*showAlert)(void* context, const char* line);
    /* Shows the settings dialog on *choice; returns 1 and the new choice for OK, 0 otherwise. */
    int32_t (*runSettingsDialog)(void* context, SbSettingsChoice* choice);
} SbHostUi;

/* Lends the driver the host's user-interface services (copied; NULL withdraws them). Any callback may be NULL. */
SB_EXPORT void SbSetHostUi(const SbHostUi* ui);
#endif

SB_EXPORT SbDriver* SB_CALL GetVM30(uint32_t arg1, SbWindow owner, SbPortService* port);
SB_EXPORT SbDriver* SB_CALL GetDriver25(uint32_t arg1, SbWindow owner, SbPortService* port, uint32_t, uint32_t,
                                        uint32_t, uint32_t, uint32_t);

#ifdef __cplusplus
} /* extern "C" */

#include <exception>
#include <string>
#include <utility>

/* The POSIX build's failures; in the Windows build they never leave the library, so they are not exported. */
#if defined(_WIN32)
#define SB_EXCEPTION_CLASS
#else
#define SB_EXCEPTION_CLASS SB_EXPORT
#endif

namespace sb {

/* A dispenser exchange failed and the operation could not absorb it. */
class SB_EXCEPTION_CLASS ESerialIO : public std::exception {
public:
    ESerialIO(std::string cp1251, std::string utf8, uint32_t reason = SB_REASON_NONE)
        : message_(std::move(cp1251)), utf8_(std::move(utf8)), reason_(reason) {}
    const char* what() const noexcept override { return message_.c_str(); } /* Windows-1251 */
    const std::string& Utf8() const noexcept { return utf8_; }
    uint32_t Reason() const noexcept { return reason_; } /* SB_REASON_* */

private:
    std::string message_;
    std::string utf8_;
    uint32_t reason_; /* last, so that the texts stay where a host built against an older header reads them */
};

/* Slot 0 was called: the driver has no operation there. */
class SB_EXCEPTION_CLASS EAbstractError : public std::exception {
public:
    const char* what() const noexcept override { return "Abstract Error"; }
};

}  // namespace sb
#endif

#endif /* SBDRIVER_SBDRIVER_H */
