// The main window: menu, activity text, status checks, device check,
// exception hook, about box, closing, and the program's message boxes.
#include "AppFixture.h"

#include "core/DriverText.h"
#include "shell/TNivraApplication.h"

#include "darvodr/Host.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <stdexcept>

using namespace apptest;

namespace {

class MainWindow : public AppTest {};

// The menu as a line: name=caption in order, submenus in brackets,
// separators as "-"; "!" marks an action Item() does not find by its name.
QString MenuOutline(const QList<QAction *> &actions) {
    QStringList parts;
    for (QAction *a : actions) {
        QString part = a->isSeparator() ? "-" : a->objectName() + "=" + a->text();
        if (!a->isSeparator() && GlowneOkno->Item(a->objectName()) != a) part += "!";
        if (a->menu()) part += "[" + MenuOutline(a->menu()->actions()) + "]";
        parts << part;
    }
    return parts.join(",");
}

TEST_F(MainWindow, CaptionMenuAndControlsCarryTheirNames) {
    EXPECT_EQ("Program użytkownika drukarek fiskalnych DARVO: Nivra, Nivra F, PEXA, PEXA F",
              GlowneOkno->windowTitle());
    EXPECT_EQ(QSize(602, 414), GlowneOkno->size());
    EXPECT_EQ("NivraSW", QCoreApplication::applicationName());
    EXPECT_NE(nullptr, GlowneOkno->findChild<QMenuBar *>("menuGlowne"));
    EXPECT_NE(nullptr, GlowneOkno->findChild<QStatusBar *>("sb"));
    auto *pb = GlowneOkno->findChild<QProgressBar *>("pbFiskal");
    ASSERT_NE(nullptr, pb);
    EXPECT_TRUE(pb->isHidden());
    EXPECT_EQ(0, pb->minimum());
    EXPECT_EQ(16, pb->maximum());
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
              MenuOutline(GlowneOkno->menuBar()->actions()));
    EXPECT_EQ(GlowneOkno->findChild<QMenu *>("Trybfiskalny1"),
              GlowneOkno->findChild<QMenu *>("Raportrozliczeniowy1")->parent());
    EXPECT_FALSE(Item("Sposbzaokrglania1")->isVisible());
    for (const char *name : {"Przeczeniewtrybfiskalny1", "Raportrozliczeniowy1", "Inicjowaniezegara1"})
        EXPECT_FALSE(Item(name)->isVisible() || Item(name)->isEnabled()) << name;

