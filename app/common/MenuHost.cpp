#include "common/MenuHost.h"

QString ConditionMessage(int conditionCode) {
    switch (conditionCode) {
    case kConditionCmosErased: return QStringLiteral("Skasowana pamięć CMOS. Wejdź do inicjowania zegara.");
    case kConditionReadOnly: return QStringLiteral("Drukarka w trybie TYLKO ODCZYT.");
    case kConditionNoProgrammingVoltage:
        return QStringLiteral("Brak napięcia programującego pamięć fiskalną.");
    case kConditionNoController: return QStringLiteral("Brak komunikacji z kontrolerem drukarki");
    case kConditionPrinterFailure: return QStringLiteral("Wystąpiła awaria drukarki");
    case kConditionNoPaper:
        return QStringLiteral("Brak papieru lub podniesiona głowica mechanizmu drukującego");
    case kConditionLowBattery: return QStringLiteral("Niskie napięcie akumulatora głównego");
    default: return QStringLiteral("NIEZDEFINIOWANY BŁĄD");
    }
}
