// The "Testy" menu of the main window: its commands.
#include "shell/TGlowneOkno.h"

#include "common/ErrorBeep.h"
#include "common/MessageBoxes.h"
#include "core/DriverText.h"
#include "printertests/TfBajtyStatusu.h"
#include "printertests/TfNumerUnikatowy.h"
#include "printertests/TfTestWyswietlacza.h"

#include "darvodr.h"
#include "ops/Device.h"
#include "ops/PrinterTests.h"

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

namespace {

const QString kNotSecondGeneration =
    QStringLiteral("Podłączone urządzenie nie jest drukarką drugiej generacji.");

} // namespace

void TGlowneOkno::ConnectTestsMenu() {
    OnItem("Standrukarki1", &TGlowneOkno::Standrukarki1Click);
    OnItem("Bajtystatusu1", &TGlowneOkno::Bajtystatusu1Click);
    OnItem("Wy1", &TGlowneOkno::Wy1Click);
    OnItem("N41", &TGlowneOkno::N41Click);
    OnItem("PamicEPROM1", &TGlowneOkno::PamicEPROM1Click);
    OnItem("Numerunikatowy1", &TGlowneOkno::Numerunikatowy1Click);
}

// "Stan drukarki": asks the printer whether a receipt can be issued and
// leads the user through what stands in the way, testing again after each
// remedy until the printer is in order or the user gives up.
void TGlowneOkno::Standrukarki1Click() {
    uint8_t type = 0;
    if (!DeviceCheck(type, true)) return;

    const QString error = QStringLiteral("Błąd");
    const QString answer = QStringLiteral("Odpowiedz");
    // A question; true when the user answered Yes.
    auto ask = [](const QString &caption, const QString &text) {
        return ShowBox(BoxKind::WarningQuestion, caption, text) == BoxAnswer::Yes;
    };
    bool again = true;
    while (again) {
        SetBusyCursor();
        const int32_t code = ReceiptConditions();
        ErrorBeep();
        ClearActivityMessage();
        again = false;
        switch (code) {
        case 0:
            SetArrowCursor();
            ShowBox(BoxKind::Information, QStringLiteral("Informacja"),
                    QStringLiteral("PARAGON MOŻE ZOSTAĆ WYSTAWIONY"));
            break;
        case 100: ErrorBox(QStringLiteral("Brak danych producenta.\rWymagana interwencja serwisu.")); break;
        case 101:
            ErrorBox(QStringLiteral("   Wystawienie paragonu jest niemożliwe.   \r Zwora serwisowa jest w "
                                    "pozycji serwisowej."));
            break;
        case 102: ErrorBox(QStringLiteral(" Brak komunikacji z kontrolerem drukarki.")); break;
        case 103:
            again = ask(error, QStringLiteral(" Awaria drukarki.\rProszę sprawdzić czy nic nie zablokowało "
                                              "mechanizmu drukującego.\rCzy sprawdzić ponownie warunki "
                                              "wystawienia paragonu?"));
            break;
        case 104:
            if (ask(answer,
                    QStringLiteral(" Brak danych użytkownika\rCzy przejść do wprowadzania tych danych?"))) {
                ErrorBeep();
                Odczytuytkownika1Click();
                again = true;
            }
            break;
        case 105: ErrorBox(QStringLiteral(" Moduł fiskalny znajduje się w trybie \"TYLKO ODCZYT\"")); break;
        case 107:
            ErrorBox(QStringLiteral(" Pamięć CMOS jest skasowana."));
            ClearActivityMessage();
            SetArrowCursor();
            break;
        case 108:
            if (ask(answer, QStringLiteral(" Zaległy raport dobowy.\rCzy wykonać raport?"))) {
                Fiskalnydobowy1Click();
                again = true;
            }
            break;
        case 109:
            again = ask(error, QStringLiteral("Brak papieru lub podniesiona głowica mechanizmu "
                                              "drukującego.\rNależy założyć papier/lub opuścić głowicę "
                                              "mechanizmu.\rCzy sprawdzić ponownie warunki wystawienia "
                                              "paragonu?"));
            break;
        case 113:
            if (ask(answer,
                    QStringLiteral(" Brak stawek podatkowych\rCzy przejść do wprowadzania tych danych?"))) {
                Zapis1Click();
                again = true;
            }
            break;
        case 237: ErrorBox(QStringLiteral(" Należy wykonać przejście na EURO.")); break;
        default:
            SetArrowCursor();
            again =
                ask(error, ErrorMessageText(code) + QStringLiteral("\r\r Czy powtórzyć sprawdzenie warunków "
                                                                   "wystawienia paragonu?"));
            break;
        }
    }
    SetArrowCursor();
    ClearActivityMessage();
}

