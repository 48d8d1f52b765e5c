// The "Raporty" menu of the main window: its commands.
#include "shell/TGlowneOkno.h"

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

void TGlowneOkno::ConnectReportsMenu() {
    OnItem("Fiskalnydobowy1", &TGlowneOkno::Fiskalnydobowy1Click);
    OnItem("Finansowypodatkowy1", &TGlowneOkno::Finansowypodatkowy1Click);
    OnItem("Stanudrukarki1", &TGlowneOkno::Stanudrukarki1Click);
    OnItem("Miesiczny1", &TGlowneOkno::Miesiczny1Click);
    OnItem("Wedugdat1", &TGlowneOkno::Wedugdat1Click);
    OnItem("Wedugnumerw1", &TGlowneOkno::Wedugnumerw1Click);
    OnItem("Miesiczny2", &TGlowneOkno::Miesiczny2Click);
    OnItem("Wedugdat2", &TGlowneOkno::Wedugdat2Click);
    OnItem("Wedugnumerw2", &TGlowneOkno::Wedugnumerw2Click);
    OnItem("Nazwtowarwzablokowanych1", &TGlowneOkno::Nazwtowarwzablokowanych1Click);
    OnItem("Opiswstaych1", &TGlowneOkno::Opiswstaych1Click);
    OnItem("Wydrukkontrolnynazwistawek1", &TGlowneOkno::Wydrukkontrolnynazwistawek1Click);
    OnItem("Kasowaniebuforawycen1", &TGlowneOkno::Kasowaniebuforawycen1Click);
    OnItem("Zdalnewyaczeniedrukarki1", &TGlowneOkno::Zdalnewyaczeniedrukarki1Click);
}

void TGlowneOkno::Fiskalnydobowy1Click() {
    uint8_t type = 9;
    if (!DeviceCheck(type)) return;
    if (!PrintConditionsCheck()) return;

    int32_t counter = 0;
    if (int32_t code = ReceiptNumber(&counter); code != 0) {
        ShowCommandError(code);
        return;
    }
    if (counter == 0 && darvo::ops::PrintsNoEmptyDailyReport(type)) {
        SetArrowCursor();
        RefuseCommand(
            QStringLiteral("  Licznik paragonów jest równy 0.   \rNie można wykonać raportu dobowego."));
        return;
    }
    SetArrowCursor();
    ErrorBeep();
    ClearActivityMessage();
    const QString question =
        counter == 0 ? QStringLiteral("  Licznik paragonów jest równy 0   \rCzy wykonać raport dobowy?")
                     : QStringLiteral("Czy wykonać raport dobowy?");
    if (ShowBox(BoxKind::Question, kAnswerCaption, question) != BoxAnswer::Yes) {
        ClearActivityMessage();
        return;
    }
    SetBusyCursor();
    ShowActivityMessage(QStringLiteral("Raport dobowy..."));
    ResumeAfterPaperOut(DailyReport(1), type);
}

void TGlowneOkno::Finansowypodatkowy1Click() {
    uint8_t type = 9;
    if (!DeviceCheck(type)) return;
    SetBusyCursor();
    if (!CmosCheck()) {
        SetArrowCursor();
        return;
    }
    bool errorReported = false;
    const bool readOnly = IsReadOnlyMode(errorReported);
    if (errorReported) {
        ClearActivityMessage();
        return;
    }
    if (readOnly) {
        SetArrowCursor();
        RefuseCommand(ConditionMessage(kConditionReadOnly));
        return;
    }
    int32_t counter = 0;
    if (int32_t code = ReceiptNumber(&counter); code != 0) {
        ShowCommandError(code);
        return;
    }
    if (!darvo::ops::IsPexaFamily(type)) {
        SetArrowCursor();
        RefuseCommand(QStringLiteral("  Drukarka nie obsługuje wydruku raportu finansowego "));
        return;
    }
    if (!PrintStart(type)) return;
    ResumeAfterPaperOut(darvo::ops::FinancialTaxReport(), type);
}

