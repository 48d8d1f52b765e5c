// The "Testy" menu of the main window: its commands.
#include "printertests/TestsMenu.h"

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

const QString kNotSecondGeneration =
    QStringLiteral("Podłączone urządzenie nie jest drukarką drugiej generacji.");

} // namespace

void TestsMenu::Attach(const MenuItems &items) {
    items.On("Standrukarki1", [this] { CheckReceiptConditions(); });
    items.On("Bajtystatusu1", [this] { ShowStatusMonitor(); });
    items.On("Wy1", [this] { DisplayTest(); });
    items.On("N41", [this] { DrawerTest(); });
    items.On("PamicEPROM1", [this] { FiscalMemoryTest(); });
    items.On("Numerunikatowy1", [this] { ShowUniqueNumber(); });
}

// "Stan drukarki": asks the printer whether a receipt can be issued and
// leads the user through what stands in the way, testing again after each
// remedy until the printer is in order or the user gives up.
void TestsMenu::CheckReceiptConditions() {
    uint8_t type = 0;
    if (!host_.DeviceCheck(type, true)) return;

    const QString error = QStringLiteral("Błąd");
    const QString answer = QStringLiteral("Odpowiedz");
    // A question; true when the user answered Yes.
    auto ask = [](const QString &caption, const QString &text) {
        return ShowBox(BoxKind::WarningQuestion, caption, text) == BoxAnswer::Yes;
    };
    bool again = true;
    while (again) {
        host_.SetBusyCursor();
        const int32_t code = ReceiptConditions();
        ErrorBeep();
        host_.ClearActivityMessage();
        again = false;
        switch (code) {
        case 0:
            host_.SetArrowCursor();
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
                EditUserData();
                again = true;
            }
            break;
        case 105: ErrorBox(QStringLiteral(" Moduł fiskalny znajduje się w trybie \"TYLKO ODCZYT\"")); break;
        case 107:
            ErrorBox(QStringLiteral(" Pamięć CMOS jest skasowana."));
            host_.ClearActivityMessage();
            host_.SetArrowCursor();
            break;
        case 108:
            if (ask(answer, QStringLiteral(" Zaległy raport dobowy.\rCzy wykonać raport?"))) {
                RunDailyReport();
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
                WriteRates();
                again = true;
            }
            break;
        case 237: ErrorBox(QStringLiteral(" Należy wykonać przejście na EURO.")); break;
        default:
            host_.SetArrowCursor();
            again =
                ask(error, ErrorMessageText(code) + QStringLiteral("\r\r Czy powtórzyć sprawdzenie warunków "
                                                                   "wystawienia paragonu?"));
            break;
        }
    }
    host_.SetArrowCursor();
    host_.ClearActivityMessage();
}

void TestsMenu::DisplayTest() {
    TfTestWyswietlacza &dialog = testWyswietlacza_;
    dialog.HideAllPictures();
    uint8_t type = 9;
    if (!host_.DeviceCheck(type)) return;
    if (!darvo::ops::IsSecondGeneration(type)) {
        host_.RefuseCommand(QStringLiteral("Podłączone urządzenie nie jest drukarką drugiej generacji."));
        return;
    }
    const bool pexa = darvo::ops::IsPexaFamily(type);
    host_.SetBusyCursor();
    std::array<QLabel *, 4> pictures{dialog.iTest1, dialog.iTest2, dialog.ITest3, dialog.ITest4};
    if (pexa) {
        bool negative = false;
        if (int32_t code = darvo::ops::DisplayShowsNegative(negative); code != 0) {
            host_.ShowCommandError(code);
            return;
        }
        // The printer set to show pictures negative gets the negative set.
        if (negative) pictures = {dialog.iTest2, dialog.iTest1, dialog.iTest3Neg, dialog.iTest4Neg};
    }
    if (int32_t code = darvo::ops::DisplayTest(darvo::ops::kDisplayTestStart); code != 0) {
        host_.ShowCommandError(code);
        return;
    }
    const int steps = darvo::ops::DisplayTestSteps(pexa);
    for (int step = 0; step < steps; ++step) {
        if (pexa) {
            dialog.ShowPicture(pictures[step]);
            dialog.Label1->setText(QStringLiteral("Test powinien wyświetlić poniższą bitmapę"));
        } else {
            dialog.Label1->setText(SegmentText(step == 1));
        }
        host_.SetArrowCursor();
        ErrorBeep();
        dialog.ShowModal();
        host_.SetBusyCursor();
        if (step + 1 == steps) break;
        const int32_t code = darvo::ops::DisplayTest(darvo::ops::DisplayTestPattern(step));
        // The first change is reported, the later ones go by.
        if (step == 0 && code != 0) {
            host_.ShowCommandError(code);
            host_.SetBusyCursor();
        }
    }
    if (int32_t code = darvo::ops::DisplayTest(darvo::ops::kDisplayTestEnd); code != 0)
        host_.ShowCommandError(code);
    host_.SetArrowCursor();
    host_.ClearActivityMessage();
}

