// The PEXA printers' settings 01..09, the receive time-out, the time before
// the advertisement and the code page, kept by the printer in settings
// groups 0..4 of three bytes each.
#pragma once

#include "common/TDialog.h"

#include "ops/Settings.h"

#include <array>
#include <functional>

class QComboBox;
class QPushButton;
class QSpinBox;
class TRadioGroup;

using darvo::ops::SettingsGroups;

class TfUstawienia : public TDialog {
  public:
    TfUstawienia(QWidget *parent, CommandHost &host);

    TRadioGroup *rgSzybkosc, *rgWydruk, *rgZera, *rgSposobWyswietlenia, *rgStronaKodowa;
    QSpinBox *seLinie, *seCzasWyl, *sePodsw, *seKontrast, *seGlosnosc, *seReklama;
    QComboBox *cbTimeout;
    QPushButton *bZapis, *bOdczyt, *bDomyslne;

    void ReadFromPrinter(); // "Odczyt z drukarki", also run on activation
    void WriteToPrinter();  // "Zapis do drukarki"
    void Defaults();        // "Domyślne"

    // Connects again at the speed, as the communication dialog does when
    // the user confirms it with that speed: a write of a new speed needs it
    // before the next group. The menu that opens the dialog sets it.
    std::function<void(uint16_t speed)> ReconnectAtSpeed;

  protected:
    void FormActivate() override;

  private:
    // The checks before a read or a write; false when the command stops.
    bool Checks(uint8_t &type);
    bool ReadGroups(SettingsGroups &groups);
    bool WriteGroups(const SettingsGroups &groups, uint16_t current);
    void Fill(const SettingsGroups &groups, int32_t feedLines);
    void Collect(SettingsGroups &groups) const;
    void UpdateZeros();
    // ReconnectAtSpeed; true when the port is open at the speed.
    bool Reopen(uint16_t speed);
};
