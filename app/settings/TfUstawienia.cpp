#include "settings/TfUstawienia.h"

#include "common/ErrorBeep.h"
#include "common/MessageBoxes.h"
#include "common/TBusyScope.h"
#include "common/TRadioGroup.h"
#include "core/AppState.h"

#include "ops/Connection.h"
#include "ops/Device.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace ops = darvo::ops;

TfUstawienia::TfUstawienia(QWidget *parent, CommandHost &host)
    : TDialog(parent, host, QStringLiteral("fUstawienia"), QStringLiteral("Ustawienia")) {
    auto radio = [this](const char *name, const QString &caption, const QStringList &items) {
        auto *rg = new TRadioGroup(caption, items, static_cast<int>(items.size()), this);
        rg->setObjectName(QString::fromLatin1(name));
        rg->SetItemIndex(0);
        return rg;
    };
    auto spin = [this](const char *name, int min, int max) {
        auto *se = new QSpinBox(this);
        se->setObjectName(QString::fromLatin1(name));
        se->setRange(min, max);
        return se;
    };
    auto boxed = [this](const QString &caption, QWidget *field, const QString &unit = QString()) {
        auto *box = new QGroupBox(caption, this);
        auto *row = new QHBoxLayout(box);
        row->addWidget(field);
        if (!unit.isEmpty()) row->addWidget(new QLabel(unit, box));
        row->addStretch();
        return box;
    };

    rgSzybkosc =
        radio("rgSzybkosc", QStringLiteral("01 Szybkość transmisji"),
              {QStringLiteral("  9600 b/s"), QStringLiteral("19200 b/s"), QStringLiteral("28800 b/s")});
    rgWydruk = radio("rgWydruk", QStringLiteral("02 Wydruk jednoliniowy"),
                     {QStringLiteral("NIE"), QStringLiteral("TAK")});
    rgZera = radio("rgZera", QStringLiteral("03 Usuwanie zer nieznaczących"),
                   {QStringLiteral("NIE"), QStringLiteral("TAK")});
    seLinie = spin("seLinie", 0, 31);
    seCzasWyl = spin("seCzasWyl", 1, 30);
    sePodsw = spin("sePodsw", 0, 16);
    seKontrast = spin("seKontrast", 0, 16);
    rgSposobWyswietlenia = radio("rgSposobWyswietlenia", QStringLiteral("08 Sposób wyświetlania"),
                                 {QStringLiteral("NEGATYW"), QStringLiteral("POZYTYW")});
    seGlosnosc = spin("seGlosnosc", 0, 16);
    cbTimeout = new QComboBox(this);
    cbTimeout->setObjectName(QStringLiteral("cbTimeout"));
    cbTimeout->addItems({QStringLiteral("brak"), QStringLiteral("1 sekunda"), QStringLiteral("2 sekundy"),
                         QStringLiteral("3 sekundy"), QStringLiteral("4 sekundy"), QStringLiteral("5 sekund"),
                         QStringLiteral("6 sekund"), QStringLiteral("7 sekund"), QStringLiteral("8 sekund")});
    seReklama = spin("seReklama", 46, 255);
    rgStronaKodowa = radio("rgStronaKodowa", QStringLiteral("Strona kodowa"),
                           {QStringLiteral("  852 "), QStringLiteral("1250")});

    for (int i = 0; i < 2; ++i)
        connect(rgWydruk->Button(i), &QRadioButton::toggled, this, [this] { UpdateZeros(); });

    auto *grid = new QGridLayout;
    grid->addWidget(rgSzybkosc, 0, 0);
    grid->addWidget(rgWydruk, 1, 0);
    grid->addWidget(rgZera, 2, 0);
    grid->addWidget(boxed(QStringLiteral("04 Dodatkowe linie po wydruku"), seLinie), 3, 0);
    grid->addWidget(boxed(QStringLiteral("05 Czas wyłączenia"), seCzasWyl, QStringLiteral("minut")), 4, 0);
    grid->addWidget(boxed(QStringLiteral("06 Podświetlenie wyświetlacza"), sePodsw), 0, 1);
    grid->addWidget(boxed(QStringLiteral("07 Kontrast wyświetlacza"), seKontrast), 1, 1);
    grid->addWidget(rgSposobWyswietlenia, 2, 1);
    grid->addWidget(boxed(QStringLiteral("09 Głośność dźwięków"), seGlosnosc), 3, 1);
    grid->addWidget(boxed(QStringLiteral("Timeout odbierania"), cbTimeout), 4, 1);
    grid->addWidget(boxed(QStringLiteral("Czas do wyświetlania reklamy"), seReklama), 5, 0);
    grid->addWidget(rgStronaKodowa, 5, 1);

    auto button = [this](const char *name, const QString &caption, void (TfUstawienia::*action)()) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, action] { (this->*action)(); });
        return b;
    };
    bZapis = button("bZapis", QStringLiteral("Zapis do drukarki"), &TfUstawienia::WriteToPrinter);
    bOdczyt = button("bOdczyt", QStringLiteral("Odczyt z drukarki"), &TfUstawienia::ReadFromPrinter);
    bDomyslne = button("bDomyslne", QStringLiteral("Domyślne"), &TfUstawienia::Defaults);
    // No default button: Enter in a field must not write to the printer
    // (a new speed reopens the port).
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(bZapis);
    buttons->addWidget(bOdczyt);
    buttons->addWidget(bDomyslne);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    Defaults();
}

void TfUstawienia::FormActivate() {
    ReadFromPrinter();
}

void TfUstawienia::UpdateZeros() {
    rgZera->setEnabled(rgWydruk->ItemIndex() == 1);
}

