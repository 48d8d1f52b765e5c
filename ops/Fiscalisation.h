// Switching a printer from training into fiscal mode: it cannot be undone.
// The printer then writes the user's NIP and the tax rates into its fiscal
// memory for good.
#pragma once

#include "ops/Rates.h"
#include "ops/StatusBits.h"

#include <array>
#include <cstdint>

namespace darvo::ops {

// What the status says against a fiscalisation, the first that holds in
// this order.
enum class FiscalisationBlocker {
    None,
    NoMakerData,
    AlreadyFiscal,
    CmosErased,
    ServiceJumperNormal,
    NoUserData
};
FiscalisationBlocker FiscalisationBlockerOf(const StatusBits &bits);

// Sends the fiscalisation frame (command 114: six times the fiscalisation
// character, then the seven rates in hundredths of a percent, 25500 a
// reserve, 10000 exempt) and reads the printer's first byte into `answer`:
// kRefused, kAccepted, or on a PEXA the first progress byte (FollowProgress,
// then AwaitPrintout). The driver's code.
int32_t SendFiscalisation(const std::array<int32_t, 7> &rates, uint8_t &answer);

} // namespace darvo::ops
