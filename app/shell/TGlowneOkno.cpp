#include "shell/TGlowneOkno.h"

#include "clock/ClockMenu.h"
#include "clock/TfDataGodzina.h"
#include "clock/TfPrzestawianie.h"
#include "clock/TfUstawZegar.h"
#include "common/BusyCursor.h"
#include "common/ErrorBeep.h"
#include "common/MenuItems.h"
#include "common/MessageBoxes.h"
#include "common/TRadioGroup.h"
#include "communication/CommunicationMenu.h"
#include "communication/TAboutBox.h"
#include "communication/TKomunikacja.h"
#include "core/AppState.h"
#include "core/DriverText.h"
#include "printertests/TestsMenu.h"
#include "printertests/TfBajtyStatusu.h"
#include "printertests/TfNumerUnikatowy.h"
#include "printertests/TfTestWyswietlacza.h"
#include "reports/ReportsMenu.h"
#include "reports/TfOkresoweMiesieczne.h"
#include "reports/TfOkresoweWgNumerow.h"
#include "reports/TfRaportyOkresoweWgDat.h"
#include "service/ServiceMenu.h"
#include "service/TfDaneUzytkownika.h"
#include "service/TfDataINumer.h"
#include "settings/PexaSettingsMenu.h"
#include "settings/SettingsMenu.h"
#include "settings/TfDataEuroPrzeglad.h"
#include "settings/TfIloscWierszy.h"
#include "settings/TfNumerKasy.h"
#include "settings/TfReklama.h"
#include "settings/TfReklamaOdczyt.h"
#include "settings/TfSposobZaokraglania.h"
#include "settings/TfTekstyReklamowe.h"
#include "settings/TfUstawienia.h"
#include "shell/TNivraApplication.h"
#include "taxes/TaxesMenu.h"
#include "taxes/TfOdczytStawek.h"
#include "taxes/TfStawkiPodatkowe.h"

#include "darvodr.h"
#include "ops/Connection.h"
#include "ops/Device.h"
#include "ops/Host.h"
#include "ops/Status.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

const QString kNotFiscal = QStringLiteral("Podłączone urządzenie nie jest drukarką fiskalną");

// Creates a dialog the window owns and hosts, and notes it for destruction.
template <class Dialog> void Create(Dialog *&slot, TGlowneOkno &window, std::vector<QWidget *> &created) {
    slot = new Dialog(&window, window);
    created.push_back(slot);
}

} // namespace

// The program's side of the driver's upward calls.
class TGlowneOkno::Host : public darvo::ops::ProgramHost {
  public:
    explicit Host(TGlowneOkno &window) : window_(window) {}
    void ShowActivity(const std::string &text) override { window_.ShowActivityMessage(FromDriver(text)); }
    void ProcessMessages() override { window_.Processmessages(); }
    bool ChosenPort(darvo::ops::PortChoice &choice) override {
        choice = window_.ChosenPort();
        if (choice.port == 0 || choice.speed == 0) return false;
        return true;
    }
    void ClockInitProgress(const std::string &text, int position) override {
        if (TfUstawZegar *dialog = window_.dialogs_.fUstawZegar)
            dialog->EraseProgress(FromDriver(text), position);
    }

  private:
    TGlowneOkno &window_;
};

// ---------------------------------------------------------------------------
// Creation and the menu

const char *const TGlowneOkno::kSecondGenerationItems[10] = {
    "Odczytuytkownika1",        "Miesiczny1", "Miesiczny2", "Wedugnumerw1", "Wedugnumerw2", "Opiswstaych1",
    "Zdalnewyaczeniedrukarki1", "Wy1",        "N41",        "Zapis1"};