namespace {
// The steps of the printer status, locked names and fixed descriptions reports.
void SimpleReport(TGlowneOkno &w, int32_t (*report)()) {
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

void TGlowneOkno::Stanudrukarki1Click() {
    SimpleReport(*this, [] { return PrinterStatusReport(); });
}

void TGlowneOkno::Nazwtowarwzablokowanych1Click() {
    SimpleReport(*this, [] { return LockedArticlesReport(); });
}

void TGlowneOkno::Opiswstaych1Click() {
    SimpleReport(*this, [] { return darvo::ops::FixedDescriptionsReport(); });
}

namespace {

// The six periodic report commands: the checks, the report kind, the
// caption and the preset fields, then the dialog that runs the report.
void PeriodicReport(TGlowneOkno &w, darvo::ops::PeriodKind kind) {
    uint8_t type = 9;
    if (!w.DeviceCheck(type)) return;
    if (!w.CmosCheck()) return;
    bool errorReported = false;
    const bool fiscal = w.IsPrinterFiscal(errorReported);
    if (errorReported) {
        w.ClearActivityMessage();
        return;
    }
    if (!fiscal) {
        w.SetArrowCursor();
        ErrorBeep();
        w.ClearActivityMessage();
        ShowBox(
            BoxKind::Information, kInformationCaption,
            QStringLiteral("Drukarka pracuje w trybie szkoleniowym.\r    Wydruk raportu nie jest możliwy."));
        return;
    }
    PeriodReportKind = static_cast<int>(kind);
    const bool detailed = darvo::ops::IsDetailed(kind);
    const QString which = detailed ? QStringLiteral("szczegółowy") : QStringLiteral("skrócony");
    const QDateTime now = CurrentDateTime();
    switch (kind) {
    case darvo::ops::PeriodKind::DetailedByDates:
    case darvo::ops::PeriodKind::ShortByDates:
        fRaportyOkresoweWgDat->setWindowTitle(QStringLiteral("Raport %1 według dat...").arg(which));
        fRaportyOkresoweWgDat->dtOd->setDate(now.date());
        fRaportyOkresoweWgDat->dtDo->setDate(now.date());
        ErrorBeep();
        fRaportyOkresoweWgDat->ShowModal();
        break;
    case darvo::ops::PeriodKind::DetailedByNumbers:
    case darvo::ops::PeriodKind::ShortByNumbers:
        fOkresoweWgNumerow->setWindowTitle(QStringLiteral("Raport %1 według numerów...").arg(which));
        fOkresoweWgNumerow->seOd->setValue(1);
        fOkresoweWgNumerow->seDo->setValue(1);
        ErrorBeep();
        fOkresoweWgNumerow->ShowModal();
        break;
    default: {
        // The month before this one.
        const int year = now.date().year(), month = now.date().month();
        fOkresoweMiesieczne->setWindowTitle(QStringLiteral("Raport %1 miesięczny...").arg(which));
        fOkresoweMiesieczne->seRok->setValue(month == 1 ? year - 1 : year);
        fOkresoweMiesieczne->seMiesiac->setValue(month >= 2 ? month - 1 : 12);
        ErrorBeep();
        fOkresoweMiesieczne->ShowModal();
        w.ClearActivityMessage();
        break;
    }
    }
    w.SetArrowCursor();
}

} // namespace

void TGlowneOkno::Miesiczny1Click() {
    PeriodicReport(*this, darvo::ops::PeriodKind::ShortMonthly);
}
void TGlowneOkno::Wedugdat1Click() {
    PeriodicReport(*this, darvo::ops::PeriodKind::ShortByDates);
}
void TGlowneOkno::Wedugnumerw1Click() {
    PeriodicReport(*this, darvo::ops::PeriodKind::ShortByNumbers);
}
void TGlowneOkno::Miesiczny2Click() {
    PeriodicReport(*this, darvo::ops::PeriodKind::DetailedMonthly);
}
void TGlowneOkno::Wedugdat2Click() {
    PeriodicReport(*this, darvo::ops::PeriodKind::DetailedByDates);
}
void TGlowneOkno::Wedugnumerw2Click() {
    PeriodicReport(*this, darvo::ops::PeriodKind::DetailedByNumbers);
}

void TGlowneOkno::Wydrukkontrolnynazwistawek1Click() {
    const QString fileName = QStringLiteral("baza.txt");
    if (!QFile::exists(fileName)) {
        ErrorBox(QStringLiteral("Brak pliku baza.txt"));
        SetArrowCursor();
        ClearActivityMessage();
        return;
    }
    QFile file(fileName); // closed when the command ends, whatever the outcome
    if (!file.open(QIODevice::ReadOnly)) {
        ErrorBox(QStringLiteral("Błąd otwarcia pliku baza.txt"));
        return;
    }
    SetBusyCursor();
    auto failed = [this, &file](int32_t code) {
        if (code == 0) return false;
        file.close();
        SetArrowCursor();
        ErrorBeep();
        ErrorBox(ErrorMessageText(code));
        ClearActivityMessage();
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
        SetArrowCursor();
        ErrorBox(QStringLiteral("Błąd otwarcia pliku baza.txt"));
        ClearActivityMessage();
        return;
    }
    if (failed(darvo::ops::NamesBasePrintEnd())) return;
    SetArrowCursor();
    ClearActivityMessage();
}

void TGlowneOkno::Kasowaniebuforawycen1Click() {
    uint8_t type = 9;
    if (!DeviceCheck(type)) return;
    if (!CmosCheck()) return;
    SetBusyCursor();
    if (int32_t code = darvo::ops::ReadDeviceType(type); code != 0) {
        ShowCommandError(code);
        return;
    }
    if (!darvo::ops::IsPharmacy(type)) {
        SetArrowCursor();
        RefuseCommand(QStringLiteral("To nie jest drukarka apteczna."));
        return;
    }
    if (int32_t code = darvo::ops::ClearPriceBuffer(); code != 0) {
        ShowCommandError(code);
        return;
    }
    SetArrowCursor();
    ErrorBeep();
    ClearActivityMessage();
    ShowBox(BoxKind::Information, kInformationCaption, QStringLiteral("Bufor wycen skasowano."));
}

void TGlowneOkno::Zdalnewyaczeniedrukarki1Click() {
    uint8_t type = 9;
    if (!DeviceCheck(type)) return;
    if (int32_t code = darvo::ops::ReadDeviceType(type); code != 0) {
        ShowCommandError(code);
        ClearActivityMessage();
        return;
    }
    if (darvo::ops::IsSecondGeneration(type)) {
        SetBusyCursor();
        // The printer may fall silent before it has answered: it is reported
        // switched off whatever the command returned.
        ShowCommandError(darvo::ops::PowerOff());
        ShowBox(BoxKind::Information, kInformationCaption, QStringLiteral("Drukarka została wyłączona"));
        SetArrowCursor();
    } else {
        SetArrowCursor();
        RefuseCommand(QStringLiteral("Podłączone urządzenie nie jest drukarką drugiej generacji"));
    }
    ClearActivityMessage();
}
