// Ping, identification and status bytes.
#include "Printer.h"

namespace darvosim {

namespace {

// First answer byte of command 0xFF for each device type.
uint8_t IdentificationByte(int deviceType) {
    switch (deviceType) {
    case 0: return 2;
    case 1: return 17;
    case 2:
    case 3:
    case 7: return 44;
    case 4: return 5;
    case 5:
    case 6:
    case 8: return 18;
    default: return 3;
    }
}

} // namespace

void DefineBasicCommands(Printer &printer) {
    // Ping after opening the port.
    printer.Define(0x23, [](Printer &, Link &link) { link.Send(ACK); });

    printer.Define(0xFF, [](Printer &p, Link &link) { link.Send({ACK, IdentificationByte(p.deviceType)}); });
    printer.Define(0xFE, [](Printer &p, Link &link) {
        switch (p.deviceType) {
        case 3: link.Send({ACK, 0x7B, static_cast<uint8_t>(p.version), 0x00}); break;
        case 6: link.Send({ACK, 0x7B, static_cast<uint8_t>(p.version), 0x00}); break;
        case 7: link.Send({ACK, 0x7C, static_cast<uint8_t>(p.version), 0x00}); break;
        case 8: link.Send({ACK, 0x7D, static_cast<uint8_t>(p.version), 0x00}); break;
        default: link.Send(NAK); break;
        }
    });

    // Resumes a printout stopped for lack of paper.
    printer.Define(0x2A, [](Printer &p, Link &link) {
        p.ResumePrintout();
        link.Send(ACK);
    });

    // Status bytes 1..4, acknowledged (ACK + byte) and plain (the byte alone).
    const uint8_t acknowledged[4] = {0x5B, 0x54, 0x55, 0x56};
    const uint8_t plain[4] = {0x9B, 0x94, 0x95, 0x96};
    for (int n = 1; n <= 4; ++n) {
        printer.Define(acknowledged[n - 1], [n](Printer &p, Link &link) {
            if (n == 3 && p.printTime.count() > 0) p.AdvancePrintout();
            link.Send({ACK, p.StatusByte(n)});
            if (n == 3 && p.printTime.count() == 0) p.AdvancePrintout();
        });
        printer.Define(plain[n - 1], [n](Printer &p, Link &link) {
            // Timed printouts end by the clock, counted ones after the read.
            if (n == 3 && p.printTime.count() > 0) p.AdvancePrintout();
            link.Send(p.StatusByte(n));
            if (n == 3 && p.printTime.count() == 0) p.AdvancePrintout();
        });
    }
    // Status bytes 5..8 exist on the newer printers only.
    const struct {
        uint8_t command;
        int byte;
    } extended[] = {{0x5F, 5}, {0x50, 6}, {0xF3, 7}, {0x5D, 8}};
    for (auto e : extended) {
        printer.Define(e.command, [e](Printer &p, Link &link) {
            bool known = e.byte <= 6 ? p.HasStatus56() : e.byte == 7 ? p.HasStatus7() : p.HasStatus8();
            if (known)
                link.Send({ACK, p.StatusByte(e.byte)});
            else
                link.Send(NAK);
        });
    }
}

} // namespace darvosim