TGlowneOkno::TGlowneOkno(QWidget *parent) : QMainWindow(parent), host_(std::make_unique<Host>(*this)) {
    setObjectName(QStringLiteral("GlowneOkno"));
    setFont(ProgramFont(16));
    resize(602, 414);
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(602 / 2, 414 / 2));

    activity_ = new TActivityArea(this);
    auto *layout = new QVBoxLayout(activity_);
    layout->addStretch();
    pbFiskal_ = new QProgressBar(activity_);
    pbFiskal_->setObjectName(QStringLiteral("pbFiskal"));
    pbFiskal_->setRange(0, 16);
    pbFiskal_->setValue(0);
    pbFiskal_->hide();
    layout->addWidget(pbFiskal_);
    setCentralWidget(activity_);

    sb_ = new QStatusBar(this);
    sb_->setObjectName(QStringLiteral("sb"));
    sb_->setSizeGripEnabled(false);
    const int widths[2] = {384, 210};
    for (int i = 0; i < 2; ++i) {
        panels_[i] = new QLabel(sb_);
        panels_[i]->setObjectName(QStringLiteral("sbPanel%1").arg(i));
        panels_[i]->setAlignment(Qt::AlignCenter);
        panels_[i]->setFixedWidth(widths[i]);
        panels_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        QFont font = ProgramFont(19);
        panels_[i]->setFont(font);
        sb_->addWidget(panels_[i]);
    }
    setStatusBar(sb_);

    BuildMenu();
    CreateDialogs();
    BuildMenuCommands();

    cursorTimer_ = new QTimer(this);
    cursorTimer_->setSingleShot(true);
    connect(cursorTimer_, &QTimer::timeout, this, [this] { NextCursorStep(); });

    // FormCreate
    TNivraApplication::SetExceptionHandler(
        [this](QObject *sender, const QString &message) { AppException(sender, message); });
    setWindowTitle(
        QStringLiteral("Program użytkownika drukarek fiskalnych DARVO: Nivra, Nivra F, PEXA, PEXA F"));
    SetItem("Przeczeniewtrybfiskalny1", false, false);
    SetItem("Raportrozliczeniowy1", false, false);
    SetItem("Inicjowaniezegara1", false, false);

    darvo::ops::AttachHost(host_.get());
}

TGlowneOkno::~TGlowneOkno() {
    // The dialogs first, the last created first: closing one still talks to
    // the window.
    for (auto it = dialogOrder_.rbegin(); it != dialogOrder_.rend(); ++it)
        delete *it;
    dialogOrder_.clear();
    dialogs_ = {};
    darvo::ops::AttachHost(nullptr);
    TNivraApplication::SetExceptionHandler(nullptr);
    SetArrowCursor();
}

void TGlowneOkno::CreateDialogs() {
    ProgramDialogs &d = dialogs_;
    std::vector<QWidget *> &order = dialogOrder_;
    Create(d.Komunikacja, *this, order);
    Create(d.fOkresoweWgNumerow, *this, order);
    Create(d.fDataGodzina, *this, order);
    Create(d.fBajtyStatusu, *this, order);
    Create(d.fRaportyOkresoweWgDat, *this, order);
    Create(d.fOkresoweMiesieczne, *this, order);
    Create(d.fUstawZegar, *this, order);
    Create(d.fDaneUzytkownika, *this, order);
    Create(d.fStawkiPodatkowe, *this, order);
    Create(d.fNumerUnikatowy, *this, order);
    Create(d.fOdczytStawek, *this, order);
    Create(d.fNumerKasy, *this, order);
    Create(d.fIloscWierszy, *this, order);
    Create(d.fSposobZaokraglania, *this, order);
    Create(d.AboutBox, *this, order);
    Create(d.fTestWyswietlacza, *this, order);
    Create(d.fPrzestawianie, *this, order);
    Create(d.fDataINumer, *this, order);
    Create(d.fUstawienia, *this, order);
    Create(d.fDataEuroPrzeglad, *this, order);
    Create(d.fReklama, *this, order);
    Create(d.fTekstyReklamowe, *this, order);
    Create(d.fReklamaOdczyt, *this, order);
}

