// The "Testy" menu of the main window: its commands.
#include "NivraSWindows.h"

#include "DriverText.h"
#include "ErrorBeep.h"
#include "MessageBoxes.h"
#include "fTestWysw.h"
#include "unumerunikatowy.h"
#include "ustatusy.h"

#include "darvodr.h"
#include "darvodr/Service.h"
#include "darvodr/Session.h"

#include <QLabel>
#include <QTimer>
#include <array>

namespace {

// What a NIVRA display should light at a test step: six lines, the word
// placed where the display has it.
QString SegmentText(bool change) {
    const QString blank(44, QLatin1Char(' '));
    QStringList lines{
        QStringLiteral("Test powinien spowodować zapalenie segmentów"),
        QStringLiteral("wyświetlacza jak pokazano niżej:") + QString(12, QLatin1Char(' ')),
        blank,
        change ? QString(32, QLatin1Char(' ')) + QStringLiteral("RESZTA") + QString(16, QLatin1Char(' '))
               : QString(13, QLatin1Char(' ')) + QStringLiteral("RAZEM") + QString(36, QLatin1Char(' ')),
        blank,
        QString(15, QLatin1Char(' ')) + QStringLiteral("8.8.8.8.8.8.8.8.8.") + QString(21, QLatin1Char(' '))};
    return lines.join(QLatin1Char('\n'));
}

} // namespace

void TGlowneOkno::ConnectTestsMenu() {
    OnItem("Bajtystatusu1", &TGlowneOkno::Bajtystatusu1Click);
    OnItem("Wy1", &TGlowneOkno::Wy1Click);
    OnItem("Numerunikatowy1", &TGlowneOkno::Numerunikatowy1Click);
}

void TGlowneOkno::Wy1Click() {
    TfTestWyswietlacza *dialog = fTestWyswietlacza;
    if (!dialog) return;
    dialog->HideAllPictures();
    uint8_t type = 9;
    if (!DeviceCheck(type)) return;
    if (!darvo::IsSecondGeneration(type)) {
        ErrorBeep();
        ClearActivityMessage();
        ErrorBox(QStringLiteral("Podłączone urządzenie nie jest drukarką drugiej generacji."));
        return;
    }
    const bool pexa = darvo::IsPexaFamily(type);
    SetBusyCursor();
    std::array<QLabel *, 4> pictures{dialog->iTest1, dialog->iTest2, dialog->ITest3, dialog->ITest4};
    if (pexa) {
        darvo::SettingsValues settings{};
        if (int32_t code = darvo::ReadSettingsGroup(0, settings); code != 0) {
            ShowCommandError(code);
            return;
        }
        // The printer set to show pictures negative gets the negative set.
        if (!(settings[0] & 4))
            pictures = {dialog->iTest2, dialog->iTest1, dialog->iTest3Neg, dialog->iTest4Neg};
    }
    if (int32_t code = darvo::DisplayTest(0); code != 0) {
        ShowCommandError(code);
        return;
    }
    const int steps = pexa ? 4 : 2;
    // The pattern the printer shows after each step.
    const uint8_t next[4] = {1, 3, 4, 2};
    for (int step = 0; step < steps; ++step) {
        if (pexa) {
            dialog->ShowPicture(pictures[step]);
            dialog->Label1->setText(QStringLiteral("Test powinien wyświetlić poniższą bitmapę"));
        } else {
            dialog->Label1->setText(SegmentText(step == 1));
        }
        SetArrowCursor();
        ErrorBeep();
        dialog->ShowModal();
        SetBusyCursor();
        if (step + 1 == steps) break;
        const int32_t code = darvo::DisplayTest(next[step]);
        // The first change is reported, the later ones go by.
        if (step == 0 && code != 0) {
            ShowCommandError(code);
            SetBusyCursor();
        }
    }
    if (int32_t code = darvo::DisplayTest(2); code != 0) ShowCommandError(code);
    SetArrowCursor();
    ClearActivityMessage();
}

void TGlowneOkno::Numerunikatowy1Click() {
    uint8_t type = 9;
    if (!DeviceCheck(type) || !CmosCheck() || !fNumerUnikatowy) return;
    SetBusyCursor();
    std::string number;
    const int32_t code = ReadUniqueNumber(number);
    SetArrowCursor();
    if (code != 0) {
        ShowCommandError(code);
        return;
    }
    fNumerUnikatowy->lNumerUnikatowy->setText(QStringLiteral("Numer unikatowy drukarki: ") +
                                              FromDriver(number));
    ErrorBeep();
    fNumerUnikatowy->ShowModal();
    ClearActivityMessage();
}

void TGlowneOkno::Bajtystatusu1Click() {
    uint8_t type = 9;
    if (!DeviceCheck(type)) return;
    ErrorBeep();
    fBajtyStatusu->ShowModal();
    fBajtyStatusu->tStatus->stop();
}
