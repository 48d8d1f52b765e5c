// The "Serwis" menu of the main window: the user data editor, the
// fiscalisation, the settlement report and the erasing of the names-and-rates
// base. The fiscalisation and the settlement report cannot be undone on the
// printer: they are surrounded by checks and questions here; their frames
// are the operations' (ops/).
#include "service/ServiceMenu.h"

#include "common/ErrorBeep.h"
#include "common/MessageBoxes.h"
#include "core/AppState.h"
#include "core/DriverText.h"
#include "core/HeaderLines.h"
#include "service/TfDaneUzytkownika.h"
#include "service/TfDataINumer.h"

#include "darvodr.h"
#include "ops/Codes.h"
#include "ops/Connection.h"
#include "ops/Device.h"
#include "ops/Fiscalisation.h"
#include "ops/NamesBase.h"
#include "ops/Printout.h"
#include "ops/Rates.h"
#include "ops/Settlement.h"
#include "ops/Status.h"
#include "ops/UserData.h"

#include <QProgressBar>
#include <algorithm>
#include <array>

namespace {

namespace ops = darvo::ops;

constexpr int32_t kBadAnswer = ops::kBadAnswer;
constexpr uint16_t kSettlementPrintSeconds = 20;
constexpr uint16_t kFiscalisationPrintSeconds = 10;

const QString kAnswerCaption = QStringLiteral("Odpowiedz");
const QString kInfoCaption = QStringLiteral("Informacja");
const QString kNotSecondGeneration =
    QStringLiteral("Podłączone urządzenie nie jest drukarką drugiej generacji");
const QString kNotFiscalised = QStringLiteral("Drukarka nie została sfiskalizowana.");
const QString kNamesNotErased = QStringLiteral(
    "Baza nazw i stawek nie została skasowana.\r\rMożliwe przyczyny:\r - baza nazw i stawek nie jest jeszcze "
    "zapełniona,\r - przed próbą kasowania nie powstał wydruk kontrolny nazw i stawek.");

const char *SettlementResultText(uint8_t result) {
    switch (result) {
    case 1: return "Nie wykonano raportu rozliczeniowego.\rPodano błędne daty raportów dobowych";
    case 2: return " Nie wykonano raportu rozliczeniowego.\rW podanym okresie brak raportów dobowych";
    case 3: return " Nie wykonano raportu rozliczeniowego.\rPodano błędne numery raportów dobowych";
    case 4:
        return "    Nie wykonano raportu rozliczeniowego.\rMiesiąc za który miał być wydrukowany raport\r    "
               "  "
               "     nie został zakończony.";
    case 5: return "  Nie wykonano raportu rozliczeniowego.\rTyp raportu spoza dopuszczalnego zakresu.";
    case 6: return "Nie wykonano raportu rozliczeniowego.\r    Niespełnione warunki raportu.";
    case 7: return "  Licznik paragonów jest niezerowy.\rNależy wykonać fiskalny raport dobowy.";
    default: return nullptr;
    }
}

} // namespace

void ServiceMenu::Beep() {
    ErrorBeep();
    host_.ClearActivityMessage();
}

// An error box after the warning sound and the cleared activity text.
void ServiceMenu::Refuse(const QString &text) {
    host_.SetArrowCursor();
    Beep();
    ErrorBox(text);
}

void ServiceMenu::Inform(const QString &text) {
    host_.SetArrowCursor();
    Beep();
    ShowBox(BoxKind::Information, kInfoCaption, text);
}

bool ServiceMenu::AskYes(BoxKind kind, const QString &text, bool defaultNo) {
    host_.SetArrowCursor();
    host_.ClearActivityMessage();
    return ShowBox(kind, kAnswerCaption, text, defaultNo) == BoxAnswer::Yes;
}

// The status bits; false after the error box when they cannot be read.
bool ServiceMenu::ReadStatus(ops::StatusBits &bits) {
    ops::Status status;
    if (int32_t code = ops::ReadStatus(status); code != 0) {
        host_.ShowCommandError(code);
        return false;
    }
    bits = status.bits;
    return true;
}

