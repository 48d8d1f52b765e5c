// The about box.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class TAboutBox : public QDialog {
  public:
    explicit TAboutBox(QWidget *parent);

    QLabel *ProgramIcon;
    QLabel *ProductName;
    QLabel *Version;
    QLabel *Copyright;
    QLabel *Comments;
    QLabel *lWersja;
    QPushButton *OKButton;

  protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;
};

extern TAboutBox *AboutBox;
