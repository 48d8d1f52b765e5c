// The "Raporty" menu of the main window: its commands.
#include "reports/ReportsMenu.h"

#include "common/ErrorBeep.h"
#include "common/MessageBoxes.h"
#include "core/AppState.h"
#include "core/DriverText.h"
#include "core/NamesFile.h"
#include "reports/TfOkresoweMiesieczne.h"
#include "reports/TfOkresoweWgNumerow.h"
#include "reports/TfRaportyOkresoweWgDat.h"

#include "darvodr.h"
#include "ops/Connection.h"
#include "ops/Device.h"
#include "ops/Reports.h"

#include <QDateEdit>
#include <QDateTime>
#include <QFile>
#include <QSpinBox>

namespace {

const QString kAnswerCaption = QStringLiteral("Odpowiedz");
const QString kInformationCaption = QStringLiteral("Informacja");

} // namespace

void ReportsMenu::Attach(const MenuItems &items) {
    items.On("Fiskalnydobowy1", [this] { PrintDailyReport(); });
    items.On("Finansowypodatkowy1", [this] { PrintFinancialReport(); });
    items.On("Stanudrukarki1", [this] { PrintPrinterState(); });
    items.On("Miesiczny1", [this] { ShortMonthlyReport(); });
    items.On("Wedugdat1", [this] { ShortReportByDates(); });
    items.On("Wedugnumerw1", [this] { ShortReportByNumbers(); });
    items.On("Miesiczny2", [this] { DetailedMonthlyReport(); });
    items.On("Wedugdat2", [this] { DetailedReportByDates(); });
    items.On("Wedugnumerw2", [this] { DetailedReportByNumbers(); });
    items.On("Nazwtowarwzablokowanych1", [this] { PrintLockedArticles(); });
    items.On("Opiswstaych1", [this] { PrintFixedDescriptions(); });
    items.On("Wydrukkontrolnynazwistawek1", [this] { NamesBaseControlPrintout(); });
    items.On("Kasowaniebuforawycen1", [this] { ClearPriceBuffer(); });
    items.On("Zdalnewyaczeniedrukarki1", [this] { SwitchPrinterOff(); });
}

void ReportsMenu::PrintDailyReport() {
    uint8_t type = 9;
    if (!host_.DeviceCheck(type)) return;
    if (!host_.PrintConditionsCheck()) return;

    int32_t counter = 0;
    if (int32_t code = ReceiptNumber(&counter); code != 0) {
        host_.ShowCommandError(code);
        return;
    }
    if (counter == 0 && darvo::ops::PrintsNoEmptyDailyReport(type)) {
        host_.SetArrowCursor();
        host_.RefuseCommand(
            QStringLiteral("  Licznik paragonów jest równy 0.   \rNie można wykonać raportu dobowego."));
        return;
    }
    host_.SetArrowCursor();
    ErrorBeep();
    host_.ClearActivityMessage();
    const QString question =
        counter == 0 ? QStringLiteral("  Licznik paragonów jest równy 0   \rCzy wykonać raport dobowy?")
                     : QStringLiteral("Czy wykonać raport dobowy?");
    if (ShowBox(BoxKind::Question, kAnswerCaption, question) != BoxAnswer::Yes) {
        host_.ClearActivityMessage();
        return;
    }
    host_.SetBusyCursor();
    host_.ShowActivityMessage(QStringLiteral("Raport dobowy..."));
    host_.ResumeAfterPaperOut(DailyReport(1), type);
}

void ReportsMenu::PrintFinancialReport() {
    uint8_t type = 9;
    if (!host_.DeviceCheck(type)) return;
    host_.SetBusyCursor();
    if (!host_.CmosCheck()) {
        host_.SetArrowCursor();
        return;
    }
    bool errorReported = false;
    const bool readOnly = host_.IsReadOnlyMode(errorReported);
    if (errorReported) {
        host_.ClearActivityMessage();
        return;
    }
    if (readOnly) {
        host_.SetArrowCursor();
        host_.RefuseCommand(ConditionMessage(darvo::ops::PrintBlocker::ReadOnly));
        return;
    }
    int32_t counter = 0;
    if (int32_t code = ReceiptNumber(&counter); code != 0) {
        host_.ShowCommandError(code);
        return;
    }
    if (!darvo::ops::IsPexaFamily(type)) {
        host_.SetArrowCursor();
        host_.RefuseCommand(QStringLiteral("  Drukarka nie obsługuje wydruku raportu finansowego "));
        return;
    }
    if (!host_.PrintStart(type)) return;
    host_.ResumeAfterPaperOut(darvo::ops::FinancialTaxReport(), type);
}