// A non-zero receipt counter may be cleared by a daily report; false when
// the command must end (an error was shown or the user declined).
bool ServiceMenu::DailyReportForCounter(const QString &question) {
    int32_t counter = 0;
    if (int32_t code = ReceiptNumber(&counter); code != 0) {
        host_.ShowCommandError(code);
        return false;
    }
    if (counter == 0) return true;
    if (!AskYes(BoxKind::Question, question)) return false;
    host_.SetBusyCursor();
    host_.ShowActivityMessage(QStringLiteral("Raport dobowy..."));
    if (int32_t code = DailyReport(1); code != 0) {
        host_.ShowCommandError(code);
        return false;
    }
    return true;
}

// The progress bytes a PEXA printer sends while it works, after the byte
// that accepted the frame, until a 0; the bar advances one step a byte.
// False after the error box when a byte does not come or never ends.
bool ServiceMenu::FollowProgress(uint8_t first) {
    QProgressBar *bar = host_.pbFiskal();
    bar->setValue(0);
    bar->show();
    const int32_t code = ops::FollowProgress(first, [this, bar] {
        bar->setValue(std::min(bar->value() + 1, bar->maximum()));
        // The bar is shown at once; input waits until the printer is done.
        host_.Processmessages();
    });
    bar->hide();
    if (code != 0) {
        host_.ShowCommandError(code);
        return false;
    }
    host_.Repaint();
    return true;
}

// Waits for the printout with a longer read time-out; the driver's code.
int32_t ServiceMenu::AwaitPrintout(uint16_t readSeconds, uint8_t deviceType) {
    host_.SetBusyCursor();
    return ops::AwaitPrintout(readSeconds, deviceType);
}

// ---------------------------------------------------------------- settlement

// Asks for today's date and the eight digits of the unique number until
// they match the printer's; false when the user gives up or the number
// cannot be read.
bool ServiceMenu::ConfirmUniqueNumber(QString &date, QString &digits) {
    for (;;) {
        if (!AskDateAndNumber(date, digits)) return false;
        std::string unique;
        if (int32_t code = ReadUniqueNumber(unique); code != 0) {
            host_.ShowCommandError(code);
            return false;
        }
        if (ops::UniqueDigitsMatch(unique, digits.toStdString())) return true;
        host_.SetArrowCursor();
        ErrorBeep();
        if (ShowBox(BoxKind::ErrorQuestion, QStringLiteral("Błąd"),
                    QStringLiteral("Niewłaściwy numer unikatowy\r\r   Czy spróbować ponownie? ")) !=
            BoxAnswer::Yes)
            return false;
    }
}

// Sends the settlement frame and acts on the printer's result byte.
void ServiceMenu::SendSettlement(int mode, uint8_t deviceType, const QString &date, const QString &digits,
                                 const ops::RangeRecord &range) {
    ops::SettlementRequest request;
    request.kind = static_cast<ops::SettlementKind>(mode);
    request.digits = digits.toStdString();
    request.date = date.toStdString();
    request.range = range;
    const std::vector<uint8_t> frame = ops::SettlementFrame(request);
    if (frame.empty()) {
        host_.ShowCommandError(ops::kOutOfRange);
        return;
    }
    uint8_t result = 0;
    host_.SetBusyCursor();
    if (int32_t code = ops::SendSettlement(frame, result); code != 0) {
        host_.ShowCommandError(code);
        return;
    }
    if (result == 0) {
        if (int32_t code = AwaitPrintout(kSettlementPrintSeconds, deviceType); code != 0)
            host_.ShowCommandError(code);
        return;
    }
    if (const char *text = SettlementResultText(result)) Refuse(QString::fromUtf8(text));
}