void TGlowneOkno::Wy1Click() {
    TfTestWyswietlacza *dialog = fTestWyswietlacza;
    if (!dialog) return;
    dialog->HideAllPictures();
    uint8_t type = 9;
    if (!DeviceCheck(type)) return;
    if (!darvo::ops::IsSecondGeneration(type)) {
        RefuseCommand(QStringLiteral("Podłączone urządzenie nie jest drukarką drugiej generacji."));
        return;
    }
    const bool pexa = darvo::ops::IsPexaFamily(type);
    SetBusyCursor();
    std::array<QLabel *, 4> pictures{dialog->iTest1, dialog->iTest2, dialog->ITest3, dialog->ITest4};
    if (pexa) {
        bool negative = false;
        if (int32_t code = darvo::ops::DisplayShowsNegative(negative); code != 0) {
            ShowCommandError(code);
            return;
        }
        // The printer set to show pictures negative gets the negative set.
        if (negative) pictures = {dialog->iTest2, dialog->iTest1, dialog->iTest3Neg, dialog->iTest4Neg};
    }
    if (int32_t code = darvo::ops::DisplayTest(darvo::ops::kDisplayTestStart); code != 0) {
        ShowCommandError(code);
        return;
    }
    const int steps = darvo::ops::DisplayTestSteps(pexa);
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
        const int32_t code = darvo::ops::DisplayTest(darvo::ops::DisplayTestPattern(step));
        // The first change is reported, the later ones go by.
        if (step == 0 && code != 0) {
            ShowCommandError(code);
            SetBusyCursor();
        }
    }
    if (int32_t code = darvo::ops::DisplayTest(darvo::ops::kDisplayTestEnd); code != 0)
        ShowCommandError(code);
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

// "Szuflada": opens drawer 1 of a closed drawer and tells whether it opened.
void TGlowneOkno::N41Click() {
    uint8_t type = 0;
    if (!DeviceCheck(type)) return;
    if (!darvo::ops::IsSecondGeneration(type)) {
        RefuseCommand(kNotSecondGeneration);
        return;
    }
    SetBusyCursor();
    bool reported = false;
    while (IsDrawerOpen(reported)) {
        ErrorBeep();
        ClearActivityMessage();
        SetArrowCursor();
        if (ShowBox(BoxKind::Question, QStringLiteral("Pytanie"),
                    QStringLiteral("W celu wykonania testu należy zamknąć szufladę.\r           Czy "
                                   "kontynuować?                    ")) != BoxAnswer::Yes) {
            ClearActivityMessage();
            return;
        }
        SetBusyCursor();
    }
    if (reported) return; // the status could not be read: the check has said so

    if (int32_t code = OpenDrawer(1); code != 0) {
        ShowCommandError(code);
        return;
    }
    SetArrowCursor();
    const bool open = IsDrawerOpen(reported);
    if (reported) return;
    ErrorBeep();
    ClearActivityMessage();
    if (open)
        ShowBox(BoxKind::Information, QStringLiteral("Informacja"),
                QStringLiteral("Szuflada została otwarta"));
    else
        ShowBox(BoxKind::Warning, QStringLiteral("Uwaga"),
                QStringLiteral("Szuflada nie została otwarta lub nie jest podłączona"));
    ClearActivityMessage();
}

// "Pamięć PROM": the fiscal memory test, which writes to that memory and
// can be run only a limited number of times: asked for first.
void TGlowneOkno::PamicEPROM1Click() {
    uint8_t type = 0;
    if (!DeviceCheck(type)) return;
    bool reported = false;
    const bool erased = CheckCmosErased(reported);
    if (reported) return;
    if (erased) {
        RefuseCommand(QStringLiteral("Skasowana pamięć CMOS."));
        return;
    }
    if (!PrintStart(type)) return;
    SetArrowCursor();
    ErrorBeep();
    ClearActivityMessage();
    const BoxAnswer answer = ShowBox(
        BoxKind::ErrorQuestion, QStringLiteral("Odpowiedz"),
        QStringLiteral("Test powoduje zapis do pamięci drukarki fiskalnej.\rCelem testu jest sprawdzenie "
                       "poprawności działania\rpamięci drukarki fiskalnej.\rPonieważ test wiąże się z "
                       "zapisaniem informacji do pamięci\rdrukarki fiskalnej, więc nie należy wykonywać "
                       "go niepotrzebnie.\rPrzewidziano możliwość wykonania tego testu 255 razy.\rCzy "
                       "wykonać test?"),
        true);
    if (answer == BoxAnswer::Yes) {
        SetBusyCursor();
        ResumeAfterPaperOut(darvo::ops::EpromTest(), type);
    }
    SetArrowCursor();
    ClearActivityMessage();
}