void TGlowneOkno::BuildMenuCommands() {
    const ProgramDialogs &d = dialogs_;
    reportsMenu_ = std::make_unique<ReportsMenu>(*this, *d.fOkresoweWgNumerow, *d.fRaportyOkresoweWgDat,
                                                 *d.fOkresoweMiesieczne);
    testsMenu_ =
        std::make_unique<TestsMenu>(*this, *d.fBajtyStatusu, *d.fNumerUnikatowy, *d.fTestWyswietlacza);
    clockMenu_ = std::make_unique<ClockMenu>(*this, *d.fDataGodzina, *d.fPrzestawianie, *d.fUstawZegar);
    taxesMenu_ = std::make_unique<TaxesMenu>(*this, *d.fOdczytStawek, *d.fStawkiPodatkowe);
    settingsMenu_ =
        std::make_unique<SettingsMenu>(*this, *d.fNumerKasy, *d.fIloscWierszy, *d.fSposobZaokraglania);
    pexaSettingsMenu_ = std::make_unique<PexaSettingsMenu>(
        *this, *d.fUstawienia, *d.fDataEuroPrzeglad, *d.fTekstyReklamowe, *d.fReklamaOdczyt, *d.fReklama);
    serviceMenu_ = std::make_unique<ServiceMenu>(*this, *d.fDataINumer, *d.fDaneUzytkownika);
    communicationMenu_ = std::make_unique<CommunicationMenu>(*this, *d.AboutBox);

    const MenuItems items([this](const QString &name) { return Item(name); });
    reportsMenu_->Attach(items);
    testsMenu_->Attach(items);
    clockMenu_->Attach(items);
    taxesMenu_->Attach(items);
    settingsMenu_->Attach(items);
    pexaSettingsMenu_->Attach(items);
    serviceMenu_->Attach(items);
    communicationMenu_->Attach(items);
    // The commands one menu runs of another.
    d.Komunikacja->ClockInitialisationCommand = [this] { return clockMenu_->InitialiseClock(); };
    testsMenu_->EditUserData = [this] { serviceMenu_->EditUserData(); };
    testsMenu_->RunDailyReport = [this] { reportsMenu_->PrintDailyReport(); };
    testsMenu_->WriteRates = [this] { taxesMenu_->WriteRates(); };
    serviceMenu_->AskSettlementRange = [this](bool byDates, darvo::ops::RangeRecord &range) {
        return reportsMenu_->AskSettlementRange(byDates, range);
    };
    serviceMenu_->AskFiscalisationRates = [this](std::array<int32_t, 7> &rates) {
        return taxesMenu_->AskFiscalisationRates(rates);
    };
}

void TGlowneOkno::ChooseDialogsPort() {
    TKomunikacja &dialog = *dialogs_.Komunikacja;
    chosen_ = {dialog.SelectedPortEntry(), SpeedOfItem(dialog.rgPredkosc->ItemIndex())};
}

void TGlowneOkno::ReconnectAtSpeed(uint16_t speed) {
    dialogs_.Komunikacja->rgPredkosc->SetItemIndex(ItemOfSpeed(speed));
    dialogs_.Komunikacja->Button1Click();
}

QMenu *TGlowneOkno::NameMenu(QMenu *menu, const QString &name) {
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    items_.insert(name, menu->menuAction());
    return menu;
}

QMenu *TGlowneOkno::AddMenu(const QString &caption, const QString &name) {
    return NameMenu(menuBar()->addMenu(caption), name);
}

QMenu *TGlowneOkno::AddSubmenu(QMenu *parent, const QString &caption, const QString &name) {
    return NameMenu(parent->addMenu(caption), name);
}

QAction *TGlowneOkno::AddItem(QMenu *menu, const QString &caption, const QString &name) {
    QAction *action = menu->addAction(caption);
    action->setObjectName(name);
    items_.insert(name, action);
    return action;
}