// The settlement report: mode 1 the whole fiscal memory, 2 by dates, 3 by
// report numbers. It puts the printer into read-only mode for good.
void ServiceMenu::SettlementReport(int mode) {
    MenuHost &w = host_;
    uint8_t type = 0;
    if (!w.DeviceCheck(type)) return;
    if (!ops::IsSecondGeneration(type)) {
        Inform(kNotSecondGeneration);
        return;
    }
    ops::StatusBits s;
    if (!ReadStatus(s)) return;
    const char *blocked = nullptr;
    switch (ops::SettlementBlockerOf(s)) {
    case ops::SettlementBlocker::None: break;
    case ops::SettlementBlocker::NoMakerData:
        blocked = "Brak danych producenta w drukarce.\r     Wykonanie raportu rozliczeniowego jest "
                  "niemożliwe.     ";
        break;
    case ops::SettlementBlocker::NoController:
        blocked = "     Brak komunikacji z kontrolerem drukarki.\rWykonanie raportu rozliczeniowego jest "
                  "niemożliwe.";
        break;
    case ops::SettlementBlocker::PrinterFailure:
        blocked = "                 Awaria drukarki.\rWykonanie raportu rozliczeniowego jest niemożliwe.";
        break;
    case ops::SettlementBlocker::CmosErased:
        blocked = "              Skasowana pamięć CMOS.\rWykonanie raportu rozliczeniowego jest niemożliwe.";
        break;
    case ops::SettlementBlocker::NoUserData:
        blocked = "             Brak danych użytkownika.\rWykonanie raportu rozliczeniowego jest niemożliwe.";
        break;
    case ops::SettlementBlocker::TrainingMode:
        blocked = "      Drukarka pracuje w trybie szkoleniowym.\rWykonanie raportu rozliczeniowego jest "
                  "niemożliwe.";
        break;
    }
    if (blocked) {
        Refuse(QString::fromUtf8(blocked));
        return;
    }

    bool wasReadOnly = s.readOnly;
    if (!wasReadOnly &&
        !DailyReportForCounter(QStringLiteral("Niezerowy licznik paragonów.\r\r Czy wykonać raport dobowy?")))
        return;
    if (!ReadStatus(s)) return;
    if (!s.readOnly) {
        wasReadOnly = false;
        w.ClearActivityMessage();
        if (!AskYes(BoxKind::WarningQuestion,
                    QStringLiteral(
                        "      Raport rozliczeniowy kończy pracę drukarki fiskalnej.\rPo wykonaniu tego "
                        "raportu nie jest możliwe prowadzenie sprzedaży.\r\r      UWAGA! PO WYKONANIU "
                        "RAPORTU ROZLICZENIOWEGO \r       DRUKARKA PRZECHODZI W TRYB \"TYLKO ODCZYT\"! "
                        "\r\r              Czy wydrukować raport rozliczeniowy?"),
                    true)) {
            w.ClearActivityMessage();
            return;
        }
    } else {
        wasReadOnly = true;
    }

    QString date, digits;
    if (!ConfirmUniqueNumber(date, digits)) {
        w.SetArrowCursor();
        w.ClearActivityMessage();
        return;
    }

    if (!wasReadOnly) {
        const QString head =
            QStringLiteral("Posłanie sekwencji wykonania raportu\rrozliczeniowego z prawidłową "
                           "bieżącą datą\ri numerem unikatowym powoduje\rprzejście w tryb \"TYLKO "
                           "ODCZYT\"\r\r");
        const QString range =
            QStringLiteral(": początkowej\ri końcowej raportów dobowych jest konieczne\rjedynie "
                           "do wydrukowania raportu rozliczeniowego\r\r");
        QString text = head;
        if (mode == 2) text += QStringLiteral("Podanie prawidłowych dat") + range;
        if (mode == 3) text += QStringLiteral("Podanie prawidłowych numerów") + range;
        text += QStringLiteral("   Czy przejść w tryb TYLKO ODCZYT? ");
        if (!AskYes(BoxKind::WarningQuestion, text, true)) {
            w.ClearActivityMessage();
            return;
        }
    }

    ops::RangeRecord range{};
    if (mode == 2 || mode == 3) {
        ErrorBeep();
        if (!AskSettlementRange(mode == 2, range)) {
            // The numbers dialog has reopened the port for a long report.
            ops::UsualTimeouts();
            w.SetArrowCursor();
            w.ClearActivityMessage();
            return;
        }
        // The printer searches its fiscal memory for the range before it
        // answers: the result byte is awaited as long as a period report's.
        ops::PeriodReportTimeout();
    }

    SendSettlement(mode, type, date, digits, range);
    // The long wait for a range's result byte is over, whichever way.
    ops::UsualTimeouts();

    if (!wasReadOnly) {
        bool reported = false;
        if (w.IsReadOnlyMode(reported)) Inform(ConditionMessage(ops::PrintBlocker::ReadOnly));
    }
    w.SetArrowCursor();
    w.ClearActivityMessage();
}

