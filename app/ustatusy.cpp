#include "ustatusy.h"

#include "DriverText.h"
#include "NivraSWindows.h"

#include "darvodr/Session.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

TfBajtyStatusu *fBajtyStatusu = nullptr;

TfBajtyStatusu::TfBajtyStatusu(QWidget *parent)
    : TDialog(parent, QStringLiteral("fBajtyStatusu"), QStringLiteral("Informacja...")) {
    fBajtyStatusu = this;
    mStatusy = new QTextEdit(this);
    mStatusy->setObjectName(QStringLiteral("mStatusy"));
    mStatusy->setReadOnly(true);
    mStatusy->setMinimumSize(620, 330);
    mStatusy->installEventFilter(this);
    bOK = new QPushButton(QStringLiteral("&OK"), this);
    bOK->setObjectName(QStringLiteral("bOK"));
    bOK->setDefault(true);
    connect(bOK, &QPushButton::clicked, this, &QDialog::accept);
    tStatus = new QTimer(this);
    tStatus->setObjectName(QStringLiteral("tStatus"));
    tStatus->setInterval(10);
    tStatus->setSingleShot(true);
    connect(tStatus, &QTimer::timeout, this, [this] { tStatusTimer(); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(mStatusy);
    layout->addWidget(bOK, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfBajtyStatusu::FormActivate() {
    tStatus->start();
}

void TfBajtyStatusu::FormClose() {
    tStatus->stop();
}

bool TfBajtyStatusu::eventFilter(QObject *watched, QEvent *event) {
    if (watched == mStatusy && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) accept();
        return true; // nothing can be typed into the monitor
    }
    return TDialog::eventFilter(watched, event);
}

QStringList TfBajtyStatusu::StatusTexts(const darvo::StatusSet &status, uint8_t deviceType) {
    QStringList lines;
    const uint8_t *b = status.bytes;
    auto bit = [b](int byte, int n) { return (b[byte] >> n & 1) != 0; };
    auto add = [&lines](bool when, const char *text) {
        if (when) lines << QString::fromUtf8(text);
    };

    add(!bit(1, 0), "!!!BRAK DANYCH O PRODUCENCIE!!!");
    add(true, bit(1, 1) ? "Wpisane dane o użytkowniku" : "Brak danych o użytkowniku");
    add(bit(1, 2), "Moduł w trybie tylko odczyt");
    add(true, bit(1, 3) ? "Moduł w trybie fiskalnym" : "Moduł w trybie szkoleniowym");
    lines << QStringLiteral("Wersja oprogramowania w module : %1").arg(b[1] >> 4, 2, 10, QLatin1Char('0'));

    static const char *const byte2[7] = {
        "Brak wolnego miejsca w bazie kontrolnej nazw i stawek",
        "W pamięci znajduje się dokument do wydrukowania",
        "W pamięci fiskalnej zostało mniej niż 30 rekordów do zapisania",
        "Nie został wykonany raport dobowy za poprzedni dzień sprzedaży",
        "Skasowana pamięć CMOS.",
        "Nastąpiło zablokowanie nazwy towaru w paragonie",
        "Brak wyświetlacza klienta",
    };
    for (int n = 0; n < 7; ++n)
        add(bit(2, n), byte2[n]);

    // Without the printer's controller bytes 3 and 4 and the paper and head
    // bits of byte 5 mean nothing.
    const bool noController = bit(2, 7);
    if (noController) {
        add(true, "Brak komunikacji z kontrolerem drukarki");
    } else {
        add(bit(3, 0), "Trwa drukowanie dokumentu (w buforze drukarki są znaki do wydrukowania)");
        add(bit(3, 1) && status.count < 5, "Brak papieru (zapalona jest LED PAPER OUT)");
        add(bit(3, 2), "Awaria drukarki");
        add(bit(3, 3), deviceType == 3 || deviceType == 6
                           ? "Za niskie napięcie baterii na pakiecie głównym (lub podtrzymującej zegar), "
                             "dalsza praca możliwa ale powiadom serwis"
                           : "Za niskie napięcie baterii na pakiecie głównym, dalsza praca możliwa ale "
                             "powiadom serwis");
        add(bit(3, 4), "Nastąpiło unieważnienie paragonu");
        add(bit(3, 5), "W pamięci paragonu zostało mniej niż 1 kB miejsca");
        add(bit(3, 6), "Wydruk dokumentu zatrzymany z powodu braku papieru");
        add(bit(4, 6), "Zwora serwisowa w pozycji serwisowej");
        add(true, bit(4, 3) ? "Szuflada zamknięta lub niepodłączona" : "Szuflada otwarta");
    }
    if (status.count > 4) {
        add(bit(5, 0), "BRAK ZASILANIA SIECIOWEGO (TYLKO AKUMULATOR)");
        if (!noController) {
            add(bit(5, 2), "BRAK PAPIERU W DRUKARCE ORYGINAŁU");
            add(bit(5, 3), "BRAK PAPIERU W DRUKARCE KOPII");
            add(bit(5, 4), "PODNIESIONA GŁOWICA W DRUKARCE ORYGINAŁU");
            add(bit(5, 5), "PODNIESIONA GŁOWICA W DRUKARCE KOPII");
        }
        add(bit(5, 6), "!!!BRAK NAPIĘCIA PROGRAMOWANIA DLA PAMIĘCI FISKALNEJ!!!");
    }
    if (status.count > 5 && b[6] >= 33 && b[6] <= 144)
        lines << QStringLiteral("Przyczyna ostatniego unieważnienia paragonu: ") +
                     FromDriver(std::string(1, static_cast<char>(b[6])));
    if (status.count > 6) {
        add(bit(7, 0), "NIE ZOSTAŁ WYKRYTY AKUMULATOR GŁÓWNY");
        add(bit(7, 1), "NISKIE NAPIĘCIE AKUMULATORA GŁÓWNEGO");
    }
    if (status.hasByte8) {
        add(bit(8, 0), "W buforze wycen leków znajdują się dane");
        add(bit(8, 1), "Bufor wycen leków zapełniony");
    }
    return lines;
}

void TfBajtyStatusu::tStatusTimer() {
    tStatus->stop();
    mStatusy->setCursorWidth(0);
    if (QWidget *main = GlowneOkno; main && main->isVisible())
        move(main->frameGeometry().center() - rect().center());

    darvo::StatusSet status;
    if (int32_t code = darvo::ReadStatusBytes(status); code != 0) {
        GlowneOkno->ShowCommandError(code);
        reject();
        return;
    }
    mStatusy->clear();
    for (const QString &line : StatusTexts(status, darvo::DeviceType)) {
        mStatusy->append(line);
        mStatusy->setAlignment(Qt::AlignHCenter);
    }
    GlowneOkno->SetArrowCursor();
    if (isVisible()) tStatus->start();
}