void TGlowneOkno::BuildMenu() {
    menuBar()->setObjectName(QStringLiteral("menuGlowne"));

    QMenu *raporty = AddMenu(QStringLiteral("&Raporty"), QStringLiteral("Raporty1"));
    AddItem(raporty, QStringLiteral("Fiskalny dobowy"), QStringLiteral("Fiskalnydobowy1"));
    AddItem(raporty, QStringLiteral("Finansowy podatkowy"), QStringLiteral("Finansowypodatkowy1"));
    AddItem(raporty, QStringLiteral("Stanu drukarki"), QStringLiteral("Stanudrukarki1"));
    QMenu *skrocony =
        AddSubmenu(raporty, QStringLiteral("Okresowy skrócony"), QStringLiteral("Okresowyskrcony1"));
    AddItem(skrocony, QStringLiteral("Miesięczny"), QStringLiteral("Miesiczny1"));
    AddItem(skrocony, QStringLiteral("Według dat"), QStringLiteral("Wedugdat1"));
    AddItem(skrocony, QStringLiteral("Według numerów"), QStringLiteral("Wedugnumerw1"));
    QMenu *szczegolowy =
        AddSubmenu(raporty, QStringLiteral("Okresowy szczegółowy"), QStringLiteral("Okresowyszczegowy1"));
    AddItem(szczegolowy, QStringLiteral("Miesięczny"), QStringLiteral("Miesiczny2"));
    AddItem(szczegolowy, QStringLiteral("Według dat"), QStringLiteral("Wedugdat2"));
    AddItem(szczegolowy, QStringLiteral("Według numerów"), QStringLiteral("Wedugnumerw2"));
    AddItem(raporty, QStringLiteral("Nazw towarów zablokowanych"),
            QStringLiteral("Nazwtowarwzablokowanych1"));
    AddItem(raporty, QStringLiteral("Opisów stałych"), QStringLiteral("Opiswstaych1"));
    AddItem(raporty, QStringLiteral("Wydruk kontrolny nazw i stawek"),
            QStringLiteral("Wydrukkontrolnynazwistawek1"));
    raporty->addSeparator();
    AddItem(raporty, QStringLiteral("Kasowanie bufora wycen"), QStringLiteral("Kasowaniebuforawycen1"));
    AddItem(raporty, QStringLiteral("Zdalne wyłaczenie drukarki"),
            QStringLiteral("Zdalnewyaczeniedrukarki1"));

    QMenu *testy = AddMenu(QStringLiteral("&Testy"), QStringLiteral("Testy1"));
    AddItem(testy, QStringLiteral("Stan drukarki"), QStringLiteral("Standrukarki1"));
    AddItem(testy, QStringLiteral("Bajty statusu"), QStringLiteral("Bajtystatusu1"));
    AddItem(testy, QStringLiteral("Wyświetlacz"), QStringLiteral("Wy1"));
    AddItem(testy, QStringLiteral("Szuflada"), QStringLiteral("N41"));
    AddItem(testy, QStringLiteral("Pamięć PROM"), QStringLiteral("PamicEPROM1"));
    AddItem(testy, QStringLiteral("Numer unikatowy"), QStringLiteral("Numerunikatowy1"));

    QMenu *zegar = AddMenu(QStringLiteral("&Zegar"), QStringLiteral("Zegar1"));
    AddItem(zegar, QStringLiteral("&Odczyt zegara"), QStringLiteral("Odczytzegara1"));
    AddItem(zegar, QStringLiteral("&Przestawianie zegara"), QStringLiteral("Przestawianiezegara1"));
    AddItem(zegar, QStringLiteral("&Inicjowanie zegara"), QStringLiteral("Inicjowaniezegara1"));

    QMenu *podatki = AddMenu(QStringLiteral("&Podatki"), QStringLiteral("Podatki1"));
    AddItem(podatki, QStringLiteral("&Odczyt"), QStringLiteral("Odczyt1"));
    AddItem(podatki, QStringLiteral("&Zapis"), QStringLiteral("Zapis1"));

    QMenu *ustawienia = AddMenu(QStringLiteral("&Ustawienia"), QStringLiteral("Ustawienia1"));
    AddItem(ustawienia, QStringLiteral("&Nr kasy i kod obsługującego"),
            QStringLiteral("Nrkasyikodobsugujcego1"));
    AddItem(ustawienia, QStringLiteral("Ilość wierszy do wysunięcia"), QStringLiteral("Ilo1"));
    AddItem(ustawienia, QStringLiteral("Sposób zaokrąglania"), QStringLiteral("Sposbzaokrglania1"))
        ->setVisible(false);
    ustawienia->addSeparator();
    QMenu *pexa =
        AddSubmenu(ustawienia, QStringLiteral("Ustawienia PEXA/PEXA F"), QStringLiteral("Nowadrukarka1"));
    AddItem(pexa, QStringLiteral("Ustawienia"), QStringLiteral("Ustawienia2"));
    AddItem(pexa, QStringLiteral("Data wprowadzenia euro"), QStringLiteral("Datawprowadzeniaeuro1"));
    AddItem(pexa, QStringLiteral("Data następnego przeglądu"), QStringLiteral("Datanastpnegoprzegldu1"));
    QMenu *wyswietlacz = AddSubmenu(pexa, QStringLiteral("Dane na wyświetlacz"), QStringLiteral("Danenawy2"));
    AddItem(wyswietlacz, QStringLiteral("Odczyt"), QStringLiteral("Odczyt2"));
    AddItem(wyswietlacz, QStringLiteral("Zapis"), QStringLiteral("Zapis2"));
    AddItem(wyswietlacz, QStringLiteral("Kasowanie"), QStringLiteral("Kasowanie1"));
    AddItem(pexa, QStringLiteral("Linie reklamowe"), QStringLiteral("Liniereklamowe1"));

    QMenu *serwis = AddMenu(QStringLiteral("Serwis"), QStringLiteral("Serwis1"));
    AddItem(serwis, QStringLiteral("Użytkownik"), QStringLiteral("Odczytuytkownika1"));
    serwis->addSeparator();
    QMenu *tryb = AddSubmenu(serwis, QStringLiteral("Tryb fiskalny"), QStringLiteral("Trybfiskalny1"));
    AddItem(tryb, QStringLiteral("Przełączenie w tryb fiskalny"), QStringLiteral("Przeczeniewtrybfiskalny1"));
    QMenu *rozliczeniowy =
        AddSubmenu(tryb, QStringLiteral("Raport rozliczeniowy"), QStringLiteral("Raportrozliczeniowy1"));
    AddItem(rozliczeniowy, QStringLiteral("Całości"), QStringLiteral("Cao1"));
    AddItem(rozliczeniowy, QStringLiteral("Według dat"), QStringLiteral("Wedugdat3"));
    AddItem(rozliczeniowy, QStringLiteral("Według numerów"), QStringLiteral("Wedugnumerw3"));
    AddItem(tryb, QStringLiteral("Baza nazw i stawek"), QStringLiteral("Bazanazwitowarw1"));

    QMenu *komunikacja = AddMenu(QStringLiteral("&Komunikacja"), QStringLiteral("Komunikacja1"));
    AddItem(komunikacja, QStringLiteral("Parametry"), QStringLiteral("Parametry1"));
    AddItem(komunikacja, QStringLiteral("O programie"), QStringLiteral("Oprogramie1"));
}