// ------------------------------------------------------------- fiscalisation

// The outcome of an accepted fiscalisation frame: the progress of a PEXA,
// the printout, and what the status then says.
void ServiceMenu::FinishFiscalisation(uint8_t first, uint8_t type) {
    MenuHost &w = host_;
    if (ops::IsPexaFamily(type) && !FollowProgress(first)) return;
    if (int32_t code = AwaitPrintout(kFiscalisationPrintSeconds, type); code != 0) {
        w.ShowCommandError(code);
        return;
    }
    w.SetArrowCursor();
    bool reported = false;
    if (w.IsReadOnlyMode(reported)) {
        Refuse(ConditionMessage(ops::PrintBlocker::ReadOnly));
        return;
    }
    if (reported) return;
    const bool fiscal = w.IsPrinterFiscal(reported);
    if (reported) return;
    if (!fiscal)
        Refuse(kNotFiscalised);
    else
        Inform(QStringLiteral("Drukarka została sfiskalizowana."));
}

void ServiceMenu::SwitchToFiscalMode() {
    MenuHost &w = host_;
    uint8_t type = 0;
    if (!w.DeviceCheck(type)) return;
    deviceType_ = type;
    if (!ops::IsSecondGeneration(type)) {
        Inform(kNotSecondGeneration);
        return;
    }
    ops::StatusBits s;
    if (!ReadStatus(s)) return;
    switch (ops::FiscalisationBlockerOf(s)) {
    case ops::FiscalisationBlocker::None: break;
    case ops::FiscalisationBlocker::NoMakerData:
        Refuse(QStringLiteral("Brak danych producenta w drukarce.\r     Wykonanie fiskalizacji drukarki jest "
                              "niemożliwe.     "));
        return;
    case ops::FiscalisationBlocker::AlreadyFiscal:
        Inform(QStringLiteral("Drukarka pracuje już w trybie fiskalnym."));
        return;
    case ops::FiscalisationBlocker::CmosErased:
        Refuse(QStringLiteral(
            "              Skasowana pamięć CMOS.  \rWykonanie fiskalizacji drukarki jest niemożliwe."));
        return;
    case ops::FiscalisationBlocker::ServiceJumperNormal:
        Inform(QStringLiteral(
            "      Zwora serwisowa w pozycji normalnej.\rWykonanie fiskalizacji drukarki jest niemożliwe."));
        return;
    case ops::FiscalisationBlocker::NoUserData:
        Refuse(QStringLiteral(
            "  Brak danych użytkownika w drukarce.  \rWykonanie fiskalizacji drukarki jest niemożliwe.."));
        return;
    }

    if (!DailyReportForCounter(QStringLiteral("              Niezerowy licznik paragonów.\rAby sfiskalizować "
                                              "drukarkę należy wykonać raport dobowy.\r\r               Czy "
                                              "wykonać raport dobowy?"))) {
        w.ClearActivityMessage();
        return;
    }
    if (!w.PrintStart(type)) return;
    w.SetArrowCursor();
    ErrorBeep();
    if (!AskYes(
            BoxKind::Question,
            QStringLiteral(
                "Fiskalizacja drukarki jest operacją nieodwracalną.\rPo przełączeniu drukarki w tryb "
                "fiskalny "
                "do pamięci fiskalnej\rzapisany zostanie istniejący w drukarce numer NIP\r\rUWAGA! W TRYBIE "
                "FISKALNYM NIE MA JUŻ MOŻLIWOŚCI SKORYGOWANIA\rWPROWADZONEGO NUMERU IDENTYFIKACJI "
                "PODATKOWEJ UŻYTKOWNIKA.\r\rPrzebieg procesu fiskalizacji:\r* wykonanie kontrolnego "
                "wydruku nagłówka,\r* ustawienie stawek podatkowych,\r* wykonanie fiskalizacji drukarki "
                "połączone z zapisem\r  stawek podatkowych do pamięci fiskalnej drukarki.\r\r               "
                "                Czy rozpocząć proces fiskalizacji?"))) {
        w.ClearActivityMessage();
        return;
    }

    QString which;
    switch (type) {
    case 8:
        which =
            QStringLiteral("Do komputera podłączona jest drukarka DARVO PEXA F.\r      Jest ona przeznaczona "
                           "WYŁĄCZNIE do aptek.\r\r                     Czy kontynuować?");
        break;
    case 6:
        which = QStringLiteral(
            "Do komputera podłączona jest drukarka DARVO NIVRA F.\r      Jest ona przeznaczona "
            "WYŁĄCZNIE do aptek.\r\r                     Czy kontynuować?");
        break;
    case 7:
        which =
            QStringLiteral("Do komputera podłączona jest drukarka DARVO PEXA.\r    Jest ona przeznaczona "
                           "wyłącznie do sklepów.\r         NIE WOLNO używać jej w aptekach.\r\r            "
                           "          Czy kontynuować?");
        break;
    default:
        which =
            QStringLiteral("Do komputera podłączona jest drukarka DARVO NIVRA.\r    Jest ona przeznaczona "
                           "wyłącznie do sklepów.\r         NIE WOLNO używać jej w aptekach.\r\r            "
                           "          Czy kontynuować?");
        break;
    }
    ErrorBeep();
    if (!AskYes(BoxKind::Question, which, true)) {
        w.ClearActivityMessage();
        return;
    }

    const bool pexa = ops::IsPexaFamily(type);
    darvo::ops::UserDataLines lines;
    uint8_t flags = 0;
    w.SetBusyCursor();
    if (int32_t code = ops::ReadUserData(pexa ? 6 : 4, lines, flags); code != 0) {
        w.ShowCommandError(code);
        return;
    }
    w.SetArrowCursor();
    switch (CheckNip(FromDriver(lines[pexa ? 5 : 3]))) {
    case kNipCorrect: break;
    case kNipWrong:
        Beep();
        if (ShowBox(
                BoxKind::WarningQuestion, QStringLiteral("Błąd"),
                QStringLiteral("NUMER NIP ZOSTAŁ WPROWADZONY NIEPRAWIDŁOWO\r   Program wykrył błędną sumę "
                               "kontrolną.  \rAby wyjść z procedury fiskalizacji naciśnij NIE. \r      Aby "
                               "kontynuować naciśnij TAK.       ")) != BoxAnswer::Yes) {
            w.ClearActivityMessage();
            return;
        }
        break;
    case kNipNoDigits:
        Refuse(QStringLiteral(
            "NUMER NIP ZOSTAŁ WPROWADZONY NIEPRAWIDŁOWO\r                      Brak cyfr w ciągu "
            "znaków.         "));
        return;
    default:
        Refuse(QStringLiteral(
            "NUMER NIP ZOSTAŁ WPROWADZONY NIEPRAWIDŁOWO\r     Brak słowa 'NIP' w ciągu znaków     "));
        return;
    }

    Inform(QStringLiteral(
        "W drukarce są wpisane dane użytkownika.\rW celu ich weryfikacji zostanie "
        "wykonany\rkontrolny wydruk nagłówka.\rNależy sprawdzić poprawność danych ponieważ\rpo "
        "fiskalizacji NIE MOŻNA ZMIENIĆ numeru NIP"));
    w.SetBusyCursor();
    if (int32_t code = ops::PrintUserDataCheck(pexa ? 5 : 4, lines); code != 0) {
        w.ShowCommandError(code);
        return;
    }
    ErrorBeep();
    if (!AskYes(BoxKind::Question,
                QStringLiteral("Czy otrzymano poprawny wydruk kontrolny nagłówka paragonu?"))) {
        w.ClearActivityMessage();
        return;
    }

    int32_t count = 0;
    std::array<int32_t, 7> r{};
    w.SetBusyCursor();
    if (int32_t code = ops::ReadRates(count, r); code != 0) {
        w.ShowCommandError(code);
        return;
    }
    w.SetArrowCursor();
    std::array<int32_t, 7> rates = ops::RatesToOffer(r);
    ErrorBeep();
    if (!AskFiscalisationRates(rates)) {
        w.ClearActivityMessage();
        return;
    }

    ErrorBeep();
    if (!AskYes(BoxKind::Question, QStringLiteral("Czy dokonać przełączenia w tryb fiskalny?"), true)) {
        w.ClearActivityMessage();
        return;
    }

    uint8_t first = 0;
    w.SetBusyCursor();
    if (int32_t code = ops::SendFiscalisation(rates, first); code != 0) {
        w.ShowCommandError(code);
        return;
    }
    if (first == ops::kRefused)
        Refuse(kNotFiscalised);
    else if (first == ops::kAccepted || ops::IsPexaFamily(type))
        FinishFiscalisation(first, type);
    else
        Refuse(QStringLiteral("Niepoprawna odpowiedź z drukarki."));
    w.SetArrowCursor();
    w.ClearActivityMessage();
}

