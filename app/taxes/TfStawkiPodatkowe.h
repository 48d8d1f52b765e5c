// The tax rate dialog: up to seven rates A..G, each a percentage or one of
// the markers "REZERWA" (not in use) and "ZWOLNIONA" (exempt), written to
// the printer, or only collected for the fiscalisation.
#pragma once

#include "common/TDialog.h"

#include <array>
#include <cstdint>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// A rate in hundredths of a percent as the shortest decimal number with a
// comma: 2200 "22", 750 "7,5", 725 "7,25".
QString RateDecimalText(int32_t value);

class TfStawkiPodatkowe : public TDialog {
  public:
    static constexpr int kRates = 7;

    TfStawkiPodatkowe(QWidget *parent, CommandHost &host);

    // me1..me7, cb1R..cb7R, cb1Z..cb7Z at [0..6].
    std::array<QLineEdit *, kRates> me{};
    std::array<QCheckBox *, kRates> cbR{};
    std::array<QCheckBox *, kRates> cbZ{};
    QLabel *Label8;       // the question
    QPushButton *Button1; // "&Tak"
    QPushButton *Button2; // "&Nie"

    // Fills the rows: 25500 ticks "REZERWA", 10000 "ZWOLNIONA", any other
    // value goes into the field as a percentage.
    void FillRates(const std::array<int32_t, kRates> &rates);
    // The rates the printer has now (slots it does not report 0): values
    // that equal them are not written again.
    void SetPrintersRates(const std::array<int32_t, kRates> &rates);
    // Leaving a rate field: empty becomes "0", a text that is no rate is
    // reported (the focus moves on all the same).
    void CheckField(int index);
    void Button1Click();
    // Shows the dialog preset with the rates to collect them only, for the
    // fiscalisation: "&Tak" hands the values back and writes nothing. True
    // with the rates when it was closed with "&Tak".
    bool CollectRates(std::array<int32_t, kRates> &rates);
    bool CollectingRates() const { return collecting_; }

    // Run after the rates were written: Podatki > "Odczyt" shows what the
    // printer has now. The menu that opens the dialog sets it.
    std::function<void()> ShowRates;

  protected:
    void FormActivate() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void MarkerToggled(int index, bool reserve, bool checked);
    // The seven values, or false after the message about the first bad one.
    bool CollectValues(std::array<int32_t, kRates> &values);
    void WriteRates(const std::array<int32_t, kRates> &values);

    std::array<uint16_t, kRates> printers_{};
    bool collecting_ = false;
    std::array<int32_t, kRates> collected_{};
};
