// The DARVO printers by the device type they report: 0..8, 9 while no
// printer has been identified. The groups the operations and the programs
// tell apart.
#pragma once

#include "darvodr/DeviceTypes.h"

#include <cstdint>

namespace darvo::ops {

// The first generation (KT820 and the first NIVRA models) and the second
// (NIVRA F, PEXA, PEXA F and the newer NIVRA).
using darvo::IsFirstGeneration;
using darvo::IsSecondGeneration;
// PEXA and PEXA F (types 7 and 8).
using darvo::IsPexaFamily;
// The pharmacy printers, which keep a buffer of drug prices.
using darvo::IsPharmacy;
// The printers that know the period report command 49 (and a printer not
// yet identified).
using darvo::IsNewerPrinter;

// The first-generation printers (KT820) that print no daily report without sales.
inline bool PrintsNoEmptyDailyReport(int type) {
    return type == 0 || type == 1 || type == 4 || type == 5;
}
// The printers whose receipt header has six lines (PEXA, PEXA F); the
// others have four.
inline bool HasSixHeaderLines(int type) {
    return type == 7 || type == 8;
}
// The lines a printer feeds after a printout at the least: the PEXA
// printers may feed none (and a printer not yet identified is taken for one).
inline int FewestFeedLines(int type) {
    return type == 7 || type == 8 || type == 9 ? 0 : 3;
}

} // namespace darvo::ops