void ServiceMenu::Attach(const MenuItems &items) {
    items.On("Odczytuytkownika1", [this] { EditUserData(); });
    items.On("Przeczeniewtrybfiskalny1", [this] { Fiscalise(); });
    items.On("Cao1", [this] { SettleWholeMemory(); });
    items.On("Wedugdat3", [this] { SettleByDates(); });
    items.On("Wedugnumerw3", [this] { SettleByNumbers(); });
    items.On("Bazanazwitowarw1", [this] { EraseNamesBase(); });
}

// "Użytkownik": the user data editor. Without a printer that answers, the
// user may still work on the files of user data.
void ServiceMenu::EditUserData() {
    ops::ReleasePort();
    ops::OpenPort(host_.ChosenPort());
    std::string date, time;
    const int32_t probe = ReadClock(date, time);
    if (probe == 20 || probe == 21 || probe == 23) {
        Beep();
        if (ShowBox(BoxKind::Question, kAnswerCaption,
                    QStringLiteral(
                        "Brak komunikacji z drukarką fiskalną (niewłaściwie ustawione parametry "
                        "komunikacji).\r                  Czy przejść do edycji danych użytkownika?")) !=
            BoxAnswer::Yes) {
            host_.ClearActivityMessage();
            return;
        }
    } else {
        uint8_t type = 0;
        if (!host_.DeviceCheck(type)) return;
        bool reported = false;
        const bool erased = host_.CheckCmosErased(reported);
        if (reported) return;
        if (erased) {
            ErrorBeep();
            ErrorBox(QStringLiteral("Skasowana pamięć CMOS."));
            host_.ClearActivityMessage();
            return;
        }
        uint8_t read = 0;
        if (int32_t code = ops::ReadDeviceType(read); code != 0)
            host_.ShowCommandError(code);
        else
            deviceType_ = read;
        if (ops::IsFirstGeneration(deviceType_)) {
            Refuse(kNotSecondGeneration);
            return;
        }
    }
    ErrorBeep();
    ShowUserDataDialog(deviceType_);
    host_.ClearActivityMessage();
}

