#include "Fiscalisation.h"

#include "darvodr/Core.h"
#include "darvodr/Service.h"
#include "darvodr/TaxRates.h"
#include "darvodr/darvodr.h"
#include "serial/Comm.h"

#include <algorithm>

namespace darvo::ops {

namespace {
constexpr uint8_t kFiscaliseCommand = 114;
} // namespace

FiscalisationBlocker FiscalisationBlockerOf(const StatusBits &b) {
    if (!b.makerData) return FiscalisationBlocker::NoMakerData;
    if (b.fiscal) return FiscalisationBlocker::AlreadyFiscal;
    if (b.cmosErased) return FiscalisationBlocker::CmosErased;
    if (!b.serviceJumper) return FiscalisationBlocker::ServiceJumperNormal;
    if (!b.userData) return FiscalisationBlocker::NoUserData;
    return FiscalisationBlocker::None;
}

int32_t SendFiscalisation(const std::array<int32_t, 7> &rates, uint8_t &answer) {
    // The printer takes the frame only after six times the fiscalisation
    // character: it guards against a stray command 114.
    uint8_t frame[20];
    std::fill(frame, frame + 6, kFiscalisationFieldChar);
    EncodeRates(7, rates, frame + 6);
    uint8_t unused[256] = {};
    if (int32_t code = RSSequence(kFiscaliseCommand, 0, 20, unused, frame); code != 0) return code;
    return darvo::ReceiveByte(answer) ? 0 : RC_RECEIVE_FAILED;
}

} // namespace darvo::ops
