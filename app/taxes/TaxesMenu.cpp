// The "Podatki" menu of the main window: its commands.
#include "shell/TGlowneOkno.h"

#include "common/ErrorBeep.h"
#include "common/MessageBoxes.h"
#include "core/AppState.h"
#include "taxes/TfOdczytStawek.h"
#include "taxes/TfStawkiPodatkowe.h"

#include "ops/Device.h"
#include "ops/Rates.h"

#include <QLabel>

namespace {

// "REZERWA", "ZWOLNIONA", or the rate and " %": a whole number on the
// 4-rate printers, the shortest decimal on the others.
QString RateLabelText(int32_t value, int32_t count) {
    if (value == kReserve) return QStringLiteral("REZERWA");
    if (value == kExempt) return QStringLiteral("ZWOLNIONA");
    return (count == 4 ? QString::number(value / 100) : RateDecimalText(value)) + QStringLiteral(" %");
}

// The printer's rates into seven values (the slots the printer does not report stay 0)
// with the busy cursor; false after the error box.
bool ReadRates(TGlowneOkno &window, int32_t &count, std::array<int32_t, 7> &rates) {
    window.SetBusyCursor();
    const int32_t code = darvo::ops::ReadRates(count, rates);
    window.SetArrowCursor();
    window.ShowCommandError(code);
    return code == 0;
}

} // namespace

void TGlowneOkno::ConnectTaxesMenu() {
    OnItem("Odczyt1", &TGlowneOkno::Odczyt1Click);
    OnItem("Zapis1", &TGlowneOkno::Zapis1Click);
}

void TGlowneOkno::Odczyt1Click() {
    uint8_t type = 9;
    if (!DeviceCheck(type) || !CmosCheck() || !fOdczytStawek) return;
    int32_t count = 0;
    std::array<int32_t, 7> rates{};
    if (!ReadRates(*this, count, rates)) return;
    if (count != 4 && count != 6 && count != 7) {
        ClearActivityMessage();
        return;
    }
    CurrentRates.fill(0);
    for (int i = 0; i < count; ++i)
        CurrentRates[i] = static_cast<uint16_t>(rates[i]);
    for (int i = 0; i < 7; ++i) {
        QLabel *label = fOdczytStawek->Label[i];
        label->setVisible(i < count);
        label->setText(i < count ? QStringLiteral("Stawka PTU %1 : ").arg(QChar(u'A' + i)) +
                                       RateLabelText(rates[i], count)
                                 : QString());
    }
    ErrorBeep();
    fOdczytStawek->ShowModal();
    ClearActivityMessage();
}

void TGlowneOkno::Zapis1Click() {
    uint8_t type = 9;
    if (!DeviceCheck(type) || !fStawkiPodatkowe) return;
    if (!darvo::ops::IsSecondGeneration(type)) {
        RefuseCommand(QStringLiteral("Podłączone urządzenie nie jest drukarką drugiej generacji."));
        return;
    }
    if (!PrintConditionsCheck()) return;
    int32_t count = 0;
    std::array<int32_t, 7> rates{};
    if (!ReadRates(*this, count, rates)) return;
    for (int i = 0; i < 7; ++i)
        CurrentRates[i] = static_cast<uint16_t>(rates[i]);
    fStawkiPodatkowe->FillRates(darvo::ops::RatesToOffer(rates));
    fStawkiPodatkowe->ShowRates = [this] { Odczyt1Click(); };
    ErrorBeep();
    fStawkiPodatkowe->ShowModal();
    ClearActivityMessage();
}
