#include "settings/TfReklama.h"

#include "common/ErrorBeep.h"
#include "common/FileDialogs.h"
#include "common/MessageBoxes.h"
#include "common/TBusyScope.h"
#include "core/DriverText.h"

#include "ops/Display.h"

#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <cstring>

bool LoadDisplayBitmap(const QString &fileName) {
    QFile file(fileName);
    QString message = DisplayBitmapFormatError();
    darvo::ops::DisplayRows rows{};
    if (file.open(QIODevice::ReadOnly)) message = DecodeDisplayBitmap(file.readAll(), rows);
    if (!message.isEmpty()) {
        ErrorBeep();
        ErrorBox(message);
        return false;
    }
    darvo::ops::KeepDisplayPicture(rows);
    return true;
}

TfReklama::TfReklama(QWidget *parent, CommandHost &host)
    : TDialog(parent, host, QStringLiteral("fReklama"), QStringLiteral("Dane na wyświetlacz")) {
    bZapis = new QPushButton(QStringLiteral("Zapis do drukarki"), this);
    bZapis->setObjectName(QStringLiteral("bZapis"));
    bZapis->setDefault(true);
    connect(bZapis, &QPushButton::clicked, this, [this] { WriteToPrinter(); });
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(bZapis);
}

QString TfReklama::opOpen() {
    return ChooseFile(this, FileDialogKind::Open, QStringLiteral("Bitmaps (*.bmp)|*.bmp"));
}

void TfReklama::WriteToPrinter() {
    TBusyScope busy(host_, {bZapis});
    if (int32_t code = darvo::ops::WriteDisplayPicture(); code != 0) {
        host_.ShowCommandError(code);
        host_.ClearActivityMessage();
        return;
    }
    host_.SetArrowCursor();
    ErrorBeep();
    ShowBox(BoxKind::Information, QStringLiteral("Informacja"),
            QStringLiteral("Zapisano dane na wyświetlacz do drukarki"));
}
