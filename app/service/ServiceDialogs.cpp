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

bool AskSettlementRange(bool byDates, darvo::ops::RangeRecord &range) {
    if (byDates) {
        if (!fRaportyOkresoweWgDat) return false;
        const QDate today = CurrentDateTime().date();
        fRaportyOkresoweWgDat->dtOd->setDate(today);
        fRaportyOkresoweWgDat->dtDo->setDate(today);
        return fRaportyOkresoweWgDat->CollectRange(range);
    }
    if (!fOkresoweWgNumerow) return false;
    fOkresoweWgNumerow->seOd->setValue(1);
    fOkresoweWgNumerow->seDo->setValue(1);
    return fOkresoweWgNumerow->CollectRange(range);
}

bool AskFiscalisationRates(std::array<int32_t, 7> &rates) {
    return fStawkiPodatkowe && fStawkiPodatkowe->CollectRates(rates);
}

void ShowUserDataDialog(uint8_t deviceType) {
    if (!fDaneUzytkownika) return;
    const bool sixLines = deviceType == 7 || deviceType == 8 || deviceType == 9;
    fDaneUzytkownika->SetLayout(sixLines ? TfDaneUzytkownika::kSixLines : TfDaneUzytkownika::kFourLines);
    fDaneUzytkownika->ShowModal();
}
