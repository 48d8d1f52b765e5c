// The main window: its names, menu and activity text, the device and status
// checks, the exception hook and closing; the first activation, which lists
// the ports and connects with the port and speed of the command line.
#include "AppFixture.h"

#include "core/DriverText.h"
#include "shell/TNivraApplication.h"

#include "darvodr/Host.h"

#include <QCloseEvent>
#include <QDialog>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <map>
#include <optional>
#include <stdexcept>

using namespace apptest;
using darvosim::Bytes;

namespace {

class MainWindow : public AppTest {};

// The menu as a line: name=caption in order, submenus in brackets,
// separators as "-"; "!" marks an action Item() does not find by its name.
QString MenuOutline(const TGlowneOkno &window, const QList<QAction *> &actions) {
    QStringList parts;
    for (QAction *a : actions) {
        QString part = a->isSeparator() ? "-" : a->objectName() + "=" + a->text();
        if (!a->isSeparator() && window.Item(a->objectName()) != a) part += "!";
        if (a->menu()) part += "[" + MenuOutline(window, a->menu()->actions()) + "]";
        parts << part;
    }
    return parts.join(",");
}

TEST_F(MainWindow, CaptionAndMenu) {
    EXPECT_EQ("Program użytkownika drukarek fiskalnych DARVO: Nivra, Nivra F, PEXA, PEXA F",
              GlowneOkno->windowTitle());
    EXPECT_EQ(QSize(602, 414), GlowneOkno->size());
    EXPECT_EQ("NivraSW", QCoreApplication::applicationName());
    EXPECT_TRUE(GlowneOkno->pbFiskal()->isHidden());
    EXPECT_EQ(0, GlowneOkno->pbFiskal()->minimum());
    EXPECT_EQ(16, GlowneOkno->pbFiskal()->maximum());
    EXPECT_EQ("Raporty1=&Raporty[Fiskalnydobowy1=Fiskalny dobowy,Finansowypodatkowy1=Finansowy podatkowy,"
              "Stanudrukarki1=Stanu drukarki,Okresowyskrcony1=Okresowy skrócony[Miesiczny1=Miesięczny,"
              "Wedugdat1=Według dat,Wedugnumerw1=Według numerów],"
              "Okresowyszczegowy1=Okresowy szczegółowy[Miesiczny2=Miesięczny,Wedugdat2=Według dat,"
              "Wedugnumerw2=Według numerów],Nazwtowarwzablokowanych1=Nazw towarów zablokowanych,"
              "Opiswstaych1=Opisów stałych,Wydrukkontrolnynazwistawek1=Wydruk kontrolny nazw i stawek,-,"
              "Kasowaniebuforawycen1=Kasowanie bufora wycen,"
              "Zdalnewyaczeniedrukarki1=Zdalne wyłaczenie drukarki],"
              "Testy1=&Testy[Standrukarki1=Stan drukarki,Bajtystatusu1=Bajty statusu,Wy1=Wyświetlacz,"
              "N41=Szuflada,PamicEPROM1=Pamięć PROM,Numerunikatowy1=Numer unikatowy],"
              "Zegar1=&Zegar[Odczytzegara1=&Odczyt zegara,Przestawianiezegara1=&Przestawianie zegara,"
              "Inicjowaniezegara1=&Inicjowanie zegara],Podatki1=&Podatki[Odczyt1=&Odczyt,Zapis1=&Zapis],"
              "Ustawienia1=&Ustawienia[Nrkasyikodobsugujcego1=&Nr kasy i kod obsługującego,"
              "Ilo1=Ilość wierszy do wysunięcia,Sposbzaokrglania1=Sposób zaokrąglania,-,"
              "Nowadrukarka1=Ustawienia PEXA/PEXA F[Ustawienia2=Ustawienia,"
              "Datawprowadzeniaeuro1=Data wprowadzenia euro,"
              "Datanastpnegoprzegldu1=Data następnego przeglądu,"
              "Danenawy2=Dane na wyświetlacz[Odczyt2=Odczyt,Zapis2=Zapis,Kasowanie1=Kasowanie],"
              "Liniereklamowe1=Linie reklamowe]],Serwis1=Serwis[Odczytuytkownika1=Użytkownik,-,"
              "Trybfiskalny1=Tryb fiskalny[Przeczeniewtrybfiskalny1=Przełączenie w tryb fiskalny,"
              "Raportrozliczeniowy1=Raport rozliczeniowy[Cao1=Całości,Wedugdat3=Według dat,"
              "Wedugnumerw3=Według numerów],Bazanazwitowarw1=Baza nazw i stawek]],"
              "Komunikacja1=&Komunikacja[Parametry1=Parametry,Oprogramie1=O programie]",
              MenuOutline(*GlowneOkno, GlowneOkno->menuBar()->actions()));
    EXPECT_EQ(GlowneOkno->findChild<QMenu *>("Trybfiskalny1"),
              GlowneOkno->findChild<QMenu *>("Raportrozliczeniowy1")->parent());
    EXPECT_FALSE(Item("Sposbzaokrglania1")->isVisible());
    for (const char *name : {"Przeczeniewtrybfiskalny1", "Raportrozliczeniowy1", "Inicjowaniezegara1"})
        EXPECT_FALSE(Item(name)->isVisible() || Item(name)->isEnabled()) << name;
}

// The names of the window's named descendants that are not in a window of
// their own, sorted, joined by blanks; the toolkit's own names are left out.
QString NamedChildren(QObject *window) {
    QStringList names;
    std::function<void(QObject *)> walk = [&](QObject *o) {
        for (QObject *child : o->children()) {
            if (child->isWidgetType() && static_cast<QWidget *>(child)->isWindow()) continue;
            const QString name = child->objectName();
            if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")) && !name.startsWith('_'))
                names << name;
            walk(child);
        }
    };
    walk(window);
    names.sort();
    return names.join(' ');
}

// The object names of every window and of its named children: outside tools
// and tests find widgets by them, so a rename fails here first.
TEST_F(MainWindow, ObjectNamesOfEveryWindowAndItsNamedChildren) {
    const std::map<QString, QString> expected = {
        {"GlowneOkno", "ActivityArea menuGlowne pbFiskal sb sbPanel0 sbPanel1"},
        {"AboutBox", "Comments Copyright OKButton ProductName ProgramIcon Version lWersja"},
        {"Komunikacja", "Button1 Label1 cbNumerPortu rgPredkosc"},
        {"fBajtyStatusu", "bOK mStatusy tStatus"},
        {"fDaneUzytkownika",
         "Button2 Button3 CB2 L4 L5 Label2 Label3 Label4 Label5 Label6 Label7 Label8 bOdczytPlik bWydrKontr "
         "bZapisPlik cb1 cb3 cb4 cb5 cb6 cbWys1 cbWys2 cbWys3 cbWys4 cbWys5 l1 l2 l3 l6 rg1 rg2 rg3 rg4 rg5 "
         "rg6 rgTyp"},
        {"fDataEuroPrzeglad", "bOdczyt bZapis dtDate"},
        {"fDataGodzina", "bOK lCzas lData tZegar"},
        {"fDataINumer", "Label1 Label2 Label3 bNie bTak db meNumer"},
        {"fIloscWierszy", "Button1 Button2 Label2 seIloscWierszy"},
        {"fNumerKasy", "Button1 Button2 Label3 eKod seNrKasy"},
        {"fNumerUnikatowy", "bOK lNumerUnikatowy"},
        {"fOdczytStawek", "Label1 Label2 Label3 Label4 Label5 Label6 Label7 bOK"},
        {"fOkresoweMiesieczne", "bNie bTak lPytanie seMiesiac seRok"},
        {"fOkresoweWgNumerow", "bNie bTak lPytanie seDo seOd"},
        {"fPrzestawianie", "Button1 Button2 Label1 Label2 meZegar"},
        {"fRaportyOkresoweWgDat", "bNie bTak dtDo dtOd lPytanie"},
        {"fReklama", "bZapis"},
        {"fReklamaOdczyt", "bOK iBitmapa"},
        {"fSposobZaokraglania", "Button1 Button2 Label1 rgZaokraglanie"},
        {"fStawkiPodatkowe",
         "Button1 Button2 Label8 cb1R cb1Z cb2R cb2Z cb3R cb3Z cb4R cb4Z cb5R cb5Z cb6R cb6Z cb7R cb7Z "
         "lStawkaA lStawkaB lStawkaC lStawkaD lStawkaE lStawkaF lStawkaG me1 me2 me3 me4 me5 me6 me7"},
        {"fTekstyReklamowe", "bKasowanie bOdczyt bZapis cb1 cb2 cb3 l1 l2 l3"},
        {"fTestWyswietlacza", "ITest3 ITest4 Label1 bOK iTest1 iTest2 iTest3Neg iTest4Neg"},
        {"fUstawZegar", "Button1 Button2 Label1 Label2 Label3 Label4 dtDate meZegar pbZegar"},
        {"fUstawienia",
         "bDomyslne bOdczyt bZapis cbTimeout rgSposobWyswietlenia rgStronaKodowa rgSzybkosc rgWydruk rgZera "
         "seCzasWyl seGlosnosc seKontrast seLinie sePodsw seReklama"},
    };
    std::map<QString, QString> actual{{GlowneOkno->objectName(), NamedChildren(GlowneOkno)}};
    for (QObject *child : GlowneOkno->children())
        if (auto *dialog = qobject_cast<QDialog *>(child))
            actual[dialog->objectName()] = NamedChildren(dialog);
    for (const auto &[window, names] : expected)
        EXPECT_EQ(names, actual[window]) << window.toStdString();
    EXPECT_EQ(expected.size(), actual.size());
}

TEST_F(MainWindow, MenusForEachDeviceType) {
    const char *const hidden[] = {"Przeczeniewtrybfiskalny1", "Raportrozliczeniowy1", "Inicjowaniezegara1"};
    for (int type = 0; type <= 8; ++type) {
        SCOPED_TRACE(type);
        // Opposite states first, to see what each type sets.
        for (const char *name : TGlowneOkno::kSecondGenerationItems)
            Item(name)->setEnabled(darvo::IsFirstGeneration(type));
        for (const char *name : {"Nowadrukarka1", "Finansowypodatkowy1", "Ilo1"})
            Item(name)->setEnabled(true);
        for (const char *name : hidden) {
            Item(name)->setEnabled(true);
            Item(name)->setVisible(true);
        }
        Komunikacja->Button1->setEnabled(false);

        GlowneOkno->ConfigureMenusForDevice(uint8_t(type));
        for (const char *name : hidden) {
            EXPECT_FALSE(Item(name)->isEnabled()) << name;
            EXPECT_FALSE(Item(name)->isVisible()) << name;
        }
        EXPECT_TRUE(Komunikacja->Button1->isEnabled());
        const bool second = type == 3 || type >= 6;
        for (const char *name : TGlowneOkno::kSecondGenerationItems)
            EXPECT_EQ(second, Item(name)->isEnabled()) << name;
        // The first generation leaves these as they were.
        const bool pexa = type == 7 || type == 8;
        EXPECT_EQ(!second || pexa, Item("Nowadrukarka1")->isEnabled());
        EXPECT_EQ(!second || pexa, Item("Finansowypodatkowy1")->isEnabled());
        EXPECT_EQ(!second || !pexa, Item("Ilo1")->isEnabled());
    }
}

// The activity text, also as the driver hands it over, and the port and
// speed the driver asks the window for.
TEST_F(MainWindow, ActivityTextAndTheDriversCalls) {
    GlowneOkno->show();
    auto *area = GlowneOkno->findChild<TActivityArea *>();
    ASSERT_NE(nullptr, area);
    GlowneOkno->ShowActivityMessage("Raport dobowy...");
    EXPECT_EQ("Raport dobowy...", GlowneOkno->ActivityText());
    const QRect rect = area->TextRect();
    ASSERT_FALSE(rect.isEmpty());
    const QPoint centre = area->mapTo(GlowneOkno, rect.center());
    const int statusTop = GlowneOkno->statusBar()->geometry().top();
    EXPECT_NEAR(GlowneOkno->width() / 2, centre.x(), 3);
    EXPECT_NEAR(statusTop / 2, centre.y(), 3);
    const QImage picture = area->grab().toImage();
    EXPECT_EQ(QColor(180, 180, 180), picture.pixelColor(rect.topLeft() + QPoint(1, 1)));

    // An empty text paints nothing and removes the previous one.
    GlowneOkno->ClearActivityMessage();
    EXPECT_TRUE(area->TextRect().isEmpty());
    EXPECT_NE(QColor(180, 180, 180), area->grab().toImage().pixelColor(rect.topLeft() + QPoint(1, 1)));
    GlowneOkno->hide();

    // The driver hands its texts over in Windows-1250.
    darvo::ShowActivityMessage("Odczyt bajt\xF3w statusu...");
    EXPECT_EQ("Odczyt bajtów statusu...", GlowneOkno->ActivityText());
    int32_t port = 0, speed = 0;
    EXPECT_FALSE(darvo::Host().SelectedPortAndSpeed(port, speed));
    GlowneOkno->ChoosePort({3, 28800});
    ASSERT_TRUE(darvo::Host().SelectedPortAndSpeed(port, speed));
    EXPECT_EQ(3, port);
    EXPECT_EQ(28800, speed);
}

TEST_F(MainWindow, DeviceCheckOfAMenuCommand) {
    darvosim::Emulator &sim = Connect(7);
    uint8_t type = 0;
    EXPECT_TRUE(GlowneOkno->DeviceCheck(type));
    EXPECT_EQ(7, type);
    EXPECT_TRUE(recorder.boxes.empty());
    // The last progress text stays for the command to clear.
    EXPECT_EQ("Odczyt typu urządzenia...", GlowneOkno->ActivityText());

    WithPrinter(sim, [](darvosim::Printer &p) { p.deviceType = 9; });
    EXPECT_FALSE(GlowneOkno->DeviceCheck(type));
    EXPECT_EQ(9, type);
    EXPECT_EQ(QStringList{"Podłączone urządzenie nie jest drukarką fiskalną"}, Texts());
    EXPECT_EQ(QString(), GlowneOkno->ActivityText());

    // A message already shown is not followed by a second one.
    sim.Script(0xFF, darvosim::Scripted{{0x65}, 0, {}, false, 1});
    EXPECT_FALSE(GlowneOkno->DeviceCheck(type));
    ASSERT_EQ(2u, recorder.boxes.size());
    EXPECT_EQ("Paragon nierozpoczęty.", recorder.boxes[1].text);
    EXPECT_EQ(2, beeps);

    // A port that has gone: its own message, and no second one after it.
    sims[1]->Stop();
    Unmap(1);
    EXPECT_FALSE(GlowneOkno->DeviceCheck(type));
    ASSERT_EQ(3u, recorder.boxes.size());
    EXPECT_EQ("Brak portu COM1 w systemie.\rNależy ustawić parametry komunikacji", recorder.boxes[2].text);
    EXPECT_EQ(3, beeps);
    EXPECT_EQ(QString(), GlowneOkno->ActivityText());
    EXPECT_EQ("INNE URZĄDZENIE", GlowneOkno->PanelText(0)); // from the last check that got an answer
}

// The print conditions: each one found overrides those before it, and
// bytes 5 and 7 count only where the printer sends them. (The simple status
// checks are the menu commands' own: the drawer, training and read-only
// mode, the CMOS memory.)
TEST_F(MainWindow, LaterPrintConditionsWin) {
    darvosim::Emulator &sim = Connect(7);
    using darvo::ops::PrintBlocker;
    bool reported = true;
    PrintBlocker code = PrintBlocker::LowBattery;
    EXPECT_TRUE(GlowneOkno->CheckPrintConditions(reported, code));
    EXPECT_EQ(PrintBlocker::None, code);
    EXPECT_FALSE(reported);

    struct Step {
        bool darvosim::StatusState::*flag;
        PrintBlocker code;
    };
    // Each condition added overrides the ones before it.
    const Step steps[] = {{&darvosim::StatusState::cmosErased, PrintBlocker::CmosErased},
                          {&darvosim::StatusState::readOnly, PrintBlocker::ReadOnly},
                          {&darvosim::StatusState::noProgrammingVoltage, PrintBlocker::NoProgrammingVoltage},
                          {&darvosim::StatusState::lowAccumulator, PrintBlocker::LowBattery},
                          {&darvosim::StatusState::noController, PrintBlocker::NoController},
                          {&darvosim::StatusState::failure, PrintBlocker::PrinterFailure},
                          {&darvosim::StatusState::paperOut, PrintBlocker::NoPaper}};
    for (const Step &step : steps) {
        WithPrinter(sim, [&](darvosim::Printer &p) { p.status.*step.flag = true; });
        EXPECT_FALSE(GlowneOkno->CheckPrintConditions(reported, code));
        EXPECT_EQ(step.code, code);
    }
    EXPECT_FALSE(reported);
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ(nullptr, QApplication::overrideCursor());

    // Status bytes that cannot be read: the message, and the arrow again.
    sim.Script(0x55, darvosim::Scripted{{darvosim::NAK}});
    GlowneOkno->ShowActivityMessage("x");
    EXPECT_FALSE(GlowneOkno->CheckPrintConditions(reported, code));
    EXPECT_TRUE(reported);
    ExpectOnlyError("NAK na sekwencję sterującą.");
    EXPECT_EQ(1, beeps);
    EXPECT_EQ(QString(), GlowneOkno->ActivityText());
    EXPECT_EQ(nullptr, QApplication::overrideCursor());
    EXPECT_FALSE(GlowneOkno->BusyCursorShown());

    // A NIVRA II before version 3 reads four status bytes: bytes 5 and 7 do
    // not count.
    darvosim::Emulator &old = Connect(3, 9600, 2);
    WithPrinter(old, [](darvosim::Printer &p) {
        p.status.noProgrammingVoltage = true;
        p.status.lowAccumulator = true;
    });
    EXPECT_TRUE(GlowneOkno->CheckPrintConditions(reported, code));
    EXPECT_EQ(PrintBlocker::None, code);
}

// An exception from the time field is reported and the program goes on; any
// other is shown, and the program closes the port and ends.
TEST_F(MainWindow, ExceptionsFromTheTimeFieldAndFromElsewhere) {
    Connect(7);
    class Thrower : public QObject {
      public:
        bool event(QEvent *) override { throw std::runtime_error("awaria"); }
    };
    QObject field;
    field.setObjectName("meZegar");
    auto *inField = new Thrower;
    inField->setParent(&field);
    Thrower other;
    other.setObjectName("meData");
    int ended = 0;
    TNivraApplication::SetTerminateHandler([&] { ++ended; });
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(inField, &event);
    EXPECT_EQ(0, ended);
    EXPECT_TRUE(PortOpen());
    QCoreApplication::sendEvent(&other, &event);
    TNivraApplication::SetTerminateHandler(nullptr);
    EXPECT_EQ(1, ended);
    EXPECT_FALSE(PortOpen());
    EXPECT_EQ(2u, recorder.boxes.size());
    ExpectBox(BoxKind::Error, "Błąd", "Godzina została wprowadzona nieprawidłowo.", 0);
    ExpectBox(BoxKind::Error, "NivraSW", "awaria", 1);
}

TEST_F(MainWindow, ClosingWhileTheDriverWaitsIsRefused) {
    Connect(7);
    // A close request arrives while print monitoring lets the window work.
    QCoreApplication::postEvent(GlowneOkno, new QCloseEvent);
    darvo::Processmessages();
    EXPECT_TRUE(PortOpen());
    EXPECT_TRUE(GlowneOkno->close());
    EXPECT_FALSE(PortOpen());
}

class Startup : public AppTest {
  protected:
    void Start(uint8_t port, uint16_t speed) {
        GlowneOkno->ChoosePort({static_cast<uint8_t>(port), static_cast<uint16_t>(speed)});
        GlowneOkno->FormActivate();
    }
};

// Showing the window is enough: the first activation's work runs once the
// event loop runs, whether or not the window is ever activated (without a
// window manager it never is), and a later activation only clears the
// activity text.
TEST_F(Startup, ShowingTheWindowConnectsOnceWithThePortAndSpeedOfTheCommandLine) {
    darvosim::Emulator &sim = StartSim(2, 7);
    GlowneOkno->ChoosePort({2, 9600});
    GlowneOkno->show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ(0, dialogShown);
    EXPECT_EQ(0, beeps);
    EXPECT_EQ(QStringList{"COM2"}, PortList());
    EXPECT_EQ("DARVO PEXA", GlowneOkno->PanelText(0));
    EXPECT_EQ("COM2, 9600 b/s", GlowneOkno->PanelText(1));
    EXPECT_EQ(QString(), GlowneOkno->ActivityText());
    EXPECT_FALSE(GlowneOkno->FirstActivation());
    EXPECT_TRUE(PortOpen());
    // Identified by the device check, then once more for the menus.
    EXPECT_EQ((Bytes{0xFF, 0xFE, 0xFF, 0xFE}), Commands(sim));
    EXPECT_EQ(9600u, sim.LineSpeed());
    EXPECT_FALSE(Item("Ilo1")->isEnabled()); // the menus of a PEXA printer: no feed lines

    GlowneOkno->ShowActivityMessage("x");
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(GlowneOkno, &activate);
    QCoreApplication::processEvents();
    EXPECT_EQ(QString(), GlowneOkno->ActivityText());
    EXPECT_EQ(4u, Commands(sim).size());
    GlowneOkno->hide();
}

TEST_F(Startup, SelectsThePortAndSpeedNamedAndTheItemsOfTheGeneration) {
    StartSim(2, 7);
    darvosim::Emulator &sim5 = StartSim(5, 3, 4);
    Start(5, 28800);
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ((QStringList{"COM2", "COM5"}), PortList());
    EXPECT_EQ("COM5", Komunikacja->cbNumerPortu->currentText());
    EXPECT_EQ(2, Komunikacja->rgPredkosc->ItemIndex());
    EXPECT_EQ("NIVRA II GENERACJI", GlowneOkno->PanelText(0));
    EXPECT_EQ("COM5, 28800 b/s", GlowneOkno->PanelText(1));
    EXPECT_EQ(28800u, sim5.LineSpeed());
    EXPECT_FALSE(Item("Nowadrukarka1")->isEnabled()); // not a PEXA printer
    EXPECT_TRUE(Item(TGlowneOkno::kSecondGenerationItems[0])->isEnabled());

    StartSim(1, 0);
    GlowneOkno->RunFirstActivationAgain();
    Start(1, 19200);
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ("KT820A 5-STAWKOWA", GlowneOkno->PanelText(0));
    EXPECT_EQ("COM1, 19200 b/s", GlowneOkno->PanelText(1));
    EXPECT_FALSE(Item(TGlowneOkno::kSecondGenerationItems[0])->isEnabled());
}

TEST_F(Startup, WithoutBothArgumentsTheDialogOpens) {
    darvosim::Emulator &first = StartSim(1, 7);
    StartSim(3, 7);
    int offered = 0;
    dialogActions.push_back([&](TKomunikacja &) { offered = GlowneOkno->ChosenPort().port; });
    Start(3, 0); // "COM3" alone: the dialog offers it
    EXPECT_EQ(1, dialogShown);
    EXPECT_EQ(3, offered);
    EXPECT_EQ(1, beeps);
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_FALSE(PortOpen());
    EXPECT_EQ((QStringList{"COM1", "COM3"}), PortList());
    EXPECT_EQ("COM3", Komunikacja->cbNumerPortu->currentText());
    EXPECT_EQ(QString(), GlowneOkno->PanelText(0));
    EXPECT_EQ(0, first.FrameCount());

    dialogShown = 0;
    GlowneOkno->RunFirstActivationAgain();
    Start(0, 9600); // "COM10 9600": the port is not accepted
    EXPECT_EQ(1, dialogShown);
    EXPECT_FALSE(PortOpen());
}

// Each failure gives its message after the warning sound; where the port or
// the line failed, the communication dialog follows after a second sound.
TEST_F(Startup, FailuresGiveTheirMessages) {
    using Scripts = std::vector<std::pair<uint8_t, darvosim::Scripted>>;
    const Scripts silent = {{0xFF, {{}, 0, {}, false, -1}}},
                  secondRefused = {{0xFF, {{darvosim::ACK, 44}}}, {0xFF, {{darvosim::NAK}}}};
    const QString missing = "Brak portu COM5 w systemie.\rNależy ustawić parametry komunikacji";
    const QString inUse = "Nie można otworzyć portu COM3.Prawdopodobnie jest używany przez inną aplikację";
    const QString other = "Podłączone urządzenie nie jest drukarką fiskalną";
    const QTemporaryDir dir;
    const QString map = dir.filePath("ports.conf");
    QFile damaged(map);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly) && damaged.write("COM4 /dev/ttyS3\n") > 0);
    damaged.close();
    const QString badLine =
        "Plik mapy portów " + map + ", wiersz 1: oczekiwano \"COMn = /dev/...\" (n od 1 do 255).";
    const struct {
        const char *name;
        int port, type; // type -1: no printer, 99: a file that is no serial line, 98: a damaged port map
        bool held;
        Scripts scripts;
        QString text;
        int sounds, dialogs;
        bool open;
        QString panel0;
        std::optional<Bytes> commands;
    } cases[] = {
        {"missing port", 5, -1, false, {}, missing, 2, 1, false, "", std::nullopt},
        {"port in use", 3, 7, true, {}, inUse, 2, 1, false, "", Bytes{}},
        {"silent printer", 1, 7, false, silent, ErrorMessageText(21), 2, 1, true, "", std::nullopt},
        {"no serial line", 1, 99, false, {}, ErrorMessageText(6), 2, 1, false, "", std::nullopt},
        {"damaged port map", 4, 98, false, {}, badLine, 2, 1, false, "", std::nullopt},
        {"other device", 1, 9, false, {}, other, 1, 0, true, "INNE URZĄDZENIE", Bytes{0xFF}},
        {"second identification refused", 1, 3, false, secondRefused, "NAK na sekwencję sterującą.", 1, 0,
         true, "NIVRA II GENERACJI", Bytes{0xFF, 0xFE, 0xFF}},
    };
    EXPECT_TRUE(ErrorMessageText(21).startsWith("TIMEOUT ODBIERANIA: "));
    EXPECT_FALSE(ErrorMessageText(6).isEmpty());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        StopSims();
        darvosim::Emulator *sim = c.type >= 0 && c.type <= 9 ? &StartSim(c.port, c.type) : nullptr;
        if (c.type == 99) Map(c.port, "/dev/null");
        if (c.type == 98) {
            ::unsetenv("DARVO_COM4");
            ::setenv("DARVO_PORTS_FILE", map.toLocal8Bit().constData(), 1);
        }
        for (const auto &[command, script] : c.scripts)
            sim->Script(command, script);
        std::optional<HeldPort> other;
        if (c.held) other.emplace(sim->SlavePath());
        EXPECT_TRUE(!c.held || other->Held());
        recorder.boxes.clear();
        beeps = dialogShown = 0;
        GlowneOkno->RunFirstActivationAgain();
        Start(uint8_t(c.port), 9600);
        ExpectOnlyError(c.text);
        EXPECT_EQ(c.sounds, beeps);
        EXPECT_EQ(c.dialogs, dialogShown);
        EXPECT_EQ(c.open, PortOpen());
        EXPECT_EQ(c.panel0, GlowneOkno->PanelText(0));
        EXPECT_EQ(QString(), GlowneOkno->ActivityText());
        if (c.commands) {
            EXPECT_EQ(*c.commands, Commands(*sim));
        }
        ::unsetenv("DARVO_PORTS_FILE");
        Unmap(c.port);
    }
}

} // namespace
