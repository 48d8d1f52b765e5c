#include "printertests/TfBajtyStatusu.h"

#include "ops/Connection.h"
#include "ops/Status.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

TfBajtyStatusu::TfBajtyStatusu(QWidget *parent, CommandHost &host)
    : TDialog(parent, host, QStringLiteral("fBajtyStatusu"), QStringLiteral("Informacja...")) {
    mStatusy = new QTextEdit(this);
    mStatusy->setObjectName(QStringLiteral("mStatusy"));
    mStatusy->setReadOnly(true);
    mStatusy->setMinimumSize(620, 330);
    mStatusy->installEventFilter(this);
    bOK = new QPushButton(QStringLiteral("&OK"), this);
    bOK->setObjectName(QStringLiteral("bOK"));
    bOK->setDefault(true);
    connect(bOK, &QPushButton::clicked, this, &QDialog::accept);
    tStatus = new QTimer(this);
    tStatus->setObjectName(QStringLiteral("tStatus"));
    tStatus->setInterval(10);
    tStatus->setSingleShot(true);
    connect(tStatus, &QTimer::timeout, this, [this] { tStatusTimer(); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(mStatusy);
    layout->addWidget(bOK, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfBajtyStatusu::FormActivate() {
    tStatus->start();
}

void TfBajtyStatusu::FormClose() {
    tStatus->stop();
}

bool TfBajtyStatusu::eventFilter(QObject *watched, QEvent *event) {
    if (watched == mStatusy && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) accept();
        return true; // nothing can be typed into the monitor
    }
    return TDialog::eventFilter(watched, event);
}

QStringList TfBajtyStatusu::StatusTexts(const darvo::ops::Status &status, uint8_t deviceType) {
    QStringList lines;
    for (const std::string &text :
         darvo::ops::StatusTexts(status.bytes, status.count, status.hasByte8, deviceType))
        lines << QString::fromStdString(text);
    return lines;
}

void TfBajtyStatusu::tStatusTimer() {
    tStatus->stop();
    mStatusy->setCursorWidth(0);
    if (QWidget *main = parentWidget(); main && main->isVisible())
        move(main->frameGeometry().center() - rect().center());

    darvo::ops::Status status;
    if (int32_t code = darvo::ops::ReadStatus(status); code != 0) {
        host_.ShowCommandError(code);
        reject();
        return;
    }
    mStatusy->clear();
    for (const QString &line : StatusTexts(status, darvo::ops::IdentifiedType())) {
        mStatusy->append(line);
        mStatusy->setAlignment(Qt::AlignHCenter);
    }
    host_.SetArrowCursor();
    if (isVisible()) tStatus->start();
}
