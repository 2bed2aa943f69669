/*
 * Simulated dispensers behind a port service object, for the examples.
 *
 * A host lends the driver its own port service, written around its serial lines (docs/host-guide.md, "The port
 * service"; line/SerialPortService is the reference one). This one answers from the dispenser simulator
 * instead, so that an example runs anywhere, without dispensers, and shows only the driver's side.
 */
#ifndef SBSIMPORT_H
#define SBSIMPORT_H

#include <stdint.h>

#include "sbdriver/sbdriver.h"

#if defined(_WIN32) && defined(SBSIMPORT_BUILD)
#define SBSIMPORT_API __declspec(dllexport)
#elif defined(_WIN32)
#define SBSIMPORT_API __declspec(dllimport)
#else
#define SBSIMPORT_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* A port service with a simulated dispenser on each of the lines 1..lines: four nozzles, grade n on nozzle n, 0.2
 * litre more at every poll of the line while it delivers. Other lines have no device: their exchanges fail. The
 * object lives until the process ends. */
SBSIMPORT_API SbPortService* SbSimPortCreate(uint32_t lines);

/* The customer at the point's dispenser lifts a nozzle (1..4), or hangs it up again. */
SBSIMPORT_API void SbSimLiftNozzle(SbPortService* port, uint32_t point, uint32_t nozzle);
SBSIMPORT_API void SbSimHangNozzle(SbPortService* port, uint32_t point);

#ifdef __cplusplus
}
#endif

#endif /* SBSIMPORT_H */