namespace {
// The steps of the printer status, locked names and fixed descriptions reports.
void SimpleReport(MenuHost &w, int32_t (*report)()) {
    uint8_t type = 9;
    if (!w.DeviceCheck(type)) return;
    w.SetBusyCursor();
    if (!w.CmosCheck()) {
        w.SetArrowCursor();
        return;
    }
    if (!w.PrintStart(type)) return;
    w.ResumeAfterPaperOut(report(), type);
}
} // namespace

void ReportsMenu::PrintPrinterState() {
    SimpleReport(host_, [] { return PrinterStatusReport(); });
}

void ReportsMenu::PrintLockedArticles() {
    SimpleReport(host_, [] { return LockedArticlesReport(); });
}

void ReportsMenu::PrintFixedDescriptions() {
    SimpleReport(host_, [] { return darvo::ops::FixedDescriptionsReport(); });
}

void ReportsMenu::PeriodicReport(darvo::ops::PeriodKind kind) {
    uint8_t type = 9;
    if (!host_.DeviceCheck(type)) return;
    if (!host_.CmosCheck()) return;
    bool errorReported = false;
    const bool fiscal = host_.IsPrinterFiscal(errorReported);
    if (errorReported) {
        host_.ClearActivityMessage();
        return;
    }
    if (!fiscal) {
        host_.SetArrowCursor();
        ErrorBeep();
        host_.ClearActivityMessage();
        ShowBox(
            BoxKind::Information, kInformationCaption,
            QStringLiteral("Drukarka pracuje w trybie szkoleniowym.\r    Wydruk raportu nie jest możliwy."));
        return;
    }
    const bool detailed = darvo::ops::IsDetailed(kind);
    const QString which = detailed ? QStringLiteral("szczegółowy") : QStringLiteral("skrócony");
    const QDateTime now = CurrentDateTime();
    switch (kind) {
    case darvo::ops::PeriodKind::DetailedByDates:
    case darvo::ops::PeriodKind::ShortByDates:
        raportyOkresoweWgDat_.setWindowTitle(QStringLiteral("Raport %1 według dat...").arg(which));
        raportyOkresoweWgDat_.dtOd->setDate(now.date());
        raportyOkresoweWgDat_.dtDo->setDate(now.date());
        ErrorBeep();
        raportyOkresoweWgDat_.ShowFor(kind);
        break;
    case darvo::ops::PeriodKind::DetailedByNumbers:
    case darvo::ops::PeriodKind::ShortByNumbers:
        okresoweWgNumerow_.setWindowTitle(QStringLiteral("Raport %1 według numerów...").arg(which));
        okresoweWgNumerow_.seOd->setValue(1);
        okresoweWgNumerow_.seDo->setValue(1);
        ErrorBeep();
        okresoweWgNumerow_.ShowFor(kind);
        break;
    default: {
        // The month before this one.
        const int year = now.date().year(), month = now.date().month();
        okresoweMiesieczne_.setWindowTitle(QStringLiteral("Raport %1 miesięczny...").arg(which));
        okresoweMiesieczne_.seRok->setValue(month == 1 ? year - 1 : year);
        okresoweMiesieczne_.seMiesiac->setValue(month >= 2 ? month - 1 : 12);
        ErrorBeep();
        okresoweMiesieczne_.ShowFor(kind);
        host_.ClearActivityMessage();
        break;
    }
    }
    host_.SetArrowCursor();
}

void ReportsMenu::ShortMonthlyReport() {
    PeriodicReport(darvo::ops::PeriodKind::ShortMonthly);
}
void ReportsMenu::ShortReportByDates() {
    PeriodicReport(darvo::ops::PeriodKind::ShortByDates);
}
void ReportsMenu::ShortReportByNumbers() {
    PeriodicReport(darvo::ops::PeriodKind::ShortByNumbers);
}
void ReportsMenu::DetailedMonthlyReport() {
    PeriodicReport(darvo::ops::PeriodKind::DetailedMonthly);
}
void ReportsMenu::DetailedReportByDates() {
    PeriodicReport(darvo::ops::PeriodKind::DetailedByDates);
}
void ReportsMenu::DetailedReportByNumbers() {
    PeriodicReport(darvo::ops::PeriodKind::DetailedByNumbers);
}