QAction *TGlowneOkno::Item(const QString &objectName) const {
    return items_.value(objectName, nullptr);
}

void TGlowneOkno::SetItem(const char *name, bool enabled, bool visible) {
    if (QAction *action = Item(QString::fromLatin1(name))) {
        action->setEnabled(enabled);
        action->setVisible(visible);
    }
}

void TGlowneOkno::SetItemEnabled(const char *name, bool enabled) {
    if (QAction *action = Item(QString::fromLatin1(name))) action->setEnabled(enabled);
}

QString TGlowneOkno::PanelText(int panel) const {
    return panel >= 0 && panel < 2 ? panels_[panel]->text() : QString();
}

void TGlowneOkno::SetStatusPanels(const QString &deviceName, uint8_t port, uint16_t speed) {
    panels_[0]->setText(deviceName.toUpper());
    panels_[1]->setText(QStringLiteral("COM%1, %2 b/s").arg(port).arg(speed));
    // With DARVO_REPORT_STATUS_BAR set, the first filling is told on stderr
    // (the start-up benchmark waits for it).
    static bool told = false;
    if (!told && std::getenv("DARVO_REPORT_STATUS_BAR")) {
        told = true;
        std::fprintf(stderr, "nivrasw: status bar: %s | %s\n", panels_[0]->text().toUtf8().constData(),
                     panels_[1]->text().toUtf8().constData());
    }
}