void TestsMenu::ShowUniqueNumber() {
    uint8_t type = 9;
    if (!host_.DeviceCheck(type) || !host_.CmosCheck()) return;
    host_.SetBusyCursor();
    std::string number;
    const int32_t code = ReadUniqueNumber(number);
    host_.SetArrowCursor();
    if (code != 0) {
        host_.ShowCommandError(code);
        return;
    }
    numerUnikatowy_.lNumerUnikatowy->setText(QStringLiteral("Numer unikatowy drukarki: ") +
                                             FromDriver(number));
    ErrorBeep();
    numerUnikatowy_.ShowModal();
    host_.ClearActivityMessage();
}

void TestsMenu::ShowStatusMonitor() {
    uint8_t type = 9;
    if (!host_.DeviceCheck(type)) return;
    ErrorBeep();
    bajtyStatusu_.ShowModal();
    bajtyStatusu_.tStatus->stop();
}

// "Szuflada": opens drawer 1 of a closed drawer and tells whether it opened.
void TestsMenu::DrawerTest() {
    uint8_t type = 0;
    if (!host_.DeviceCheck(type)) return;
    if (!darvo::ops::IsSecondGeneration(type)) {
        host_.RefuseCommand(kNotSecondGeneration);
        return;
    }
    host_.SetBusyCursor();
    bool reported = false;
    while (host_.IsDrawerOpen(reported)) {
        ErrorBeep();
        host_.ClearActivityMessage();
        host_.SetArrowCursor();
        if (ShowBox(BoxKind::Question, QStringLiteral("Pytanie"),
                    QStringLiteral("W celu wykonania testu należy zamknąć szufladę.\r           Czy "
                                   "kontynuować?                    ")) != BoxAnswer::Yes) {
            host_.ClearActivityMessage();
            return;
        }
        host_.SetBusyCursor();
    }
    if (reported) return; // the status could not be read: the check has said so

    if (int32_t code = OpenDrawer(1); code != 0) {
        host_.ShowCommandError(code);
        return;
    }
    host_.SetArrowCursor();
    const bool open = host_.IsDrawerOpen(reported);
    if (reported) return;
    ErrorBeep();
    host_.ClearActivityMessage();
    if (open)
        ShowBox(BoxKind::Information, QStringLiteral("Informacja"),
                QStringLiteral("Szuflada została otwarta"));
    else
        ShowBox(BoxKind::Warning, QStringLiteral("Uwaga"),
                QStringLiteral("Szuflada nie została otwarta lub nie jest podłączona"));
    host_.ClearActivityMessage();
}

// "Pamięć PROM": the fiscal memory test, which writes to that memory and
// can be run only a limited number of times: asked for first.
void TestsMenu::FiscalMemoryTest() {
    uint8_t type = 0;
    if (!host_.DeviceCheck(type)) return;
    bool reported = false;
    const bool erased = host_.CheckCmosErased(reported);
    if (reported) return;
    if (erased) {
        host_.RefuseCommand(QStringLiteral("Skasowana pamięć CMOS."));
        return;
    }
    if (!host_.PrintStart(type)) return;
    host_.SetArrowCursor();
    ErrorBeep();
    host_.ClearActivityMessage();
    const BoxAnswer answer = ShowBox(
        BoxKind::ErrorQuestion, QStringLiteral("Odpowiedz"),
        QStringLiteral("Test powoduje zapis do pamięci drukarki fiskalnej.\rCelem testu jest sprawdzenie "
                       "poprawności działania\rpamięci drukarki fiskalnej.\rPonieważ test wiąże się z "
                       "zapisaniem informacji do pamięci\rdrukarki fiskalnej, więc nie należy wykonywać "
                       "go niepotrzebnie.\rPrzewidziano możliwość wykonania tego testu 255 razy.\rCzy "
                       "wykonać test?"),
        true);
    if (answer == BoxAnswer::Yes) {
        host_.SetBusyCursor();
        host_.ResumeAfterPaperOut(darvo::ops::EpromTest(), type);
    }
    host_.SetArrowCursor();
    host_.ClearActivityMessage();
}
