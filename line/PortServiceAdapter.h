// The method table of a port service object, written once for every port service in C++. A service derives
// from PortServiceAdapter<Service> and has the six slots the driver calls as member functions of the slots'
// names (ErrorResult, LineStatus, SendReceive, Configure, SetReceiveHandler, SetLineSetupHandler); the table's
// functions, in the driver's calling convention (stdcall on 32-bit Windows), turn the object pointer the driver
// passes back into the service and hand each call on with its arguments unchanged. A service that keeps its
// slots private befriends its adapter.
#pragma once

#include "sbdriver/sbdriver.h"

namespace sbline {

template <typename Service>
class PortServiceAdapter : public SbPortService {
public:
    // The object to lend the driver.
    SbPortService* port() { return this; }

protected:
    PortServiceAdapter() : SbPortService{&kTable} {}

private:
    static Service& Of(SbPortService* port) { return static_cast<Service&>(static_cast<PortServiceAdapter&>(*port)); }

    static int32_t SB_CALL ErrorResultSlot(SbPortService* port, uint32_t point) { return Of(port).ErrorResult(point); }
    static uint32_t SB_CALL LineStatusSlot(SbPortService* port, uint32_t point) { return Of(port).LineStatus(point); }
    static int32_t SB_CALL SendReceiveSlot(SbPortService* port, uint32_t point, uint8_t* send, uint32_t sendCount,
                                           uint8_t* receive, uint32_t replySize, uint32_t zero) {
        return Of(port).SendReceive(point, send, sendCount, receive, replySize, zero);
    }
    static int32_t SB_CALL ConfigureSlot(SbPortService* port, uint32_t point, uint32_t ten, uint32_t speedCode) {
        return Of(port).Configure(point, ten, speedCode);
    }
    static void SB_CALL SetReceiveHandlerSlot(SbPortService* port, uint32_t point, SbReceiveHandler handler) {
        Of(port).SetReceiveHandler(point, handler);
    }
    static void SB_CALL SetLineSetupHandlerSlot(SbPortService* port, uint32_t point, SbLineSetupHandler handler) {
        Of(port).SetLineSetupHandler(point, handler);
    }

    // The host's own slots stay empty: the driver never calls them.
    static constexpr SbPortServiceVtbl Table() {
        SbPortServiceVtbl table{};
        table.ErrorResult = &ErrorResultSlot;
        table.LineStatus = &LineStatusSlot;
        table.SendReceive = &SendReceiveSlot;
        table.Configure = &ConfigureSlot;
        table.SetReceiveHandler = &SetReceiveHandlerSlot;
        table.SetLineSetupHandler = &SetLineSetupHandlerSlot;
        return table;
    }
    static const SbPortServiceVtbl kTable;
};

template <typename Service>
const SbPortServiceVtbl PortServiceAdapter<Service>::kTable = PortServiceAdapter<Service>::Table();

}  // namespace sbline