// ---------------------------------------------------------------------------
// Shared routines

void TGlowneOkno::ShowActivityMessage(const QString &text) {
    activity_->SetText(text);
}

void TGlowneOkno::EnableWindow() {
    setEnabled(true);
}

QString TGlowneOkno::ActivityText() const {
    return activity_->Text();
}

void TGlowneOkno::Processmessages() {
    // Input waits until the driver has finished: a second command must not
    // start while this one talks to the printer.
    ++waiting_;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    --waiting_;
}

void TGlowneOkno::SetBusyCursor() {
    if (busy_) return;
    busy_ = true;
    const AnimatedCursor *animated = LoadedBusyCursor();
    if (!animated || animated->steps.empty()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        return;
    }
    // The loaded cursor, animated whenever the window processes its
    // messages (the driver lets it between status polls).
    cursorStep_ = 0;
    QApplication::setOverrideCursor(animated->steps[0].cursor);
    if (animated->steps.size() > 1) cursorTimer_->start(animated->steps[0].milliseconds);
}

void TGlowneOkno::NextCursorStep() {
    const AnimatedCursor *animated = LoadedBusyCursor();
    if (!busy_ || !animated || animated->steps.size() < 2) return;
    cursorStep_ = (cursorStep_ + 1) % animated->steps.size();
    QApplication::changeOverrideCursor(animated->steps[cursorStep_].cursor);
    cursorTimer_->start(animated->steps[cursorStep_].milliseconds);
}

void TGlowneOkno::SetArrowCursor() {
    if (!busy_) return;
    cursorTimer_->stop();
    QApplication::restoreOverrideCursor();
    busy_ = false;
}

void TGlowneOkno::ShowErrorCode(int32_t code) {
    RefuseCommand(ErrorMessageText(code));
}

void TGlowneOkno::ShowOpeningResult(int32_t code, uint8_t port) {
    ErrorBeep();
    switch (code) {
    case 2:
        ErrorBox(
            QStringLiteral("Brak portu COM%1 w systemie.\rNależy ustawić parametry komunikacji").arg(port));
        break;
    case 5:
        ErrorBox(
            QStringLiteral("Nie można otworzyć portu COM%1.Prawdopodobnie jest używany przez inną aplikację")
                .arg(port));
        break;
    default: ErrorBox(ErrorMessageText(code)); break;
    }
}

int32_t TGlowneOkno::ReopenPort(uint8_t port, uint16_t speed) {
    return darvo::ops::ReopenPort({port, speed});
}