    EXPECT_EQ("Ustaw parametry komunikacji", Komunikacja->windowTitle());
    EXPECT_EQ(Komunikacja, GlowneOkno->findChild<TKomunikacja *>("Komunikacja"));
    EXPECT_EQ("Numer portu COM: ", Komunikacja->Label1->text());
    EXPECT_EQ("Szybkość transmisji", Komunikacja->rgPredkosc->title());
    ASSERT_EQ(3, Komunikacja->rgPredkosc->Count());
    EXPECT_EQ("  9600 b/s", Komunikacja->rgPredkosc->Button(0)->text());
    EXPECT_EQ("19200 b/s", Komunikacja->rgPredkosc->Button(1)->text());
    EXPECT_EQ("28800 b/s", Komunikacja->rgPredkosc->Button(2)->text());
    EXPECT_EQ("Zatwierdź", Komunikacja->Button1->text());
    EXPECT_TRUE(Komunikacja->Button1->isDefault());
    EXPECT_FALSE(Komunikacja->cbNumerPortu->isEditable());
    for (const char *name : {"cbNumerPortu", "rgPredkosc", "Button1"})
        EXPECT_NE(nullptr, Komunikacja->findChild<QWidget *>(name)) << name;
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

TEST_F(MainWindow, ActivityTextIsCentredAndDrawnAtOnce) {
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
}

TEST_F(MainWindow, DriverCallsReachTheWindow) {
    // The driver hands its texts over in Windows-1250.
    darvo::ShowActivityMessage("Odczyt bajt\xF3w statusu...");
    EXPECT_EQ("Odczyt bajtów statusu...", GlowneOkno->ActivityText());
    int32_t port = 0, speed = 0;
    EXPECT_FALSE(darvo::Host().SelectedPortAndSpeed(port, speed));
    SelectedPort = 3;
    SelectedSpeed = 28800;
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

TEST_F(MainWindow, StatusChecksReadTheirBits) {
    darvosim::Emulator &sim = Connect(7);
    bool reported = true;
    EXPECT_TRUE(GlowneOkno->IsPrinterFiscal(reported));
    EXPECT_FALSE(reported);
    EXPECT_FALSE(GlowneOkno->IsDrawerOpen(reported));
    EXPECT_FALSE(GlowneOkno->IsReadOnlyMode(reported));
    EXPECT_FALSE(GlowneOkno->CheckCmosErased(reported));
    WithPrinter(sim, [](darvosim::Printer &p) {
        p.status.fiscalMode = false;
        p.status.drawerClosed = false;
        p.status.readOnly = true;
        p.status.cmosErased = true;
    });
    EXPECT_FALSE(GlowneOkno->IsPrinterFiscal(reported));
    EXPECT_TRUE(GlowneOkno->IsDrawerOpen(reported));
    EXPECT_TRUE(GlowneOkno->IsReadOnlyMode(reported));
    EXPECT_TRUE(GlowneOkno->CheckCmosErased(reported));
    EXPECT_FALSE(reported);
    EXPECT_TRUE(recorder.boxes.empty());

    sim.Script(0x54, darvosim::Scripted{{darvosim::NAK}, 0, {}, false, 1});
    GlowneOkno->ShowActivityMessage("x");
    EXPECT_FALSE(GlowneOkno->CheckCmosErased(reported));
    EXPECT_TRUE(reported);
    ASSERT_EQ(1u, recorder.boxes.size());
    EXPECT_EQ("NAK na sekwencję sterującą.", recorder.boxes[0].text);
    EXPECT_EQ("Błąd", recorder.boxes[0].caption);
    EXPECT_EQ(1, beeps);
    EXPECT_EQ(QString(), GlowneOkno->ActivityText());
}

TEST_F(MainWindow, PrintConditionsLaterTestsWin) {
    darvosim::Emulator &sim = Connect(7);
    bool reported = true;
    int code = -1;
    EXPECT_TRUE(GlowneOkno->CheckPrintConditions(reported, code));
    EXPECT_EQ(0, code);
    EXPECT_FALSE(reported);

    struct Step {
        bool darvosim::StatusState::*flag;
        int code;
    };
    // Each condition added overrides the ones before it.
    const Step steps[] = {{&darvosim::StatusState::cmosErased, 1},
                          {&darvosim::StatusState::readOnly, 2},
                          {&darvosim::StatusState::noProgrammingVoltage, 3},
                          {&darvosim::StatusState::lowAccumulator, 7},
                          {&darvosim::StatusState::noController, 4},
                          {&darvosim::StatusState::failure, 5},
                          {&darvosim::StatusState::paperOut, 6}};
    for (const Step &step : steps) {
        WithPrinter(sim, [&](darvosim::Printer &p) { p.status.*step.flag = true; });
        EXPECT_FALSE(GlowneOkno->CheckPrintConditions(reported, code));
        EXPECT_EQ(step.code, code);
    }
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
}

TEST_F(MainWindow, BytesFiveAndSevenCountOnlyWhereTheyAreRead) {
    darvosim::Emulator &sim = Connect(3);
    WithPrinter(sim, [](darvosim::Printer &p) {
        p.version = 2; // NIVRA II before version 3: four status bytes
        p.status.noProgrammingVoltage = true;
        p.status.lowAccumulator = true;
    });
    bool reported = true;
    int code = -1;
    EXPECT_TRUE(GlowneOkno->CheckPrintConditions(reported, code));
    EXPECT_EQ(0, code);
}

TEST_F(MainWindow, ExceptionFromTheTimeFieldIsReportedAndTheProgramGoesOn) {
    class Thrower : public QObject {
      public:
        bool event(QEvent *) override { throw std::runtime_error("zła godzina"); }
    };
    QObject parent;
    parent.setObjectName("meZegar");
    auto *inner = new Thrower;
    inner->setParent(&parent);
    int ended = 0;
    TNivraApplication::SetTerminateHandler([&] { ++ended; });
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(inner, &event);
    TNivraApplication::SetTerminateHandler(nullptr);
    ASSERT_EQ(1u, recorder.boxes.size());
    EXPECT_EQ("Godzina została wprowadzona nieprawidłowo.", recorder.boxes[0].text);
    EXPECT_EQ("Błąd", recorder.boxes[0].caption);
    EXPECT_EQ(0, ended);
}

TEST_F(MainWindow, OtherExceptionIsShownAndEndsTheProgram) {
    darvosim::Emulator &sim = Connect(7);
    (void)sim;
    class Thrower : public QObject {
      public:
        bool event(QEvent *) override { throw std::runtime_error("awaria"); }
    } thrower;
    thrower.setObjectName("meData");
    int ended = 0;
    TNivraApplication::SetTerminateHandler([&] { ++ended; });
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&thrower, &event);
    TNivraApplication::SetTerminateHandler(nullptr);
    ASSERT_EQ(1u, recorder.boxes.size());
    EXPECT_EQ(BoxKind::Error, recorder.boxes[0].kind);
    EXPECT_EQ("awaria", recorder.boxes[0].text);
    EXPECT_EQ(1, ended);
    EXPECT_FALSE(PortOpen());
}

TEST_F(MainWindow, AboutBox) {
    EXPECT_EQ("O programie", AboutBox->windowTitle());
    EXPECT_EQ("WERSJA 3.05 z dnia 07.02.2008r.", AboutBox->lWersja->text());
    EXPECT_EQ("Program użytkownika drukarek", AboutBox->ProductName->text());
    EXPECT_EQ("Nivra, Nivra F, Pexa, Pexa F", AboutBox->Version->text());
    EXPECT_FALSE(AboutBox->Copyright->text().isEmpty());
    EXPECT_FALSE(AboutBox->Comments->text().isEmpty());
    EXPECT_EQ("OK", AboutBox->OKButton->text());

    GlowneOkno->ShowActivityMessage("x");
    bool shown = false;
    QTimer::singleShot(0, AboutBox, [&] {
        shown = AboutBox->isVisible();
        AboutBox->OKButton->click();
    });
    Item("Oprogramie1")->trigger();
    EXPECT_TRUE(shown);
    EXPECT_FALSE(AboutBox->isVisible());
    EXPECT_EQ(1, beeps);
    EXPECT_EQ(QString(), GlowneOkno->ActivityText());
}

TEST_F(MainWindow, ParametersOpensTheDialogAfterTheSound) {
    int beepsWhenShown = -1;
    dialogActions.push_back([&](TKomunikacja &) { beepsWhenShown = beeps; });
    Item("Parametry1")->trigger();
    EXPECT_EQ(1, dialogShown);
    EXPECT_EQ(1, beepsWhenShown);
    EXPECT_EQ(1, beeps);
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

TEST(MessageBoxes, KindsCaptionsLinesAndDefaultButtons) {
    BoxRequest request;
    request.kind = BoxKind::Error;
    request.caption = "Błąd";
    request.text = "TIMEOUT\r\rlinia\r\ndruga";
    auto box = BuildMessageBox(request, nullptr);
    EXPECT_EQ("Błąd", box->windowTitle());
    EXPECT_EQ("TIMEOUT\n\nlinia\ndruga", box->text());
    EXPECT_EQ(QMessageBox::Critical, box->icon());
    EXPECT_EQ(QMessageBox::Ok, box->standardButtons());
    EXPECT_EQ(Qt::ApplicationModal, box->windowModality());

    const std::pair<BoxKind, QMessageBox::Icon> kinds[] = {{BoxKind::ErrorQuestion, QMessageBox::Critical},
                                                           {BoxKind::Question, QMessageBox::Question},
                                                           {BoxKind::Warning, QMessageBox::Warning},
                                                           {BoxKind::WarningQuestion, QMessageBox::Warning},
                                                           {BoxKind::Information, QMessageBox::Information}};
    for (auto [kind, icon] : kinds) {
        request.kind = kind;
        auto b = BuildMessageBox(request, nullptr);
        EXPECT_EQ(icon, b->icon());
        EXPECT_EQ(IsQuestion(kind) ? (QMessageBox::Yes | QMessageBox::No)
                                   : QMessageBox::StandardButtons(QMessageBox::Ok),
                  b->standardButtons());
    }
    request.kind = BoxKind::Question;
    EXPECT_EQ(box->button(QMessageBox::Ok), box->defaultButton());
    auto yes = BuildMessageBox(request, nullptr);
    EXPECT_EQ(yes->button(QMessageBox::Yes), yes->defaultButton());
    request.defaultNo = true;
    auto no = BuildMessageBox(request, nullptr);
    EXPECT_EQ(no->button(QMessageBox::No), no->defaultButton());
}

TEST(MessageBoxes, ButtonsArePolish) {
    auto *app = static_cast<TNivraApplication *>(QCoreApplication::instance());
    ASSERT_TRUE(app->InstallPolishTranslation());
    BoxRequest request;
    request.kind = BoxKind::WarningQuestion;
    auto box = BuildMessageBox(request, nullptr);
    EXPECT_EQ("&Tak", box->button(QMessageBox::Yes)->text());
    EXPECT_EQ("&Nie", box->button(QMessageBox::No)->text());
    request.kind = BoxKind::Information;
    EXPECT_EQ("OK", BuildMessageBox(request, nullptr)->button(QMessageBox::Ok)->text());
}

} // namespace
