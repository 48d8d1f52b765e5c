// The Zegar menu and its dialogs: the shift and its refusals, the live clock on an erased CMOS memory, and
// the initialisation of an erased clock from the communication dialog with today's date.
#include "AppFixture.h"

#include "clock/TfDataGodzina.h"
#include "clock/TfPrzestawianie.h"
#include "clock/TfUstawZegar.h"
#include "core/DriverText.h"

#include "SalesState.h"
#include "darvodr.h"

#include <QDateEdit>
#include <QProgressBar>
#include <QTimer>
#include <algorithm>

using namespace apptest;
using darvosim::Bytes;

namespace {

const QString kNotInitialised =
    QStringLiteral("Zegar drukarki fiskalnej nie został zainicjowany.\r"
                   "Najprawdopodobniej data, którą próbowano ustawić nie jest poprawna.\r"
                   "Nie wolno ustawiać daty, która jest wcześniejsza niż data ostatniego\r"
                   "raportu dobowego (jeśli jakiś był już wykonany).");

class Clock : public AppTest {
  protected:
    static void StopClockAt(darvosim::Emulator &sim, int hour, int minute) {
        WithPrinter(sim, [&](darvosim::Printer &p) {
            darvosim::SetSalesClock(p.sales, {2026, 12, 6, hour, minute, 0}, true);
            p.fiscal.clockShiftAllowed = true;
            p.fiscal.lastClockShift = {};
        });
    }
    // Przestawianie zegara with the given time typed and "&Tak" pressed.
    void Shift(darvosim::Emulator &sim, const QString &wanted) {
        dialogRunners.push_back([this, &sim, wanted](TDialog &) {
            WithPrinter(sim, [](darvosim::Printer &) {}); // what the menu sent is served
            sim.log().Clear();
            fPrzestawianie->meZegar->setText(wanted);
            fPrzestawianie->Button1Click();
            EXPECT_TRUE(fPrzestawianie->Button1->isEnabled());
        });
        Choose("Przestawianiezegara1");
    }
    QString LastBox() const { return recorder.boxes.empty() ? QString() : recorder.boxes.back().text; }
};

// A shift goes out only for a time of day within 60 minutes of the
// printer's, and the live clock then shows the new time; a bad time is
// refused before anything is sent, and a second shift on the same day, which
// the printer takes and ignores, is caught by reading the clock back.
TEST_F(Clock, ShiftsByAtMostSixtyMinutesOfTheDay) {
    const QString tooFar = QStringLiteral("Nie można przestawić zegara o więcej niż 60 minut");
    const QString badTime = QStringLiteral("Godzina została wprowadzona nieprawidłowo.");
    const QString twice = QStringLiteral("             Nie udało się przestawić zegara:                \r"
                                         "Nie można przestawiać zegara dwa razy w ciągu tej samej doby.");
    struct Case {
        int hour, minute;
        const char *wanted;
        QString refusal; // empty: shifted
        Bytes sent;      // the shift command, when it goes out
        const char *after;
        bool ignored = false; // the printer takes the shift and keeps its clock
    } cases[] = {
        {10, 0, "11:00", {}, {ESC, 54, 1, 6, 0}, "11:00"},
        {10, 30, "09:30", {}, {ESC, 54, 0, 6, 0}, "09:30"},
        {10, 0, "08:59", tooFar, {}, "10:00"},
        {23, 50, "00:10", tooFar, {}, "23:50"}, // 1420 minutes back, not 20 forward
        {10, 0, "10:00", QStringLiteral("Nie można przestawić zegara o 0 minut"), {}, "10:00"},
        {10, 0, "25:00", badTime, {}, "10:00"},
        {10, 0, "12:60", badTime, {}, "10:00"},
        {10, 0, "", badTime, {}, "10:00"},
        {10, 0, "10:20", twice, {ESC, 54, 1, 2, 0}, "10:00", true},
    };
    darvosim::Emulator &sim = Connect();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.wanted);
        StopClockAt(sim, c.hour, c.minute);
        if (c.ignored) sim.Script(54, darvosim::Scripted{{darvosim::ACK}, 3});
        Reset(sim);
        Shift(sim, QString::fromLatin1(c.wanted));
        EXPECT_TRUE(c.refusal != badTime || Commands(sim).empty());
        const auto frames = Frames(sim, 54);
        EXPECT_LE(frames.size(), 1u);
        EXPECT_EQ(c.sent, frames.empty() ? Bytes{} : frames[0].fromHost);
        if (c.refusal.isEmpty()) {
            EXPECT_EQ(BoxKind::Information, recorder.boxes.back().kind);
            EXPECT_EQ("Zegar został przestawiony.", LastBox());
            EXPECT_EQ((QStringList{"fPrzestawianie", "fDataGodzina"}), shownDialogs);
        } else {
            ExpectOnlyError(c.refusal);
            EXPECT_EQ(QStringList{"fPrzestawianie"}, shownDialogs);
        }
        std::string date, time;
        ASSERT_EQ(0, ReadClock(date, time));
        EXPECT_EQ(std::string(c.after) + ":00", time);
    }
}

