#include "settings/TfReklamaOdczyt.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
void Put(QByteArray &b, int offset, uint32_t value, int size) {
    for (int i = 0; i < size; ++i)
        b[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}
} // namespace

QByteArray DisplayReadBackBitmap(const darvo::ops::DisplayRows &rows) {
    constexpr int kData = 62, kRowBytes = 24, kRows = darvo::ops::kDisplayRows;
    QByteArray b(kData + kRowBytes * kRows, '\0');
    b[0] = 'B';
    b[1] = 'M';
    Put(b, 2, static_cast<uint32_t>(b.size()), 4);
    Put(b, 10, kData, 4);
    Put(b, 14, 40, 4);
    Put(b, 18, 192, 4);
    Put(b, 22, kRows, 4);
    Put(b, 26, 1, 2);
    Put(b, 28, 1, 2);
    Put(b, 34, kRowBytes * kRows, 4);
    Put(b, 38, 3780, 4);
    Put(b, 42, 3780, 4);
    // Palette: entry 0 black (already zero), entry 1 white.
    b[58] = b[59] = b[60] = static_cast<char>(0xFF);
    for (int stored = 0; stored < kRows; ++stored) {
        const uint8_t *row = rows[kRows - 1 - stored];
        for (int i = 0; i < kRowBytes; ++i)
            b[kData + stored * kRowBytes + i] = static_cast<char>(row[1 + i] ^ 0xFF);
    }
    return b;
}

TfReklamaOdczyt::TfReklamaOdczyt(QWidget *parent, CommandHost &host)
    : TDialog(parent, host, QStringLiteral("fReklamaOdczyt"), QStringLiteral("Dane na wyświetlacz")) {
    iBitmapa = new QLabel(this);
    iBitmapa->setObjectName(QStringLiteral("iBitmapa"));
    iBitmapa->setScaledContents(true);
    iBitmapa->setFixedSize(192 * 2, 64 * 2);
    bOK = new QPushButton(QStringLiteral("&OK"), this);
    bOK->setObjectName(QStringLiteral("bOK"));
    bOK->setDefault(true);
    connect(bOK, &QPushButton::clicked, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(iBitmapa);
    layout->addWidget(bOK, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

bool TfReklamaOdczyt::LoadPicture(const QByteArray &bitmap) {
    QPixmap picture;
    if (!picture.loadFromData(bitmap, "BMP")) return false;
    iBitmapa->setPixmap(picture);
    return true;
}
