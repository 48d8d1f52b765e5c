#include "communication/TKomunikacja.h"

#include "common/ErrorBeep.h"
#include "common/MessageBoxes.h"
#include "common/TRadioGroup.h"
#include "core/AppState.h"

#include "core/DriverText.h"
#include "darvodr.h"
#include "ops/Connection.h"
#include "ops/Device.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TKomunikacja::TKomunikacja(QWidget *parent, CommandHost &host) : QDialog(parent), host_(host) {
    setObjectName(QStringLiteral("Komunikacja"));
    setWindowTitle(QStringLiteral("Ustaw parametry komunikacji"));

    Label1 = new QLabel(QStringLiteral("Numer portu COM: "), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    cbNumerPortu = new QComboBox(this);
    cbNumerPortu->setObjectName(QStringLiteral("cbNumerPortu"));
    cbNumerPortu->setEditable(false);
    cbNumerPortu->setMinimumContentsLength(6);
    Label1->setBuddy(cbNumerPortu);

    rgPredkosc = new TRadioGroup(
        QStringLiteral("Szybkość transmisji"),
        {QStringLiteral("  9600 b/s"), QStringLiteral("19200 b/s"), QStringLiteral("28800 b/s")}, 3, this);
    rgPredkosc->setObjectName(QStringLiteral("rgPredkosc"));
    rgPredkosc->SetItemIndex(0);

    Button1 = new QPushButton(QStringLiteral("Zatwierdź"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    auto *portRow = new QHBoxLayout;
    portRow->addWidget(Label1);
    portRow->addWidget(cbNumerPortu);
    portRow->addStretch();
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(Button1);
    buttonRow->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(portRow);
    layout->addWidget(rgPredkosc);
    layout->addLayout(buttonRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

std::function<void(TKomunikacja &)> &TKomunikacja::ModalRunner() {
    static std::function<void(TKomunikacja &)> runner;
    return runner;
}

uint8_t TKomunikacja::SelectedPortEntry() const {
    const QString text = cbNumerPortu->currentText();
    if (cbNumerPortu->currentIndex() < 0 || text.size() < 4) return 0;
    bool ok = false;
    const int number = text.mid(3).trimmed().toInt(&ok);
    return ok && number > 0 && number <= 255 ? static_cast<uint8_t>(number) : 0;
}

int TKomunikacja::ShowModal() {
    if (ModalRunner()) {
        setResult(QDialog::Rejected);
        FormActivate();
        ModalRunner()(*this);
        if (isVisible()) hide();
        FormClose();
        return result();
    }
    return exec();
}

void TKomunikacja::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    FormActivate();
}

void TKomunikacja::FormActivate() {
    Button1->setEnabled(true);
    host_.ChoosePort({SelectedPortEntry(), host_.ChosenPort().speed});
    rgPredkosc->SetItemIndex(ItemOfSpeed(host_.ChosenPort().speed));
}

void TKomunikacja::done(int r) {
    if (!ModalRunner()) FormClose();
    QDialog::done(r);
}

void TKomunikacja::FormClose() {
    host_.EnableWindow();
    host_.ClearActivityMessage();
}

QString LockReasonsText(uint8_t lockByte) {
    static const char *const reasons[8] = {"USZKODZONA PAMIĘĆ PROGRAMU.",
                                           "Błąd odczytu z pamięci fiskalnej.",
                                           "Brak pamięci fiskalnej.",
                                           "Uszkodzone dane w pamięci nieulotnej.",
                                           "Brak danych producenta w pamięci fiskalnej.",
                                           "Niezgodna pamięć fiskalna.",
                                           nullptr,
                                           "Uszkodzona pamięć programu."};
    QString text = QStringLiteral("KASA ZABLOKOWANA: \r\n");
    for (int bit = 0; bit < 8; ++bit)
        if ((lockByte & (1u << bit)) && reasons[bit])
            text += QString::fromUtf8(reasons[bit]) + QStringLiteral("\r\n");
    return text;
}

void TKomunikacja::Button1Click() {
    Button1->setEnabled(false);
    host_.ChoosePort({SelectedPortEntry(), SpeedOfItem(rgPredkosc->ItemIndex())});
    const darvo::ops::PortChoice chosen = host_.ChosenPort();

    if (int32_t opened = host_.ReopenPort(chosen.port, chosen.speed); opened != 0) {
        Button1->setEnabled(true);
        host_.ClearActivityMessage();
        host_.ShowOpeningResult(opened, chosen.port);
        return;
    }

    uint8_t type = 9;
    bool errorReported = false;
    if (!host_.CheckConnectedDevice(type, errorReported)) {
        Button1->setEnabled(true);
        if (!errorReported) {
            host_.RefuseCommand(QStringLiteral("Podłączone urządzenie nie jest drukarką fiskalną"));
        }
        return;
    }

    // Kept as the driver's own device type, which DeviceName names.
    if (int32_t code = darvo::ops::Identify(type); code != 0) {
        Button1->setEnabled(true);
        host_.ShowCommandError(code);
        return;
    }
    host_.ConfigureMenusForDevice(type);
    std::string name;
    if (int32_t code = DeviceName(name); code != 0)
        host_.ShowCommandError(code);
    else
        host_.SetStatusPanels(FromDriver(name), chosen.port, chosen.speed);
    Button1->setEnabled(true);

    if (darvo::ops::IsPexaFamily(type)) {
        uint8_t lockReason = 0;
        if (int32_t code = darvo::ops::ReadLockReasons(lockReason); code != 0) {
            host_.ShowCommandError(code);
            host_.ClearActivityMessage();
            return;
        }
        if (lockReason != 0) {
            ErrorBeep();
            ErrorBox(LockReasonsText(lockReason));
            host_.ClearActivityMessage();
            return;
        }
    }

    bool cmosError = false;
    const bool erased = host_.CheckCmosErased(cmosError);
    if (cmosError) {
        host_.SetArrowCursor();
        host_.ClearActivityMessage();
        return;
    }
    if (erased) {
        host_.SetArrowCursor();
        ErrorBeep();
        for (;;) {
            const BoxAnswer answer =
                ShowBox(BoxKind::ErrorQuestion, QStringLiteral("Błąd"),
                        QStringLiteral(" Pamięć CMOS jest skasowana.\rCzy przejść do ustawiania zegara?"));
            if (answer != BoxAnswer::Yes) return;
            // Without the clock initialisation command there is nothing more to do.
            if (!ClockInitialisationCommand) return;
            if (ClockInitialisationCommand()) break;
        }
    }
    accept();
}