TEST_F(Clock, NonZeroReceiptCounterRunsTheDailyReportFirstWhenAsked) {
    darvosim::Emulator &sim = Connect();
    StopClockAt(sim, 10, 0);
    WithPrinter(sim, [](darvosim::Printer &p) {
        p.sales.receiptCounter = 3;
        p.fiscal.clockShiftAllowed = false; // until the report
    });
    recorder.answers = {BoxAnswer::Yes};
    Shift(sim, QStringLiteral("10:05"));
    ASSERT_GE(recorder.boxes.size(), 2u);
    EXPECT_EQ("Niezerowy licznik paragonów.\rAby przestawić zegar należy wykonać raport fiskalny "
              "dobowy.\rCzy wykonać ten raport?",
              recorder.boxes[0].text);
    EXPECT_EQ("Zegar został przestawiony.", LastBox());
    const auto report = sim.log().FramesOf(37), shift = sim.log().FramesOf(54);
    ASSERT_EQ(1u, report.size());
    ASSERT_EQ(1u, shift.size());
    EXPECT_LT(report[0].number, shift[0].number);
}

TEST_F(Clock, LiveClockReadsUntilTheCmosTurnsOutErased) {
    darvosim::Emulator &sim = Connect();
    StopClockAt(sim, 14, 5);
    struct Case {
        bool erased, initSucceeded;
        QString message; // empty: the clock is read and the timer goes on
    } cases[] = {
        {false, true, {}},
        {true, false, QStringLiteral("Skasowana pamięć CMOS. Wejdź do inicjowania zegara.")},
        {true, true, kNotInitialised},
    };
    for (const Case &c : cases) {
        WithPrinter(sim, [&](darvosim::Printer &p) { p.status.cmosErased = c.erased; });
        fDataGodzina->ExpectSetClock(c.initSucceeded);
        recorder.boxes.clear();
        bool running = false;
        dialogRunners.push_back([&](TDialog &) {
            EXPECT_TRUE(fDataGodzina->tZegar->isActive());
            fDataGodzina->tZegarTimer();
            running = fDataGodzina->tZegar->isActive();
        });
        Choose("Odczytzegara1");
        EXPECT_FALSE(fDataGodzina->ExpectsSetClock());
        EXPECT_FALSE(fDataGodzina->tZegar->isActive()); // stopped when it closed
        if (c.message.isEmpty()) {
            EXPECT_TRUE(running);
            EXPECT_TRUE(recorder.boxes.empty());
            EXPECT_EQ("Data   :     2026.12.06", fDataGodzina->lData->text());
            EXPECT_EQ("Godzina:     14:05:00", fDataGodzina->lCzas->text());
        } else {
            EXPECT_FALSE(running);
            ExpectOnlyError(c.message);
        }
    }
}