bool TGlowneOkno::CheckConnectedDevice(uint8_t &deviceType, bool &errorReported) {
    SetArrowCursor();
    ShowActivityMessage(QStringLiteral("Sprawdzanie typu podłączonego urządzenia..."));

    ChooseDialogsPort();

    const int32_t opened = ReopenPort(chosen_.port, chosen_.speed);
    if (opened != 0) {
        if (opened == 2 || opened == 5)
            ShowOpeningResult(opened, chosen_.port);
        else
            ShowErrorCode(opened);
        // The message has been shown: the caller must not add another one.
        errorReported = true;
        return false;
    }

    uint8_t type = 9;
    // Kept as the driver's own device type, which DeviceName names.
    if (int32_t code = darvo::ops::Identify(type); code != 0) {
        ShowErrorCode(code);
        errorReported = true;
        return false;
    }

    std::string name;
    if (int32_t code = DeviceName(name); code != 0)
        ShowErrorCode(code);
    else
        SetStatusPanels(FromDriver(name), chosen_.port, chosen_.speed);

    bool result = false;
    if (type <= 8) {
        ConfigureMenusForDevice(type);
        result = true;
    }
    deviceType = type;
    errorReported = false;
    return result;
}

bool TGlowneOkno::DeviceCheck(uint8_t &deviceType, bool fullStop) {
    bool errorReported = false;
    if (CheckConnectedDevice(deviceType, errorReported)) return true;
    if (!errorReported) {
        RefuseCommand(fullStop ? kNotFiscal + QLatin1Char('.') : kNotFiscal);
    } else {
        ClearActivityMessage();
    }
    return false;
}

void TGlowneOkno::ConfigureMenusForDevice(uint8_t type) {
    SetItem("Przeczeniewtrybfiskalny1", false, false);
    SetItem("Raportrozliczeniowy1", false, false);
    SetItem("Inicjowaniezegara1", false, false);
    dialogs_.Komunikacja->Button1->setEnabled(true);

    const bool second = !darvo::ops::IsFirstGeneration(type);
    for (const char *name : kSecondGenerationItems)
        SetItemEnabled(name, second);
    if (!second) return;

    const bool pexa = darvo::ops::IsPexaFamily(type);
    SetItemEnabled("Nowadrukarka1", pexa);
    SetItemEnabled("Finansowypodatkowy1", pexa);
    SetItemEnabled("Ilo1", !pexa);
}

bool TGlowneOkno::ReadStatusForCheck(darvo::ops::StatusBits &bits, bool &errorReported) {
    darvo::ops::Status status;
    const int32_t code = darvo::ops::ReadStatus(status);
    if (code == 0) {
        bits = status.bits;
        errorReported = false;
        return true;
    }
    errorReported = true;
    SetArrowCursor();
    RefuseCommand(ErrorMessageText(code));
    ClearActivityMessage();
    return false;
}

bool TGlowneOkno::IsPrinterFiscal(bool &errorReported) {
    darvo::ops::StatusBits bits;
    return ReadStatusForCheck(bits, errorReported) && bits.fiscal;
}

bool TGlowneOkno::IsDrawerOpen(bool &errorReported) {
    darvo::ops::StatusBits bits;
    return ReadStatusForCheck(bits, errorReported) && !bits.drawerClosed;
}

bool TGlowneOkno::IsReadOnlyMode(bool &errorReported) {
    darvo::ops::StatusBits bits;
    return ReadStatusForCheck(bits, errorReported) && bits.readOnly;
}

bool TGlowneOkno::CheckCmosErased(bool &errorReported) {
    darvo::ops::StatusBits bits;
    return ReadStatusForCheck(bits, errorReported) && bits.cmosErased;
}

bool TGlowneOkno::CheckPrintConditions(bool &errorReported, darvo::ops::PrintBlocker &blocker) {
    SetBusyCursor();
    darvo::ops::StatusBits bits;
    if (!ReadStatusForCheck(bits, errorReported)) return false;
    blocker = darvo::ops::PrintBlockerOf(bits);
    SetArrowCursor();
    return blocker == darvo::ops::PrintBlocker::None;
}

// ---------------------------------------------------------------------------
// Start-up, activation, closing

void TGlowneOkno::FillPortList() {
    QComboBox *list = dialogs_.Komunikacja->cbNumerPortu;
    list->clear();
    for (unsigned n : darvo::ops::OpenablePorts())
        list->addItem(QStringLiteral("COM%1").arg(n));
    if (list->count() > 0) list->setCurrentIndex(0);
    firstActivation_ = false;
}

