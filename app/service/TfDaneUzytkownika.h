// The user data dialog: the header lines printed at the top of every
// receipt, read from and written to the printer, control-printed, and kept
// in a small text file so that one header can be written to many printers.
#pragma once

#include "common/TDialog.h"
#include "core/HeaderLines.h"
#include "core/UserDataFile.h"

#include <QString>
#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TRadioGroup;

class TfDaneUzytkownika : public TDialog {
  public:
    TfDaneUzytkownika(QWidget *parent, CommandHost &host);

    static constexpr int kLines = 6;
    enum Layout { kFourLines = 0, kSixLines = 1 };

    // Line n (1..6) at [n - 1]; line 6 has no "Wys. gen." box.
    std::array<QLineEdit *, kLines> edits{};
    std::array<TRadioGroup *, kLines> widths{};  // items "40", "20"
    std::array<QCheckBox *, kLines> centres{};   // "Centruj"
    std::array<QCheckBox *, kLines - 1> talls{}; // "Wys. gen."
    // The controls under their own names.
    QLineEdit *l1, *l2, *l3, *L4, *L5, *l6;
    TRadioGroup *rg1, *rg2, *rg3, *rg4, *rg5, *rg6;
    QCheckBox *cb1, *CB2, *cb3, *cb4, *cb5, *cb6;
    QCheckBox *cbWys1, *cbWys2, *cbWys3, *cbWys4, *cbWys5;
    TRadioGroup *rgTyp;
    QLabel *Label5, *Label6, *Label7, *Label8;
    QPushButton *bOdczytPlik, *bZapisPlik, *bWydrKontr, *Button3, *Button2;

    // The layout switch: sets rgTyp and shows the rows of that layout.
    void SetLayout(int layout);
    // The width of line n in characters (20 or 40).
    int LineWidth(int n) const;

    // The buttons' actions.
    void WriteToPrinter();  // "Z&apis do drukarki"
    void ReadFromPrinter(); // "O&dczyt z drukarki"
    void ControlPrintout(); // "&Wydruk kontrolny"
    void SaveToFile();      // "&Zapis do pliku"
    void LoadFromFile();    // "&Odczyt z pliku"
    // The file itself; false after the message when it cannot be written
    // or has a wrong format.
    bool SaveFile(const QString &path);
    bool LoadFile(const QString &path);

    // Insert toggles it; while it is on, a typed character replaces the one
    // to the right of the caret. Kept across openings.
    static bool OverwriteMode;

  protected:
    void FormActivate() override;
    void FormClose() override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

  private:
    void LayoutSwitch();
    void WidthSwitch(int n);
    void CentreClicked(int n);
    void PlaceEdit(int n);
    // The typing limit of line n: its width, or the length of a longer text.
    void LimitEdit(int n);
    // Puts a text into line n whole, however long.
    void SetLineText(int n, const QString &text);
    void ToggleOverwrite();
    void FormatLine(int n, bool centre, int width);
    uint8_t Attribute(int n, bool sixLinePrinter) const;
    // The checks before every printer operation; false when the operation
    // must stop (the message, if any, has been shown).
    bool PreChecks(bool write, uint8_t &type, bool &fiscal);
    // The NIP line's check: false when the operation must stop.
    bool NipAccepted(const QString &text);
    void FillLine(int n, const UserDataRecord &record);
};
