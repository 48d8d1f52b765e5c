#include "ServiceDialogs.h"

bool AskDateAndNumber(QString &, QString &) {
    return false;
}

int ShowSettlementRangeDialog(bool) {
    return 0;
}

int ShowFiscalisationRatesDialog() {
    return 0;
}

int CheckNipLine(const QString &) {
    return 0;
}

void ShowUserDataDialog(uint8_t) {}
