// The "Testy" menu of the main window: its commands.
#include "NivraSWindows.h"

#include "DriverText.h"
#include "ErrorBeep.h"
#include "MessageBoxes.h"
#include "ustatusy.h"

#include "darvodr.h"
#include "darvodr/Service.h"
#include "darvodr/Session.h"

#include <QAction>
#include <QTimer>

namespace {

const QString kNotSecondGeneration =
    QStringLiteral("Podłączone urządzenie nie jest drukarką drugiej generacji.");

// Runs another menu command as if its item had been chosen.
void RunMenuCommand(const char *item) {
    if (QAction *action = GlowneOkno->Item(QString::fromLatin1(item))) action->trigger();
}

} // namespace

void TGlowneOkno::ConnectTestsMenu() {
    OnItem("Standrukarki1", &TGlowneOkno::Standrukarki1Click);
    OnItem("Bajtystatusu1", &TGlowneOkno::Bajtystatusu1Click);
    OnItem("N41", &TGlowneOkno::N41Click);
    OnItem("PamicEPROM1", &TGlowneOkno::PamicEPROM1Click);
}

// "Stan drukarki": asks the printer whether a receipt can be issued and
// leads the user through what stands in the way, testing again after each
// remedy until the printer is in order or the user gives up.
void TGlowneOkno::Standrukarki1Click() {
    uint8_t type = 0;
    bool reported = false;
    if (!CheckConnectedDevice(type, reported)) {
        if (!reported) {
            ErrorBeep();
            ClearActivityMessage();
            ErrorBox(QStringLiteral("Podłączone urządzenie nie jest drukarką fiskalną."));
        }
        ClearActivityMessage();
        return;
    }

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
                RunMenuCommand("Fiskalnydobowy1");
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
                RunMenuCommand("Zapis1");
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
    if (!darvo::IsSecondGeneration(type)) {
        ErrorBeep();
        ClearActivityMessage();
        ErrorBox(kNotSecondGeneration);
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
        ErrorBeep();
        ClearActivityMessage();
        ErrorBox(QStringLiteral("Skasowana pamięć CMOS."));
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
        ResumeAfterPaperOut(darvo::EpromTest(), type);
    }
    SetArrowCursor();
    ClearActivityMessage();
}