// The first date lies before the printer's last daily report: the printer
// takes it and keeps its clock unset, the live clock says so, and the dialog
// stays open for the technician to pick today's date at once.
TEST_F(Clock, ErasedPexaClockIsInitialisedFromTheConnectionAfterARefusedDate) {
    darvosim::Emulator &sim = StartSim(1, 7);
    WithPrinter(sim, [](darvosim::Printer &p) {
        p.status.cmosErased = true;
        p.status.serviceJumper = true;
        p.fiscal.records.push_back({1, {20, 5, 5}});
    });
    const QDate today = QDate::currentDate();
    int barDuringErase = -1;
    dialogRunners.push_back([&](TDialog &) {
        EXPECT_EQ(today, fUstawZegar->dtDate->date());
        EXPECT_EQ(QDate(2004, 1, 1), fUstawZegar->dtDate->minimumDate());
        EXPECT_EQ(QDate(2099, 12, 31), fUstawZegar->dtDate->maximumDate());
        fUstawZegar->meZegar->setText(QStringLiteral("12:34"));
        fUstawZegar->dtDate->setDate(QDate(2010, 1, 1));
        fUstawZegar->Button1Click();
        EXPECT_NE(QDialog::Accepted, fUstawZegar->result()); // still open
        EXPECT_TRUE(fUstawZegar->Button1->isEnabled());
        fUstawZegar->dtDate->setDate(today);
        fUstawZegar->Button1Click();
    });
    for (int i = 0; i < 2; ++i)
        dialogRunners.push_back([&](TDialog &) { // the live clock after each initialisation
            barDuringErase = fUstawZegar->pbZegar->value();
            EXPECT_TRUE(fUstawZegar->Label4->isHidden());
            EXPECT_TRUE(fUstawZegar->pbZegar->isHidden());
            fDataGodzina->tZegarTimer();
        });
    recorder.answers = {BoxAnswer::Yes};
    Komunikacja->setResult(QDialog::Rejected);
    Confirm(1, 9600);

    EXPECT_EQ(
        (QStringList{" Pamięć CMOS jest skasowana.\rCzy przejść do ustawiania zegara?", kNotInitialised}),
        Texts());
    EXPECT_EQ((QStringList{"fUstawZegar", "fDataGodzina", "fDataGodzina"}), shownDialogs);
    EXPECT_EQ(QDialog::Accepted, Komunikacja->result());
    EXPECT_EQ(16, barDuringErase);
    const auto init = sim.log().FramesOf(65);
    ASSERT_EQ(2u, init.size());
    EXPECT_EQ((Bytes{ESC, 65, 1, 0, 0, 1, 0, 1, 1, 2, 3, 4, 0, 0}), init[0].fromHost);
    const int y = today.year() % 100, m = today.month(), d = today.day();
    EXPECT_EQ((Bytes{ESC, 65, uint8_t(y / 10), uint8_t(y % 10), uint8_t(m / 10), uint8_t(m % 10),
                     uint8_t(d / 10), uint8_t(d % 10), 1, 2, 3, 4, 0, 0}),
              init[1].fromHost);
    EXPECT_EQ("Data   :     " + today.toString("yyyy.MM.dd"), fDataGodzina->lData->text());
    WithPrinter(sim, [](darvosim::Printer &p) { EXPECT_FALSE(p.status.cmosErased); });
}

// A running clock is refused without the dialog. While a PEXA erases its
// memory slowly the window's event loop runs: its timers fire while the bar
// still climbs.
TEST_F(Clock, InitialisationRefusedOnARunningClockAndTheEventLoopRunsWhileAPexaErases) {
    darvosim::Emulator &sim = Connect();
    Choose("Inicjowaniezegara1");
    EXPECT_TRUE(shownDialogs.isEmpty());
    EXPECT_EQ(QStringList{"Zainicjowanie zegara drukarki fiskalnej jest niemożliwe.\r"
                          "               Zegar jest już zainicjowany.             "},
              Texts());
    Reset(sim);
    WithPrinter(sim, [](darvosim::Printer &p) {
        p.status.cmosErased = true;
        p.status.serviceJumper = true;
        p.fiscal.clockInitProgressSteps = 3;
        p.progressTime = std::chrono::milliseconds(60);
    });
    QList<int> barAtTicks;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (!fUstawZegar->pbZegar->isHidden()) barAtTicks << fUstawZegar->pbZegar->value();
    });
    dialogRunners.push_back([&](TDialog &) {
        fUstawZegar->meZegar->setText(QStringLiteral("12:34"));
        ticker.start();
        fUstawZegar->Button1Click();
        ticker.stop();
    });
    Choose("Inicjowaniezegara1");
    EXPECT_TRUE(recorder.boxes.empty()) << Texts().join("|").toStdString();
    EXPECT_TRUE(std::any_of(barAtTicks.begin(), barAtTicks.end(), [](int bar) { return bar < 16; }));
}

} // namespace
