#include "Printer.h"

namespace darvosim {

namespace {
int UsualVersion(int deviceType) {
    switch (deviceType) {
    case 3: return 3;
    case 6: return 6;
    case 7: return 7;
    case 8: return 7;
    default: return 0;
    }
}
} // namespace

Printer::Printer(int type, int ver) : deviceType(type), version(ver < 0 ? UsualVersion(type) : ver) {
    DefineBasicCommands(*this);
    DefineSalesCommands(*this);
    DefineFiscalCommands(*this);
}

bool Printer::HasStatus56() const {
    return (deviceType == 3 && version >= 3) || (deviceType == 6 && version >= 6) || deviceType == 7 ||
           deviceType == 8 || deviceType == 9;
}

static uint8_t Bit(bool set, int bit) { return set ? static_cast<uint8_t>(1u << bit) : 0; }

uint8_t Printer::StatusByte(int n) const {
    const StatusState &s = status;
    switch (n) {
    case 1:
        return Bit(s.makerData, 0) | Bit(s.userData, 1) | Bit(s.readOnly, 2) | Bit(s.fiscalMode, 3) |
               static_cast<uint8_t>((s.moduleVersion & 0x0F) << 4);
    case 2:
        return Bit(s.namesBaseFull, 0) | Bit(s.documentWaiting, 1) | Bit(s.fewRecordsLeft, 2) |
               Bit(s.dailyReportMissing, 3) | Bit(s.cmosErased, 4) | Bit(s.articleLocked, 5) |
               Bit(s.noCustomerDisplay, 6) | Bit(s.noController, 7);
    case 3:
        return Bit(s.printing, 0) | Bit(s.paperOut || s.headRaised, 1) | Bit(s.failure, 2) | Bit(s.lowBattery, 3) |
               Bit(s.receiptCancelled, 4) | Bit(s.lowReceiptMemory, 5) | Bit(s.stoppedNoPaper, 6) |
               Bit(s.noController, 7);
    case 4: return Bit(s.drawerClosed, 3) | Bit(s.serviceJumper, 6);
    case 5:
        return Bit(s.noMains, 0) | Bit(s.paperOut, 2) | Bit(s.headRaised, 4) | Bit(s.noProgrammingVoltage, 6);
    case 6: return s.cancelReason;
    case 7: return Bit(s.noAccumulator, 0) | Bit(s.lowAccumulator, 1);
    case 8: return Bit(s.pricingBufferData, 0) | Bit(s.pricingBufferFull, 1);
    default: return 0;
    }
}

void Printer::Handle(uint8_t command, Link &link) {
    auto it = commands_.find(command);
    if (it == commands_.end()) {
        link.Send(NAK);
        return;
    }
    it->second(*this, link);
}

void Printer::StartPrintout() {
    if (status.paperOut || status.headRaised) {
        status.stoppedNoPaper = true;
        status.printing = true;
        return;
    }
    status.printing = printPolls > 0;
    printRemaining = printPolls;
}

} // namespace darvosim
