// The about box.
#pragma once

#include "common/CommandHost.h"

#include <QDialog>

class QLabel;
class QPushButton;

class TAboutBox : public QDialog {
  public:
    TAboutBox(QWidget *parent, CommandHost &host);

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

  private:
    CommandHost &host_;
};
