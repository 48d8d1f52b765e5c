// The display test: what the customer display should show at each step of
// the printer's test, as a picture (PEXA) or as the lit segments (NIVRA).
#pragma once

#include "common/TDialog.h"

#include <QImage>

class QLabel;
class QPushButton;

// The pictures of the 192 x 64 customer display's test steps: 1 a test card
// (frame, diagonals, circle, checker blocks), 2 its negative, 3 a
// chessboard of 8-pixel squares, 4 stripes of falling widths; 3 and 4 also
// as negatives. Black is a lit pixel.
enum class TestPicture { Test1, Test2, Test3, Test4, Test3Neg, Test4Neg };
QImage DisplayTestPicture(TestPicture which);

class TfTestWyswietlacza : public TDialog {
  public:
    TfTestWyswietlacza(QWidget *parent, CommandHost &host);

    QLabel *Label1;
    QLabel *iTest1, *iTest2, *ITest3, *ITest4, *iTest3Neg, *iTest4Neg;
    QPushButton *bOK;

    void HideAllPictures();
    // Only this picture shows (null: none).
    void ShowPicture(QLabel *picture);
};