void TGlowneOkno::ShowCommunicationDialog() {
    dialogs_.Komunikacja->ShowModal();
}

void TGlowneOkno::FormActivate() {
    if (firstActivation_) {
        FillPortList();
        // The port named on the command line, when it can be opened; the
        // first port found otherwise. A port named without a speed is the
        // one the dialog offers.
        QComboBox *list = dialogs_.Komunikacja->cbNumerPortu;
        const int named = chosen_.port ? list->findText(QStringLiteral("COM%1").arg(chosen_.port)) : -1;
        if (named >= 0) list->setCurrentIndex(named);
        if (chosen_.port == 0 || chosen_.speed == 0) {
            ErrorBeep();
            ShowCommunicationDialog();
            ClearActivityMessage();
            return;
        }

        repaint();
        // With no port found at all the named one is tried, so that its
        // message says what is wrong with it.
        if (list->count() > 0) chosen_.port = dialogs_.Komunikacja->SelectedPortEntry();
        dialogs_.Komunikacja->rgPredkosc->SetItemIndex(ItemOfSpeed(chosen_.speed));

        darvo::ops::ReleasePort();
        const int32_t opened = darvo::ops::OpenPort({chosen_.port, chosen_.speed});
        if (opened != 0) {
            ClearActivityMessage();
            ShowOpeningResult(opened, chosen_.port);
            ErrorBeep();
            ShowCommunicationDialog();
            ClearActivityMessage();
            return;
        }

        uint8_t type = 9;
        bool errorReported = false;
        if (!CheckConnectedDevice(type, errorReported)) {
            if (!errorReported) {
                RefuseCommand(kNotFiscal);
            } else {
                ErrorBeep();
                ShowCommunicationDialog();
            }
        } else {
            // Kept as the driver's own device type, which DeviceName names.
            if (int32_t code = darvo::ops::Identify(type); code != 0) {
                ShowErrorCode(code);
            } else {
                const bool second = darvo::ops::IsSecondGeneration(type);
                for (const char *name : kSecondGenerationItems)
                    SetItemEnabled(name, second);
                std::string name;
                if (int32_t code = DeviceName(name); code != 0)
                    ShowErrorCode(code);
                else
                    SetStatusPanels(FromDriver(name), chosen_.port, chosen_.speed);
            }
        }
    }
    ClearActivityMessage();
}

bool TGlowneOkno::event(QEvent *e) {
    switch (e->type()) {
    case QEvent::Show:
    case QEvent::WindowActivate:
        // The first activation's work (the port list, connecting) runs once
        // the window is shown and the event loop runs, after this event
        // because it opens dialogs of its own. It does not wait for an
        // activation: without a window manager, or with one that refuses
        // the focus, the window is never activated.
        if (firstActivation_) {
            if (!activationQueued_) QMetaObject::invokeMethod(this, "FormActivate", Qt::QueuedConnection);
            activationQueued_ = true;
        } else if (e->type() == QEvent::WindowActivate) {
            ClearActivityMessage();
        }
        break;
    default: break;
    }
    return QMainWindow::event(e);
}

void TGlowneOkno::closeEvent(QCloseEvent *e) {
    if (waiting_ > 0) {
        // The driver is in the middle of an exchange on this port.
        e->ignore();
        return;
    }
    darvo::ops::ReleasePort();
    e->accept();
}

void TGlowneOkno::AppException(QObject *sender, const QString &message) {
    for (QObject *o = sender; o; o = o->parent()) {
        if (o->objectName() == QLatin1String("meZegar")) {
            ErrorBox(QStringLiteral("Godzina została wprowadzona nieprawidłowo."));
            return;
        }
    }
    ShowBox(BoxKind::Error, QStringLiteral("NivraSW"), message);
    darvo::ops::ReleasePort();
    TNivraApplication::Terminate();
}
