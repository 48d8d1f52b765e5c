#include "printertests/TfTestWyswietlacza.h"

#include "common/DialogButtons.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>

namespace {

constexpr int kWidth = 192;
constexpr int kHeight = 64;

QImage TestCard() {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, kWidth - 1, kHeight - 1);
    p.drawRect(2, 2, kWidth - 5, kHeight - 5);
    p.drawLine(0, 0, kWidth - 1, kHeight - 1);
    p.drawLine(0, kHeight - 1, kWidth - 1, 0);
    p.drawEllipse(QPoint(kWidth / 2, kHeight / 2), 26, 26);
    // Checker blocks in the corners show single pixels.
    for (int y = 6; y < 22; ++y)
        for (int x = 6; x < 30; ++x)
            if ((x + y) % 2 == 0) {
                image.setPixel(x, y, qRgb(0, 0, 0));
                image.setPixel(kWidth - 1 - x, kHeight - 1 - y, qRgb(0, 0, 0));
            }
    // Solid blocks in the other two corners.
    p.fillRect(kWidth - 30, 6, 24, 16, Qt::black);
    p.fillRect(6, kHeight - 22, 24, 16, Qt::black);
    p.end();
    return image;
}

QImage Chessboard() {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            image.setPixel(x, y, ((x / 8 + y / 8) % 2) ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    return image;
}

QImage Stripes() {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    // Vertical stripes 8, 4, 2 and 1 pixels wide over the upper half, the
    // same as horizontal stripes below.
    int x = 0;
    for (int width : {8, 4, 2, 1}) {
        for (int end = x + kWidth / 4; x < end; ++x)
            if ((x / width) % 2 == 0)
                for (int y = 0; y < kHeight / 2; ++y)
                    image.setPixel(x, y, qRgb(0, 0, 0));
    }
    for (int y = kHeight / 2; y < kHeight; ++y) {
        const int row = y - kHeight / 2;
        const int width = row < 16 ? 4 : row < 24 ? 2 : 1;
        if ((row / width) % 2 == 0)
            for (int i = 0; i < kWidth; ++i)
                image.setPixel(i, y, qRgb(0, 0, 0));
    }
    return image;
}

QImage Negative(QImage image) {
    image.invertPixels();
    return image;
}

} // namespace

QImage DisplayTestPicture(TestPicture which) {
    switch (which) {
    case TestPicture::Test1: return TestCard();
    case TestPicture::Test2: return Negative(TestCard());
    case TestPicture::Test3: return Chessboard();
    case TestPicture::Test4: return Stripes();
    case TestPicture::Test3Neg: return Negative(Chessboard());
    case TestPicture::Test4Neg: return Negative(Stripes());
    }
    return {};
}

TfTestWyswietlacza::TfTestWyswietlacza(QWidget *parent, CommandHost &host)
    : TDialog(parent, host, QStringLiteral("fTestWyswietlacza"), QStringLiteral("Test wyświetlacza")) {
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont fixed(QStringLiteral("Monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    Label1->setFont(fixed);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    auto picture = [this, layout](const char *name, TestPicture which) {
        auto *l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setPixmap(QPixmap::fromImage(DisplayTestPicture(which)));
        l->setScaledContents(true);
        l->setFixedSize(kWidth * 2, kHeight * 2);
        l->hide();
        layout->addWidget(l, 0, Qt::AlignHCenter);
        return l;
    };
    iTest1 = picture("iTest1", TestPicture::Test1);
    iTest2 = picture("iTest2", TestPicture::Test2);
    ITest3 = picture("ITest3", TestPicture::Test3);
    ITest4 = picture("ITest4", TestPicture::Test4);
    iTest3Neg = picture("iTest3Neg", TestPicture::Test3Neg);
    iTest4Neg = picture("iTest4Neg", TestPicture::Test4Neg);
    layout->addLayout(MakeOkButton(this, bOK));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfTestWyswietlacza::HideAllPictures() {
    ShowPicture(nullptr);
}

void TfTestWyswietlacza::ShowPicture(QLabel *picture) {
    for (QLabel *l : {iTest1, iTest2, ITest3, ITest4, iTest3Neg, iTest4Neg})
        l->setVisible(l == picture);
}
