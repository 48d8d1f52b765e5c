// The tax-rate dialogs and the Podatki menu, the small settings dialogs of
// the Ustawienia menu, the display test and the unique number.
#include "AppFixture.h"

#include "core/DriverText.h"
#include "printertests/TfNumerUnikatowy.h"
#include "printertests/TfTestWyswietlacza.h"
#include "settings/TfIloscWierszy.h"
#include "settings/TfNumerKasy.h"
#include "settings/TfSposobZaokraglania.h"
#include "taxes/TfOdczytStawek.h"
#include "taxes/TfStawkiPodatkowe.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

using namespace apptest;
using darvosim::Bytes;

namespace {

constexpr uint8_t ESC = 0x1B;

class Settings : public AppTest {
  protected:
    static void SetRates(darvosim::Emulator &sim, std::array<int32_t, 7> rates) {
        WithPrinter(sim, [&](darvosim::Printer &p) { p.sales.rates = rates; });
    }
    // Podatki > Zapis with the dialog acted on by `edit` and then "&Tak".
    void WriteRates(const std::function<void()> &edit) {
        dialogRunners.push_back([edit](TDialog &) {
            edit();
            fStawkiPodatkowe->Button1Click();
        });
        GlowneOkno->Zapis1Click();
    }
    static Bytes Sent(darvosim::Emulator &sim, uint8_t command) {
        sim.WaitForFrames(sim.FrameCount(), std::chrono::seconds(1));
        const auto frames = sim.log().FramesOf(command);
        return frames.empty() ? Bytes{} : frames.back().fromHost;
    }
};

TEST_F(Settings, RateFieldsBecomeTheValuesSentAndReadBack) {
    darvosim::Emulator &sim = Connect();
    SetRates(sim, {2300, 750, 500, 0, 10000, 25500, 25500});
    QStringList labels;
    dialogRunners.push_back([](TDialog &) {
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
    GlowneOkno->Zapis1Click();
    EXPECT_TRUE(recorder.boxes.empty());
    // Two bytes a rate, high first; 0x4000 exempt, 0x8000 reserve.
    EXPECT_EQ((Bytes{ESC, 213, 0, 0, 0x02, 0xEE, 0x26, 0xAC, 0, 0, 0x40, 0, 0x80, 0, 0x40, 0}),
              Sent(sim, 213));
    EXPECT_EQ((QStringList{"Stawka PTU A : 0 %", "Stawka PTU B : 7,5 %", "Stawka PTU C : 99 %",
                           "Stawka PTU D : 0 %", "Stawka PTU E : ZWOLNIONA", "Stawka PTU F : REZERWA",
                           "Stawka PTU G : ZWOLNIONA"}),
              labels);
    EXPECT_EQ((QStringList{"fStawkiPodatkowe", "fOdczytStawek"}), shownDialogs);
}

TEST_F(Settings, UnchangedRatesAndCollectingOnlySendNothing) {
    darvosim::Emulator &sim = Connect();
    WriteRates([] {});
    ASSERT_EQ(1u, recorder.boxes.size());
    EXPECT_EQ(BoxKind::Information, recorder.boxes[0].kind);
    EXPECT_EQ("Stawki podatkowe nie uległy zmianie dlatego nie zostaną zapisane.", recorder.boxes[0].text);

    RatesCollectOnly = true;
    fStawkiPodatkowe->setResult(0);
    WriteRates([] { fStawkiPodatkowe->me[0]->setText(QStringLiteral(",")); }); // no number: refused
    ASSERT_EQ(2u, recorder.boxes.size());
    EXPECT_EQ("Błąd w stawce podatkowej: ,", recorder.boxes[1].text);
    EXPECT_EQ(0, fStawkiPodatkowe->result());
    WriteRates([] { fStawkiPodatkowe->me[0]->setText(QStringLiteral("8")); });
    RatesCollectOnly = false;
    EXPECT_EQ(TfStawkiPodatkowe::kYes, fStawkiPodatkowe->result());
    EXPECT_EQ((std::array<int32_t, 7>{800, 800, 500, 0, 10000, 25500, 25500}), FiscalisationRates);
    EXPECT_TRUE(Sent(sim, 213).empty());
    EXPECT_EQ(2u, recorder.boxes.size());
}

TEST_F(Settings, NoProgrammedRateGetsTheProposal) {
    darvosim::Emulator &sim = Connect();
    SetRates(sim, {25500, 25500, 25500, 25500, 25500, 25500, 25500});
    dialogRunners.push_back([](TDialog &) {
        auto &f = *fStawkiPodatkowe;
        EXPECT_EQ("22", f.me[0]->text());
        EXPECT_EQ("7", f.me[1]->text());
        EXPECT_EQ("0", f.me[2]->text());
        for (int i = 3; i < 6; ++i)
            EXPECT_TRUE(f.cbR[i]->isChecked() && !f.cbZ[i]->isChecked() && f.me[i]->isHidden()) << i;
        EXPECT_TRUE(f.cbZ[6]->isChecked());
    });
    GlowneOkno->Zapis1Click();
}

TEST_F(Settings, NonZeroCounterRunsTheDailyReportAndWritesAgain) {
    darvosim::Emulator &sim = Connect();
    WithPrinter(sim, [](darvosim::Printer &p) { p.sales.receiptCounter = 2; });
    recorder.answers = {BoxAnswer::Yes};
    WriteRates([] { fStawkiPodatkowe->me[0]->setText(QStringLiteral("22")); });
    ASSERT_FALSE(recorder.boxes.empty());
    EXPECT_EQ(BoxKind::Question, recorder.boxes[0].kind);
    EXPECT_EQ("Odpowiedz", recorder.boxes[0].caption);
    EXPECT_EQ("  Licznik paragonów jest różny od 0  \rCzy wykonać raport dobowy?", recorder.boxes[0].text);
    EXPECT_EQ(1u, recorder.boxes.size());
    const auto report = sim.log().FramesOf(37), write = sim.log().FramesOf(213);
    ASSERT_EQ(1u, report.size());
    ASSERT_EQ(1u, write.size());
    EXPECT_LT(report[0].number, write[0].number);
    WithPrinter(sim, [](darvosim::Printer &p) { EXPECT_EQ(2200, p.sales.rates[0]); });
}

TEST_F(Settings, AFailedDailyReportIsShownBeforeTheRatesAreTriedAgain) {
    darvosim::Emulator &sim = Connect();
    WithPrinter(sim, [](darvosim::Printer &p) { p.sales.receiptCounter = 2; });
    sim.Script(37, darvosim::Scripted{{darvosim::NAK}});
    recorder.answers = {BoxAnswer::Yes}; // then No: the user leaves the loop
    WriteRates([] { fStawkiPodatkowe->me[0]->setText(QStringLiteral("22")); });
    ASSERT_EQ(3u, recorder.boxes.size());
    EXPECT_EQ(BoxKind::Error, recorder.boxes[1].kind);
    EXPECT_EQ(ErrorMessageText(24), recorder.boxes[1].text);
    EXPECT_EQ(recorder.boxes[0].text, recorder.boxes[2].text);
    EXPECT_TRUE(Sent(sim, 213).empty());
    EXPECT_TRUE(fStawkiPodatkowe->Button1->isEnabled());
}

TEST_F(Settings, FourRatePrinterShowsWholeNumbersAndFourLines) {
    darvosim::Emulator &sim = Connect(0);
    SetRates(sim, {2200, 700, 0, 25500, 0, 0, 0});
    GlowneOkno->Odczyt1Click();
    EXPECT_EQ("Stawka PTU A : 22 %", fOdczytStawek->Label[0]->text());
    EXPECT_EQ("Stawka PTU D : REZERWA", fOdczytStawek->Label[3]->text());
    EXPECT_FALSE(fOdczytStawek->Label[3]->isHidden());
    EXPECT_TRUE(fOdczytStawek->Label[4]->isHidden());
}

TEST_F(Settings, CashRegisterNumberAndCodeArePadded) {
    struct Case {
        int number;
        const char *code;
        Bytes sent;
    } cases[] = {{5, "A", {ESC, 67, '0', '5', ' ', 'A'}}, {12, "", {ESC, 67, '1', '2', ' ', ' '}}};
    darvosim::Emulator &sim = Connect();
    for (const Case &c : cases) {
        dialogRunners.push_back([&](TDialog &) {
            fNumerKasy->seNrKasy->setValue(c.number);
            fNumerKasy->eKod->setText(QString::fromLatin1(c.code));
            fNumerKasy->Button1Click();
        });
        GlowneOkno->Nrkasyikodobsugujcego1Click();
        EXPECT_EQ(c.sent, Sent(sim, 67));
        EXPECT_EQ(QDialog::Accepted, fNumerKasy->result());
    }
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(Settings, RoundingReadRefusedCountsAsGroszeAndWriteSendsTheDigit) {
    darvosim::Emulator &sim = Connect();
    sim.Script(210, darvosim::Scripted{{darvosim::NAK}});
    fSposobZaokraglania->rgZaokraglanie->SetItemIndex(2);
    dialogRunners.push_back([](TDialog &) {
        EXPECT_EQ(0, fSposobZaokraglania->rgZaokraglanie->ItemIndex());
        fSposobZaokraglania->rgZaokraglanie->SetItemIndex(1);
        fSposobZaokraglania->Button1Click();
    });
    GlowneOkno->Sposbzaokrglania1Click();
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ((Bytes{ESC, 116, '1'}), Sent(sim, 116));
}

TEST_F(Settings, LinesFedStartAtThePrintersLowestCount) {
    struct Case {
        int deviceType, lowest;
        Bytes sent;
    } cases[] = {{3, 3, {ESC, 70, 5}}, {7, 0, {ESC, 237, 5}}};
    for (const Case &c : cases) {
        darvosim::Emulator &sim = StartSim(c.deviceType + 1, c.deviceType);
        Confirm(c.deviceType + 1, 9600);
        dialogRunners.push_back([&](TDialog &) {
            EXPECT_EQ(c.lowest, fIloscWierszy->seIloscWierszy->minimum());
            EXPECT_EQ(c.lowest, fIloscWierszy->seIloscWierszy->value());
            fIloscWierszy->seIloscWierszy->setValue(5);
            fIloscWierszy->Button1Click();
        });
        GlowneOkno->Ilo1Click();
        EXPECT_EQ(c.sent, Sent(sim, c.sent[1]));
    }
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(Settings, DisplayTestStepsThroughTextsOrPictures) {
    const QString razem = QStringLiteral("Test powinien spowodować zapalenie segmentów\n"
                                         "wyświetlacza jak pokazano niżej:            \n") +
                          QString(44, ' ') + "\n" + QString(13, ' ') + "RAZEM" + QString(36, ' ') + "\n" +
                          QString(44, ' ') + "\n" + QString(15, ' ') + "8.8.8.8.8.8.8.8.8." +
                          QString(21, ' ');
    QString reszta = razem;
    reszta.replace(QString(13, ' ') + "RAZEM" + QString(36, ' '),
                   QString(32, ' ') + "RESZTA" + QString(16, ' '));
    const QString bitmap = QStringLiteral("Test powinien wyświetlić poniższą bitmapę");
    struct Case {
        int deviceType;
        uint8_t settings0;
        QStringList steps; // label text, or the name of the picture shown
        Bytes patterns;
    } cases[] = {
        {3, 0, {razem, reszta}, {0, 1, 2}},
        {7, 4, {"iTest1", "iTest2", "ITest3", "ITest4"}, {0, 1, 3, 4, 2}},
        {7, 0, {"iTest2", "iTest1", "iTest3Neg", "iTest4Neg"}, {0, 1, 3, 4, 2}},
    };
    int port = 1;
    for (const Case &c : cases) {
        darvosim::Emulator &sim = StartSim(port, c.deviceType);
        WithPrinter(sim, [&](darvosim::Printer &p) { p.fiscal.settings[0][0] = c.settings0; });
        Confirm(port++, 9600);
        QStringList seen;
        for (int i = 0; i < c.steps.size(); ++i)
            dialogRunners.push_back([&](TDialog &) {
                QString shown;
                for (QLabel *l : fTestWyswietlacza->findChildren<QLabel *>())
                    if (!l->isHidden() && !l->pixmap().isNull()) shown += l->objectName();
                seen << (shown.isEmpty() ? fTestWyswietlacza->Label1->text() : shown);
                if (!shown.isEmpty()) {
                    EXPECT_EQ(bitmap, fTestWyswietlacza->Label1->text());
                }
            });
        GlowneOkno->Wy1Click();
        EXPECT_EQ(c.steps, seen);
        Bytes patterns;
        sim.WaitForFrames(sim.FrameCount(), std::chrono::seconds(1));
        for (const auto &f : sim.log().FramesOf(50))
            patterns.push_back(f.fromHost.at(2));
        EXPECT_EQ(c.patterns, patterns);
    }
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(Settings, UniqueNumberIsShownInItsLabel) {
    Connect();
    GlowneOkno->Numerunikatowy1Click();
    EXPECT_EQ(QStringList{"fNumerUnikatowy"}, shownDialogs);
    EXPECT_EQ("Numer unikatowy drukarki: ABC 12345678", fNumerUnikatowy->lNumerUnikatowy->text());
}

} // namespace
