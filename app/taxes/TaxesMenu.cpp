// The "Podatki" menu of the main window: its commands.
#include "taxes/TaxesMenu.h"

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
bool ReadRates(MenuHost &window, int32_t &count, std::array<int32_t, 7> &rates) {
    window.SetBusyCursor();
    const int32_t code = darvo::ops::ReadRates(count, rates);
    window.SetArrowCursor();
    window.ShowCommandError(code);
    return code == 0;
}

} // namespace

void TaxesMenu::Attach(const MenuItems &items) {
    items.On("Odczyt1", [this] { ShowRates(); });
    items.On("Zapis1", [this] { WriteRates(); });
}

void TaxesMenu::ShowRates() {
    uint8_t type = 9;
    if (!host_.DeviceCheck(type) || !host_.CmosCheck()) return;
    int32_t count = 0;
    std::array<int32_t, 7> rates{};
    if (!ReadRates(host_, count, rates)) return;
    if (count != 4 && count != 6 && count != 7) {
        host_.ClearActivityMessage();
        return;
    }
    for (int i = 0; i < 7; ++i) {
        QLabel *label = odczytStawek_.Label[i];
        label->setVisible(i < count);
        label->setText(i < count ? QStringLiteral("Stawka PTU %1 : ").arg(QChar(u'A' + i)) +
                                       RateLabelText(rates[i], count)
                                 : QString());
    }
    ErrorBeep();
    odczytStawek_.ShowModal();
    host_.ClearActivityMessage();
}

void TaxesMenu::WriteRates() {
    uint8_t type = 9;
    if (!host_.DeviceCheck(type)) return;
    if (!darvo::ops::IsSecondGeneration(type)) {
        host_.RefuseCommand(QStringLiteral("Podłączone urządzenie nie jest drukarką drugiej generacji."));
        return;
    }
    if (!host_.PrintConditionsCheck()) return;
    int32_t count = 0;
    std::array<int32_t, 7> rates{};
    if (!ReadRates(host_, count, rates)) return;
    stawkiPodatkowe_.SetPrintersRates(rates);
    stawkiPodatkowe_.FillRates(darvo::ops::RatesToOffer(rates));
    stawkiPodatkowe_.ShowRates = [this] { ShowRates(); };
    ErrorBeep();
    stawkiPodatkowe_.ShowModal();
    host_.ClearActivityMessage();
}

bool TaxesMenu::AskFiscalisationRates(std::array<int32_t, 7> &rates) {
    return stawkiPodatkowe_.CollectRates(rates);
}
