// The settlement report and the fiscalisation through the dialogs they
// borrow: the date and unique number, the range, the tax rates.
#include "AppFixture.h"

#include "darvodr.h"
#include "reports/TfOkresoweWgNumerow.h"
#include "service/TfDataINumer.h"
#include "taxes/TfStawkiPodatkowe.h"

#include <QDate>
#include <QDateEdit>
#include <QLineEdit>
#include <QSpinBox>

using namespace apptest;
using darvosim::Printer;

namespace {

class ServiceDialogs : public AppTest {
  protected:
    // Answers the date-and-number dialog with today and these digits.
    void EnterNumber(const QString &digits) {
        dialogRunners.push_back([digits](TDialog &) {
            fDataINumer->db->setDate(QDate::currentDate());
            fDataINumer->meNumer->setText(digits);
            fDataINumer->bTakClick();
        });
    }
    static QString Digits(darvosim::Emulator &sim) { // "ABC12345678" -> "12345678"
        return QString::fromStdString(sim.printer().sales.uniqueNumber.substr(3, 8));
    }
    static void AddRecords(darvosim::Emulator &sim, int count) {
        WithPrinter(sim, [count](Printer &p) {
            const QDate day = QDate::currentDate().addDays(-count);
            for (int n = 1; n <= count; ++n) {
                darvosim::DailyRecord r;
                r.number = n;
                const QDate d = day.addDays(n - 1);
                r.date = darvosim::Date{d.year() % 100, d.month(), d.day()};
                r.receipts = 1;
                p.fiscal.records.push_back(r);
            }
            p.sales.dailyReportNumber = count;
        });
    }
};

// A wrong unique number asks again; giving up sends nothing.
TEST_F(ServiceDialogs, SettlementWithAWrongUniqueNumber) {
    darvosim::Emulator &sim = Connect(7);
    EnterNumber(QStringLiteral("00000000"));
    EnterNumber(QStringLiteral("11111111"));
    recorder.answers = {BoxAnswer::Yes, BoxAnswer::Yes, BoxAnswer::No};
    GlowneOkno->Cao1Click();
    EXPECT_EQ((QStringList{"fDataINumer", "fDataINumer"}), shownDialogs);
    ASSERT_EQ(3u, recorder.boxes.size());
    EXPECT_TRUE(recorder.boxes[0].defaultNo); // the first warning
    EXPECT_EQ(BoxKind::ErrorQuestion, recorder.boxes[1].kind);
    EXPECT_EQ("Niewłaściwy numer unikatowy\r\r   Czy spróbować ponownie? ", recorder.boxes[1].text);
    EXPECT_EQ(recorder.boxes[1].text, recorder.boxes[2].text);
    EXPECT_TRUE(Frames(sim, 49).empty());
    EXPECT_FALSE(sim.printer().status.readOnly);
    EXPECT_FALSE(GlowneOkno->BusyCursorShown());
}

// An already read-only printer: no warning, the frame goes out, and no
// read-only message follows.
TEST_F(ServiceDialogs, SettlementOnAReadOnlyPrinter) {
    darvosim::Emulator &sim = Connect(3);
    WithPrinter(sim, [](Printer &p) { p.status.readOnly = true; });
    EnterNumber(Digits(sim));
    GlowneOkno->Cao1Click();
    EXPECT_TRUE(recorder.boxes.empty()) << Texts().join("|").toStdString();
    const auto frames = Frames(sim, 49);
    ASSERT_EQ(1u, frames.size());
    EXPECT_EQ(13u, frames[0].fromHost.size());
    EXPECT_EQ(8, frames[0].fromHost[2]);
    EXPECT_NE(std::string::npos, sim.printer().roll.Text().find("RAPORT ROZLICZENIOWY"));
}

// By numbers 1 to 5: a 15-byte frame with the confirmation sums, today's
// digits and the range 1, 0, 5, 0; the printer searches its fiscal memory
// for longer than the usual read time-out before its result byte, and is
// then read-only.
TEST_F(ServiceDialogs, SettlementByNumbersOneToFive) {
    darvosim::Emulator &sim = Connect(7);
    AddRecords(sim, 5);
    WithPrinter(sim, [](Printer &p) { p.searchTime = std::chrono::milliseconds(1200); });
    const QString digits = Digits(sim);
    EnterNumber(digits);
    dialogRunners.push_back([](TDialog &) {
        EXPECT_TRUE(SettlementRangeMode);
        EXPECT_EQ(1, fOkresoweWgNumerow->seOd->value());
        fOkresoweWgNumerow->seDo->setValue(5);
        fOkresoweWgNumerow->bTakClick();
    });
    recorder.answers = {BoxAnswer::Yes, BoxAnswer::Yes};
    GlowneOkno->Wedugnumerw3Click();
    EXPECT_FALSE(SettlementRangeMode);
    EXPECT_EQ((QStringList{"fDataINumer", "fOkresoweWgNumerow"}), shownDialogs);
    ASSERT_EQ(3u, recorder.boxes.size()) << Texts().join("|").toStdString();
    EXPECT_TRUE(recorder.boxes[1].text.contains(QStringLiteral("Podanie prawidłowych numerów: początkowej")));
    EXPECT_EQ("Drukarka w trybie TYLKO ODCZYT.", recorder.boxes[2].text);
    const auto frames = Frames(sim, 49);
    ASSERT_EQ(1u, frames.size());
    const QDate today = QDate::currentDate();
    const std::string d = digits.toStdString();
    darvosim::Bytes expected{0x1B, 49, 7};
    for (int i = 0; i < 4; ++i)
        expected.push_back(static_cast<uint8_t>(d[2 * i] + d[2 * i + 1]));
    for (int v : {today.year() % 100, today.month(), today.day()}) {
        expected.push_back(static_cast<uint8_t>(v / 10));
        expected.push_back(static_cast<uint8_t>(v % 10));
    }
    for (uint8_t b : {1, 0, 5, 0})
        expected.push_back(b);
    EXPECT_EQ(expected, frames[0].fromHost);
    EXPECT_TRUE(sim.printer().status.readOnly);
    EXPECT_EQ(darvo::PortReadTimeout, darvo::ThePort->ReadTimeoutInForce());
}

// A NIVRA from training mode: the shop question, the NIP check, the control
// printout, the rates left as proposed; the 20-byte frame; confirmed only
// because the status then says fiscal mode.
TEST_F(ServiceDialogs, FiscalisationOfANivra) {
    for (bool printerSwitches : {true, false}) {
        SCOPED_TRACE(printerSwitches);
        darvosim::Emulator &sim = Connect(3);
        WithPrinter(sim, [](Printer &p) {
            p.status.fiscalMode = false;
            p.status.serviceJumper = true;
            p.fiscal.userData[3] = {0, "NIP 123-456-32-18" + std::string(23, ' ')};
            p.sales.rates.fill(25500);
        });
        if (!printerSwitches) sim.Script(114, darvosim::Scripted{{}, 20, {6}}); // says 6, does nothing
        recorder.boxes.clear();
        shownDialogs.clear();
        dialogRunners.push_back([](TDialog &) {
            EXPECT_TRUE(RatesCollectOnly);
            fStawkiPodatkowe->Button1Click();
        });
        recorder.answers = {BoxAnswer::Yes, BoxAnswer::Yes, BoxAnswer::Yes, BoxAnswer::Yes};
        GlowneOkno->Przeczeniewtrybfiskalny1Click();
        EXPECT_FALSE(RatesCollectOnly);
        EXPECT_EQ(QStringList{"fStawkiPodatkowe"}, shownDialogs);
        const QStringList texts = Texts();
        ASSERT_EQ(6, texts.size()) << texts.join("|").toStdString();
        EXPECT_TRUE(
            texts[1].startsWith(QStringLiteral("Do komputera podłączona jest drukarka DARVO NIVRA.\r")));
        EXPECT_EQ("Czy otrzymano poprawny wydruk kontrolny nagłówka paragonu?", texts[3]);
        EXPECT_EQ("Czy dokonać przełączenia w tryb fiskalny?", texts[4]);
        EXPECT_EQ(printerSwitches ? "Drukarka została sfiskalizowana."
                                  : "Drukarka nie została sfiskalizowana.",
                  texts[5]);
        const auto frames = Frames(sim, 114);
        ASSERT_EQ(1u, frames.size());
        const darvosim::Bytes expected{0x1B, 114, 'F', 'F',  'F', 'F',  'F', 'F',  0x08, 0x98, 0x02,
                                       0xBC, 0,   0,   0x80, 0,   0x80, 0,   0x80, 0,    0x40, 0};
        EXPECT_EQ(expected, frames[0].fromHost);
        EXPECT_EQ(printerSwitches, sim.printer().status.fiscalMode);
        sim.Stop();
        sims.erase(1);
    }
}

// A new printer's whole life from the program: fiscalised from training
// mode, a day of receipts from a point-of-sale program, the daily report, a
// periodic report and the settlement report into read-only mode; the paper
// roll shows each printout.
TEST_F(ServiceDialogs, FiscalLifeFromTrainingToReadOnly) {
    darvosim::Emulator &sim = Connect(3);
    WithPrinter(sim, [](Printer &p) {
        p.status.fiscalMode = false;
        p.status.serviceJumper = true;
        p.fiscal.userData[0] = {0, "SKLEP POD LIPAMI" + std::string(24, ' ')};
        p.fiscal.userData[3] = {0, "NIP 123-456-32-18" + std::string(23, ' ')};
        p.sales.rates.fill(25500);
    });
    const auto yesToAll = [this] { recorder.answers.assign(10, BoxAnswer::Yes); };

    dialogRunners.push_back([](TDialog &) { fStawkiPodatkowe->Button1Click(); });
    yesToAll();
    GlowneOkno->Przeczeniewtrybfiskalny1Click();
    ASSERT_EQ("Drukarka została sfiskalizowana.", recorder.boxes.back().text);
    WithPrinter(sim, [](Printer &p) { p.status.serviceJumper = false; }); // the technician closes the jumper

    uint32_t value = 0; // 0: the driver works the value out
    ASSERT_EQ(0, ReceiptBegin());
    ASSERT_EQ(0, pReceiptItem(1, "Chleb razowy", 1, 0, 2, 0, "szt", 450, &value));
    ASSERT_EQ(0, ReceiptEnd(0)) << sim.printer().sales.lastRefusal;
    ASSERT_EQ(0, ReceiptBegin());
    value = 0;
    ASSERT_EQ(0, pReceiptItem(1, "Mleko 1l", 2, 0, 1, 0, "szt", 329, &value));
    ASSERT_EQ(0, ReceiptEnd(0)) << sim.printer().sales.lastRefusal;

    yesToAll();
    recorder.boxes.clear();
    GlowneOkno->Fiskalnydobowy1Click();
    for (const RecordedBox &b : recorder.boxes)
        EXPECT_NE(BoxKind::Error, b.kind) << b.text.toStdString();
    ASSERT_EQ(1u, sim.printer().fiscal.records.size());
    EXPECT_EQ(2, sim.printer().fiscal.records[0].receipts);

    dialogRunners.push_back([](TDialog &) {
        fOkresoweWgNumerow->seOd->setValue(1);
        fOkresoweWgNumerow->seDo->setValue(1);
        fOkresoweWgNumerow->bTakClick();
    });
    yesToAll();
    recorder.boxes.clear();
    GlowneOkno->Wedugnumerw1Click();
    for (const RecordedBox &b : recorder.boxes)
        EXPECT_NE(BoxKind::Error, b.kind) << b.text.toStdString();

    EnterNumber(Digits(sim));
    yesToAll();
    recorder.boxes.clear();
    GlowneOkno->Cao1Click();
    ASSERT_FALSE(recorder.boxes.empty());
    EXPECT_EQ("Drukarka w trybie TYLKO ODCZYT.", recorder.boxes.back().text);
    EXPECT_TRUE(sim.printer().status.readOnly);

    const std::string roll = sim.printer().roll.Text();
    size_t at = 0;
    for (const char *printout :
         {"FISKALIZACJA DRUKARKI", "Chleb razowy", "Mleko 1l", "RAPORT DOBOWY FISKALNY",
          "RAPORT ROZLICZENIOWY", "DRUKARKA W TRYBIE TYLKO ODCZYT"}) {
        const size_t found = roll.find(printout, at);
        ASSERT_NE(std::string::npos, found) << printout << "\n" << roll;
        at = found;
    }
    EXPECT_EQ(2u, Frames(sim, 49).size()); // the periodic report and the settlement
    // Read-only: the printer takes no more receipts.
    EXPECT_NE(0, ReceiptBegin());
}

} // namespace
