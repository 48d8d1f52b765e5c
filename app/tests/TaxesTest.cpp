// The Podatki menu and its dialogs: the rates read and shown, and the rates
// written (or only collected for the fiscalisation).
#include "AppFixture.h"

#include "core/DriverText.h"
#include "taxes/TfOdczytStawek.h"
#include "taxes/TfStawkiPodatkowe.h"

#include <QCheckBox>
#include <QLabel>

using namespace apptest;
using darvosim::Bytes;

namespace {

class Taxes : public AppTest {
  protected:
    static void SetRates(darvosim::Emulator &sim, std::array<int32_t, 7> rates) {
        WithPrinter(sim, [&](darvosim::Printer &p) { p.sales.rates = rates; });
    }
    // Podatki > Zapis with the dialog acted on by `edit` and then "&Tak".
    void WriteRates(const std::function<void()> &edit) {
        dialogRunners.push_back([this, edit](TDialog &) {
            edit();
            fStawkiPodatkowe->Button1Click();
        });
        Choose("Zapis1");
    }
};

TEST_F(Taxes, RateFieldsBecomeTheValuesSentAndReadBack) {
    darvosim::Emulator &sim = Connect();
    SetRates(sim, {2300, 750, 500, 0, 10000, 25500, 25500});
    QStringList labels;
    dialogRunners.push_back([this](TDialog &) {
        auto &f = *fStawkiPodatkowe;
        EXPECT_EQ("7,5", f.me[1]->text()); // the hundredths are kept
        EXPECT_TRUE(f.cbZ[4]->isChecked());
        EXPECT_TRUE(f.me[6]->isHidden());
        f.me[0]->setText(QString());
        f.CheckField(0);
        EXPECT_EQ("0", f.me[0]->text()); // empty counts as 0
        f.me[2]->setText(QStringLiteral("99"));
        f.cbZ[6]->setChecked(true); // G exempt, whatever its hidden field holds
        EXPECT_FALSE(f.cbR[6]->isChecked());
        f.me[6]->setText(QStringLiteral("55"));
        fStawkiPodatkowe->Button1Click();
    });
    dialogRunners.push_back([&](TDialog &) {
        for (QLabel *l : fOdczytStawek->Label)
            labels << l->text();
    });
    Choose("Zapis1");
    EXPECT_TRUE(recorder.boxes.empty());
    // Two bytes a rate, high first; 0x4000 exempt, 0x8000 reserve.
    ASSERT_EQ(1u, Frames(sim, 213).size());
    EXPECT_EQ((Bytes{ESC, 213, 0, 0, 0x02, 0xEE, 0x26, 0xAC, 0, 0, 0x40, 0, 0x80, 0, 0x40, 0}),
              Frames(sim, 213)[0].fromHost);
    EXPECT_EQ((QStringList{"Stawka PTU A : 0 %", "Stawka PTU B : 7,5 %", "Stawka PTU C : 99 %",
                           "Stawka PTU D : 0 %", "Stawka PTU E : ZWOLNIONA", "Stawka PTU F : REZERWA",
                           "Stawka PTU G : ZWOLNIONA"}),
              labels);
    EXPECT_EQ((QStringList{"fStawkiPodatkowe", "fOdczytStawek"}), shownDialogs);
}

TEST_F(Taxes, UnchangedRatesAndCollectingOnlySendNothing) {
    darvosim::Emulator &sim = Connect();
    WriteRates([] {});
    ExpectOnlyBox(BoxKind::Information, "Informacja",
                  "Stawki podatkowe nie uległy zmianie dlatego nie zostaną zapisane.");

    // Collecting only, as the fiscalisation does: a bad value keeps the
    // dialog open, a good one is handed back.
    const auto collect = [this](const char *first, std::array<int32_t, 7> &rates) {
        dialogRunners.push_back([this, first](TDialog &) {
            fStawkiPodatkowe->me[0]->setText(QString::fromLatin1(first));
            fStawkiPodatkowe->Button1Click();
        });
        return fStawkiPodatkowe->CollectRates(rates);
    };
    std::array<int32_t, 7> rates{2300, 800, 500, 0, 10000, 25500, 25500};
    EXPECT_FALSE(collect(",", rates)); // no number: refused
    ASSERT_EQ(2u, recorder.boxes.size());
    EXPECT_EQ("Błąd w stawce podatkowej: ,", recorder.boxes[1].text);
    EXPECT_TRUE(collect("8", rates));
    EXPECT_EQ((std::array<int32_t, 7>{800, 800, 500, 0, 10000, 25500, 25500}), rates);
    EXPECT_FALSE(Sent(sim, 213));
    EXPECT_EQ(2u, recorder.boxes.size());
}

TEST_F(Taxes, NoProgrammedRateGetsTheProposal) {
    darvosim::Emulator &sim = Connect();
    SetRates(sim, {25500, 25500, 25500, 25500, 25500, 25500, 25500});
    dialogRunners.push_back([this](TDialog &) {
        auto &f = *fStawkiPodatkowe;
        EXPECT_EQ("22", f.me[0]->text());
        EXPECT_EQ("7", f.me[1]->text());
        EXPECT_EQ("0", f.me[2]->text());
        for (int i = 3; i < 6; ++i)
            EXPECT_TRUE(f.cbR[i]->isChecked() && !f.cbZ[i]->isChecked() && f.me[i]->isHidden()) << i;
        EXPECT_TRUE(f.cbZ[6]->isChecked());
    });
    Choose("Zapis1");
}

// A non-zero receipt counter asks for the daily report: a report that fails
// is shown before the rates are tried again, No leaves the write; Yes to a
// report that prints writes the rates after it.
TEST_F(Taxes, NonZeroCounterRunsTheDailyReportAndWritesAgain) {
    darvosim::Emulator &sim = Connect();
    WithPrinter(sim, [](darvosim::Printer &p) { p.sales.receiptCounter = 2; });
    sim.Script(37, darvosim::Scripted{{darvosim::NAK}});
    const QString question = "  Licznik paragonów jest różny od 0  \rCzy wykonać raport dobowy?";
    recorder.answers = {BoxAnswer::Yes}; // then No
    WriteRates([this] { fStawkiPodatkowe->me[0]->setText(QStringLiteral("22")); });
    EXPECT_EQ(3u, recorder.boxes.size());
    ExpectBox(BoxKind::Question, "Odpowiedz", question, 0);
    ExpectBox(BoxKind::Error, "Błąd", ErrorMessageText(24), 1);
    ExpectBox(BoxKind::Question, "Odpowiedz", question, 2);
    EXPECT_FALSE(Sent(sim, 213));
    EXPECT_TRUE(fStawkiPodatkowe->Button1->isEnabled());

    Reset(sim);
    recorder.answers = {BoxAnswer::Yes};
    WriteRates([this] { fStawkiPodatkowe->me[0]->setText(QStringLiteral("22")); });
    EXPECT_EQ(QStringList{question}, Texts());
    const auto report = Frames(sim, 37), write = Frames(sim, 213);
    ASSERT_EQ(1u, report.size());
    ASSERT_EQ(1u, write.size());
    EXPECT_LT(report[0].number, write[0].number);
    WithPrinter(sim, [](darvosim::Printer &p) { EXPECT_EQ(2200, p.sales.rates[0]); });
}

TEST_F(Taxes, FourRatePrinterShowsWholeNumbersAndFourLines) {
    darvosim::Emulator &sim = Connect(0);
    SetRates(sim, {2200, 700, 0, 25500, 0, 0, 0});
    Choose("Odczyt1");
    EXPECT_EQ("Stawka PTU A : 22 %", fOdczytStawek->Label[0]->text());
    EXPECT_EQ("Stawka PTU D : REZERWA", fOdczytStawek->Label[3]->text());
    EXPECT_FALSE(fOdczytStawek->Label[3]->isHidden());
    EXPECT_TRUE(fOdczytStawek->Label[4]->isHidden());
}

} // namespace
