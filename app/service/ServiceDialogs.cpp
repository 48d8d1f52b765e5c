#include "service/ServiceDialogs.h"

#include "core/AppState.h"
#include "reports/TfOkresoweWgNumerow.h"
#include "reports/TfRaportyOkresoweWgDat.h"
#include "service/TfDaneUzytkownika.h"
#include "service/TfDataINumer.h"
#include "taxes/TfStawkiPodatkowe.h"

#include <QDate>
#include <QDateTime>
#include <QDateEdit>
#include <QSpinBox>

bool AskDateAndNumber(QString &date, QString &digits) {
    if (!fDataINumer) return false;
    fDataINumer->Prepare(); // yesterday, no number
    if (fDataINumer->ShowModal() != TfDataINumer::kYes) return false;
    date = fDataINumer->DateText();
    digits = fDataINumer->Number();
    return true;
}

int ShowSettlementRangeDialog(bool byDates) {
    if (byDates) {
        if (!fRaportyOkresoweWgDat) return 0;
        const QDate today = CurrentDateTime().date();
        fRaportyOkresoweWgDat->dtOd->setDate(today);
        fRaportyOkresoweWgDat->dtDo->setDate(today);
        return fRaportyOkresoweWgDat->ShowModal();
    }
    if (!fOkresoweWgNumerow) return 0;
    fOkresoweWgNumerow->seOd->setValue(1);
    fOkresoweWgNumerow->seDo->setValue(1);
    return fOkresoweWgNumerow->ShowModal();
}

int ShowFiscalisationRatesDialog() {
    if (!fStawkiPodatkowe) return 0;
    fStawkiPodatkowe->FillRates(FiscalisationRates);
    return fStawkiPodatkowe->ShowModal();
}

void ShowUserDataDialog(uint8_t deviceType) {
    if (!fDaneUzytkownika) return;
    const bool sixLines = deviceType == 7 || deviceType == 8 || deviceType == 9;
    fDaneUzytkownika->SetLayout(sixLines ? TfDaneUzytkownika::kSixLines : TfDaneUzytkownika::kFourLines);
    fDaneUzytkownika->ShowModal();
}
