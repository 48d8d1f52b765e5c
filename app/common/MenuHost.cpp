#include "common/MenuHost.h"

QString ConditionMessage(darvo::ops::PrintBlocker blocker) {
    using darvo::ops::PrintBlocker;
    switch (blocker) {
    case PrintBlocker::CmosErased:
        return QStringLiteral("Skasowana pamięć CMOS. Wejdź do inicjowania zegara.");
    case PrintBlocker::ReadOnly: return QStringLiteral("Drukarka w trybie TYLKO ODCZYT.");
    case PrintBlocker::NoProgrammingVoltage:
        return QStringLiteral("Brak napięcia programującego pamięć fiskalną.");
    case PrintBlocker::NoController: return QStringLiteral("Brak komunikacji z kontrolerem drukarki");
    case PrintBlocker::PrinterFailure: return QStringLiteral("Wystąpiła awaria drukarki");
    case PrintBlocker::NoPaper:
        return QStringLiteral("Brak papieru lub podniesiona głowica mechanizmu drukującego");
    case PrintBlocker::LowBattery: return QStringLiteral("Niskie napięcie akumulatora głównego");
    default: return QStringLiteral("NIEZDEFINIOWANY BŁĄD");
    }
}