void ServiceMenu::Fiscalise() {
    host_.pbFiskal()->setValue(0);
    SwitchToFiscalMode();
    host_.pbFiskal()->hide();
    host_.ClearActivityMessage();
}

void ServiceMenu::SettleWholeMemory() {
    SettlementReport(1);
}

void ServiceMenu::SettleByDates() {
    SettlementReport(2);
}

void ServiceMenu::SettleByNumbers() {
    SettlementReport(3);
}

// "Baza nazw i stawek": erases the base of article names and rates, which
// the printer allows after a daily report and a control printout of the base
// made by the point-of-sale program.
void ServiceMenu::EraseNamesBase() {
    uint8_t type = 0;
    if (!host_.DeviceCheck(type)) return;
    if (!host_.CmosCheck()) return;
    ops::StatusBits s;
    if (!ReadStatus(s)) return;
    switch (ops::NamesEraseBlockerOf(s)) {
    case ops::NamesEraseBlocker::None: break;
    case ops::NamesEraseBlocker::NoUserData:
        Refuse(QStringLiteral(
            "  Brak danych użytkownika w drukarce.  \rNie można skasować bazy nazw i towarów."));
        return;
    case ops::NamesEraseBlocker::ServiceJumperSet:
        Refuse(QStringLiteral(
            " Zwora serwisowa w pozycji serwisowej. \rNie można skasować bazy nazw i towarów."));
        return;
    }
    int32_t counter = 0;
    if (int32_t code = ReceiptNumber(&counter); code != 0) {
        host_.ShowCommandError(code);
        return;
    }
    if (counter != 0) {
        Refuse(QStringLiteral("     Niezerowy licznik paragonów.      \rNie można skasować bazy nazw i "
                              "towarów.\r Należy wykonać najpierw raport dobowy."));
        return;
    }
    if (!host_.PrintStart(type)) return;
    std::string unique;
    if (int32_t code = ReadUniqueNumber(unique); code != 0) {
        host_.ShowCommandError(code);
        return;
    }
    uint8_t confirmation = 0;
    if (!ops::NamesEraseConfirmation(unique, confirmation)) {
        host_.ShowCommandError(kBadAnswer);
        return;
    }

    ops::ReleasePort();
    host_.SetArrowCursor();
    Beep();
    if (ShowBox(
            BoxKind::Question, kAnswerCaption,
            QStringLiteral("W celu skasowania bazy nazw i towarów po raporcie dobowym\rnależy wykonać wydruk "
                           "kontrolny bazy nazw i stawek Z PROGRAMU SPRZEDAŻY\rCzy został wykonany wydruk "
                           "kontrolny nazw i stawek?")) != BoxAnswer::Yes) {
        host_.ClearActivityMessage();
        return;
    }

    host_.ChooseDialogsPort();
    const ops::PortChoice chosen = host_.ChosenPort();
    ops::PurgePort();
    if (int32_t opened = host_.ReopenPort(chosen.port, chosen.speed); opened != 0) {
        host_.ShowOpeningResult(opened, chosen.port);
        host_.ClearActivityMessage();
        return;
    }

    uint8_t result = 0;
    host_.SetBusyCursor();
    const int32_t code = ops::EraseNamesBase(confirmation, result);
    if (code == ops::kNak) {
        Refuse(kNamesNotErased);
        return;
    }
    if (code != 0) {
        host_.ShowCommandError(code);
        return;
    }
    if (result == ops::kRefused) {
        Refuse(kNamesNotErased);
    } else if (result == ops::kAccepted) {
        if (ops::IsPexaFamily(type) && !FollowProgress(result)) return;
        if (int32_t printed = PrintControl(0, type); printed != 0) {
            host_.ShowCommandError(printed);
            return;
        }
        Inform(QStringLiteral("Baza nazw i stawek została skasowana"));
    } else {
        Refuse(ErrorMessageText(1));
    }
    host_.SetArrowCursor();
    host_.ClearActivityMessage();
}

bool ServiceMenu::AskDateAndNumber(QString &date, QString &digits) {
    dataINumer_.Prepare(); // yesterday, no number
    if (dataINumer_.ShowModal() != TfDataINumer::kYes) return false;
    date = dataINumer_.DateText();
    digits = dataINumer_.Number();
    return true;
}

void ServiceMenu::ShowUserDataDialog(uint8_t deviceType) {
    const bool sixLines = deviceType == 7 || deviceType == 8 || deviceType == 9;
    daneUzytkownika_.SetLayout(sixLines ? TfDaneUzytkownika::kSixLines : TfDaneUzytkownika::kFourLines);
    daneUzytkownika_.ShowModal();
}
