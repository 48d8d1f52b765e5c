// The communication dialog: port and speed, and the connection made with
// them when the user confirms.
#pragma once

#include <QDialog>
#include <QGroupBox>
#include <QStringList>
#include <cstdint>
#include <functional>

class QButtonGroup;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

// A titled group of radio buttons in columns, one of them selected.
class TRadioGroup : public QGroupBox {
  public:
    TRadioGroup(const QString &caption, const QStringList &items, int columns, QWidget *parent);
    int ItemIndex() const;
    void SetItemIndex(int index);
    QRadioButton *Button(int index) const;
    int Count() const;

  private:
    QButtonGroup *group_;
};

class TKomunikacja : public QDialog {
  public:
    explicit TKomunikacja(QWidget *parent);

    QLabel *Label1;
    QComboBox *cbNumerPortu;
    TRadioGroup *rgPredkosc;
    QPushButton *Button1;

    // Number of the selected port entry ("COM12" gives 12); 0 when none.
    uint8_t SelectedPortEntry() const;

    // Shows the dialog modally.
    int ShowModal();
    // "Zatwierdź": opens the port, checks the printer and closes the dialog
    // when the printer can work.
    void Button1Click();

    // Runs instead of the modal loop when set (tests script the dialog).
    static std::function<void(TKomunikacja &)> &ModalRunner();

  protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

  private:
    void FormActivate();
    void FormClose();
};

// "KASA ZABLOKOWANA: " and one line for each reason set in the lock byte.
QString LockReasonsText(uint8_t lockByte);

extern TKomunikacja *Komunikacja;