void ReportsMenu::NamesBaseControlPrintout() {
    const QString fileName = QStringLiteral("baza.txt");
    if (!QFile::exists(fileName)) {
        ErrorBox(QStringLiteral("Brak pliku baza.txt"));
        host_.SetArrowCursor();
        host_.ClearActivityMessage();
        return;
    }
    QFile file(fileName); // closed when the command ends, whatever the outcome
    if (!file.open(QIODevice::ReadOnly)) {
        ErrorBox(QStringLiteral("Błąd otwarcia pliku baza.txt"));
        return;
    }
    host_.SetBusyCursor();
    auto failed = [this, &file](int32_t code) {
        if (code == 0) return false;
        file.close();
        host_.SetArrowCursor();
        ErrorBeep();
        ErrorBox(ErrorMessageText(code));
        host_.ClearActivityMessage();
        return true;
    };
    bool begun = false;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        if (line.endsWith('\n')) line.chop(1);
        if (line.endsWith('\r')) line.chop(1);
        std::string name;
        uint8_t rate = 'A';
        if (!SplitNamesLine(line, name, rate)) continue;
        if (!begun && failed(darvo::ops::NamesBasePrintBegin())) return;
        begun = true;
        if (failed(darvo::ops::NamesBasePrintItem(name, rate))) return;
    }
    if (file.error() != QFileDevice::NoError) {
        host_.SetArrowCursor();
        ErrorBox(QStringLiteral("Błąd otwarcia pliku baza.txt"));
        host_.ClearActivityMessage();
        return;
    }
    if (failed(darvo::ops::NamesBasePrintEnd())) return;
    host_.SetArrowCursor();
    host_.ClearActivityMessage();
}

void ReportsMenu::ClearPriceBuffer() {
    uint8_t type = 9;
    if (!host_.DeviceCheck(type)) return;
    if (!host_.CmosCheck()) return;
    host_.SetBusyCursor();
    if (int32_t code = darvo::ops::ReadDeviceType(type); code != 0) {
        host_.ShowCommandError(code);
        return;
    }
    if (!darvo::ops::IsPharmacy(type)) {
        host_.SetArrowCursor();
        host_.RefuseCommand(QStringLiteral("To nie jest drukarka apteczna."));
        return;
    }
    if (int32_t code = darvo::ops::ClearPriceBuffer(); code != 0) {
        host_.ShowCommandError(code);
        return;
    }
    host_.SetArrowCursor();
    ErrorBeep();
    host_.ClearActivityMessage();
    ShowBox(BoxKind::Information, kInformationCaption, QStringLiteral("Bufor wycen skasowano."));
}

void ReportsMenu::SwitchPrinterOff() {
    uint8_t type = 9;
    if (!host_.DeviceCheck(type)) return;
    if (int32_t code = darvo::ops::ReadDeviceType(type); code != 0) {
        host_.ShowCommandError(code);
        host_.ClearActivityMessage();
        return;
    }
    if (darvo::ops::IsSecondGeneration(type)) {
        host_.SetBusyCursor();
        // The printer may fall silent before it has answered: it is reported
        // switched off whatever the command returned.
        host_.ShowCommandError(darvo::ops::PowerOff());
        ShowBox(BoxKind::Information, kInformationCaption, QStringLiteral("Drukarka została wyłączona"));
        host_.SetArrowCursor();
    } else {
        host_.SetArrowCursor();
        host_.RefuseCommand(QStringLiteral("Podłączone urządzenie nie jest drukarką drugiej generacji"));
    }
    host_.ClearActivityMessage();
}

bool ReportsMenu::AskSettlementRange(bool byDates, darvo::ops::RangeRecord &range) {
    if (byDates) {
        const QDate today = CurrentDateTime().date();
        raportyOkresoweWgDat_.dtOd->setDate(today);
        raportyOkresoweWgDat_.dtDo->setDate(today);
        return raportyOkresoweWgDat_.CollectRange(range);
    }
    okresoweWgNumerow_.seOd->setValue(1);
    okresoweWgNumerow_.seDo->setValue(1);
    return okresoweWgNumerow_.CollectRange(range);
}
