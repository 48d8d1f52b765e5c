#include "clock/TfDataGodzina.h"

#include "common/ErrorBeep.h"
#include "common/MessageBoxes.h"
#include "core/AppState.h"
#include "core/DriverText.h"

#include "darvodr.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

TfDataGodzina::TfDataGodzina(QWidget *parent, CommandHost &host)
    : TDialog(parent, host, QStringLiteral("fDataGodzina"),
              QStringLiteral("Data i godzina z drukarki fiskalnej...")) {
    lData = new QLabel(QStringLiteral("Data   :     "), this);
    lData->setObjectName(QStringLiteral("lData"));
    lCzas = new QLabel(QStringLiteral("Godzina:     "), this);
    lCzas->setObjectName(QStringLiteral("lCzas"));
    QFont fixed(QStringLiteral("Monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setPointSize(12);
    lData->setFont(fixed);
    lCzas->setFont(fixed);
    lData->setMinimumWidth(QFontMetrics(fixed).horizontalAdvance(QStringLiteral("Godzina:     00:00:00  ")));
    bOK = new QPushButton(QStringLiteral("&OK"), this);
    bOK->setObjectName(QStringLiteral("bOK"));
    bOK->setDefault(true);
    connect(bOK, &QPushButton::clicked, this, &QDialog::accept);

    tZegar = new QTimer(this);
    tZegar->setObjectName(QStringLiteral("tZegar"));
    tZegar->setInterval(10);
    connect(tZegar, &QTimer::timeout, this, [this] { tZegarTimer(); });

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bOK);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lData);
    layout->addWidget(lCzas);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfDataGodzina::FormActivate() {
    tZegar->start();
}

void TfDataGodzina::FormClose() {
    tZegar->stop();
}

void TfDataGodzina::tZegarTimer() {
    tZegar->stop();
    bool errorReported = false;
    const bool erased = host_.CheckCmosErased(errorReported);
    if (erased) {
        ErrorBeep();
        host_.ClearActivityMessage();
        if (expectSet_) {
            // The printer took the command but kept its clock unset: it
            // refuses a date before its last daily report.
            expectSet_ = false;
            ErrorBox(QStringLiteral("Zegar drukarki fiskalnej nie został zainicjowany.\r"
                                    "Najprawdopodobniej data, którą próbowano ustawić nie jest poprawna.\r"
                                    "Nie wolno ustawiać daty, która jest wcześniejsza niż data ostatniego\r"
                                    "raportu dobowego (jeśli jakiś był już wykonany)."));
        } else {
            ErrorBox(QStringLiteral("Skasowana pamięć CMOS. Wejdź do inicjowania zegara."));
        }
        reject();
        return;
    }
    if (errorReported) {
        host_.SetArrowCursor();
        reject();
        return;
    }
    expectSet_ = false; // the clock runs: whatever was set took
    std::string date, time;
    if (int32_t code = ReadClock(date, time); code != 0) {
        host_.SetArrowCursor();
        ErrorBeep();
        ErrorBox(ErrorMessageText(code));
        reject();
        return;
    }
    lData->setText(QStringLiteral("Data   :     ") + FromDriver(date));
    lCzas->setText(QStringLiteral("Godzina:     ") + FromDriver(time));
    tZegar->start();
}