void TfUstawienia::Defaults() {
    rgSzybkosc->SetItemIndex(0);
    rgWydruk->SetItemIndex(0);
    rgZera->SetItemIndex(0);
    seLinie->setValue(0);
    seCzasWyl->setValue(30);
    sePodsw->setValue(12);
    seKontrast->setValue(8);
    rgSposobWyswietlenia->SetItemIndex(1);
    seGlosnosc->setValue(8);
    cbTimeout->setCurrentIndex(0);
    seReklama->setValue(46);
    rgStronaKodowa->SetItemIndex(0);
    UpdateZeros();
}

bool TfUstawienia::Checks(uint8_t &type) {
    auto stop = [this](const QString &text) {
        host_.RefuseCommand(text);
        return false;
    };
    if (!host_.DeviceCheck(type)) return false;
    bool errorReported = false;
    host_.SetBusyCursor();
    const bool erased = host_.CheckCmosErased(errorReported);
    if (errorReported) return false;
    if (erased) return stop(QStringLiteral("Skasowana pamięć CMOS. Wejdź do inicjowania zegara."));
    if (int32_t code = ops::Identify(type); code != 0) {
        host_.ShowCommandError(code);
        return false;
    }
    if (!ops::IsPexaFamily(type))
        return stop(QStringLiteral("Podłączone urządzenie nie jest drukarką PEXA/PEXA F"));
    return true;
}

bool TfUstawienia::ReadGroups(SettingsGroups &groups) {
    if (int32_t code = ops::ReadSettingsGroups(groups); code != 0) {
        host_.ShowCommandError(code);
        return false;
    }
    return true;
}

bool TfUstawienia::WriteGroups(const SettingsGroups &groups, uint16_t current) {
    bool reopened = true;
    const int32_t code = ops::WriteSettingsGroups(
        groups, current, [this](uint16_t speed) { return Reopen(speed); }, reopened);
    if (code != 0) host_.ShowCommandError(code);
    return code == 0 && reopened;
}

void TfUstawienia::Fill(const SettingsGroups &g, int32_t feedLines) {
    const uint8_t flags = g[0][0];
    rgSzybkosc->SetItemIndex(ItemOfSpeed(ops::SpeedOfGroups(g)));
    rgWydruk->SetItemIndex(flags & ops::kOneLinePrintout ? 1 : 0);
    rgZera->SetItemIndex(flags & ops::kNoLeadingZeros ? 1 : 0);
    seLinie->setValue(feedLines);
    seCzasWyl->setValue(g[3][1]);
    sePodsw->setValue(g[4][0]);
    seKontrast->setValue(g[4][1]);
    rgSposobWyswietlenia->SetItemIndex(flags & ops::kPositiveDisplay ? 1 : 0);
    seGlosnosc->setValue(g[4][2]);
    // A time-out the list does not name is left selected as none and
    // written back as it was read.
    cbTimeout->setCurrentIndex(g[3][2] < cbTimeout->count() ? g[3][2] : -1);
    seReklama->setValue(g[3][0]);
    rgStronaKodowa->SetItemIndex(flags & ops::kCodePage1250 ? 1 : 0);
    UpdateZeros();
}

void TfUstawienia::Collect(SettingsGroups &g) const {
    uint8_t &flags = g[0][0];
    ops::SetFlag(flags, ops::kOneLinePrintout, rgWydruk->ItemIndex() == 1);
    ops::SetFlag(flags, ops::kNoLeadingZeros, rgZera->ItemIndex() == 1);
    ops::SetFlag(flags, ops::kPositiveDisplay, rgSposobWyswietlenia->ItemIndex() == 1);
    ops::SetFlag(flags, ops::kCodePage1250, rgStronaKodowa->ItemIndex() == 1);
    ops::PutSpeed(g, SpeedOfItem(rgSzybkosc->ItemIndex()));
    g[3][0] = static_cast<uint8_t>(seReklama->value());
    g[3][1] = static_cast<uint8_t>(seCzasWyl->value());
    if (cbTimeout->currentIndex() >= 0) g[3][2] = static_cast<uint8_t>(cbTimeout->currentIndex());
    g[4] = {static_cast<uint8_t>(sePodsw->value()), static_cast<uint8_t>(seKontrast->value()),
            static_cast<uint8_t>(seGlosnosc->value())};
}

void TfUstawienia::ReadFromPrinter() {
    TBusyScope busy(host_, {bZapis, bOdczyt, bDomyslne});
    [&] {
        uint8_t type = 9;
        if (!Checks(type)) return;
        rgWydruk->setEnabled(type != 8);
        SettingsGroups groups{};
        if (!ReadGroups(groups)) return;
        int32_t feedLines = 0;
        if (int32_t code = ops::ReadFeedLines(feedLines); code != 0) {
            host_.ShowCommandError(code);
            return;
        }
        Fill(groups, feedLines);
    }();
    host_.ClearActivityMessage();
}

bool TfUstawienia::Reopen(uint16_t speed) {
    if (ReconnectAtSpeed) ReconnectAtSpeed(speed);
    host_.SetBusyCursor();
    // The dialog has shown its own message when the port or the printer
    // did not answer at the new speed.
    return host_.ChosenPort().speed == speed && ops::PortOpen();
}

void TfUstawienia::WriteToPrinter() {
    TBusyScope busy(host_, {bZapis, bOdczyt, bDomyslne});
    [&] {
        uint8_t type = 9;
        if (!Checks(type)) return;
        SettingsGroups groups{};
        if (!ReadGroups(groups)) return;
        const uint16_t current = ops::SpeedOfGroups(groups);
        Collect(groups);
        if (!WriteGroups(groups, current)) return;
        if (int32_t code = ops::WriteFeedLines(static_cast<uint8_t>(seLinie->value())); code != 0)
            host_.ShowCommandError(code);
    }();
    host_.ClearActivityMessage();
}
