#include "shell/TActivityArea.h"

#include <QFontMetrics>
#include <QMainWindow>
#include <QPainter>
#include <QStatusBar>

namespace {
// The colour Windows gives the border of the active window.
const QColor kActiveBorder(180, 180, 180);
} // namespace

QFont ProgramFont(int pixelSize) {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Sans Serif")});
    font.setPixelSize(pixelSize);
    return font;
}

TActivityArea::TActivityArea(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ActivityArea"));
}

void TActivityArea::SetText(const QString &text) {
    text_ = text;
    // The driver blocks this thread right after it has set a text: paint now.
    repaint();
}

QRect TActivityArea::TextRect() const {
    if (text_.isEmpty()) return {};
    QFont font = ProgramFont(16);
    font.setPointSize(12);
    QFontMetrics metrics(font);
    const int w = metrics.horizontalAdvance(text_);
    const int h = metrics.height();
    // Centred on the window above the status bar, in this widget's coordinates.
    QWidget *top = window();
    int statusHeight = 0;
    if (auto *main = qobject_cast<QMainWindow *>(top); main && main->statusBar()->isVisible())
        statusHeight = main->statusBar()->height();
    const QPoint origin = mapTo(top, QPoint(0, 0));
    const int left = (top->width() - w) / 2 - 2 - origin.x();
    const int upper = (top->height() - statusHeight - h) / 2 - 2 - origin.y();
    return QRect(QPoint(left, upper), QPoint(left + w + 2, upper + h + 2));
}

void TActivityArea::paintEvent(QPaintEvent *) {
    if (text_.isEmpty()) return;
    QPainter painter(this);
    QFont font = ProgramFont(16);
    font.setPointSize(12);
    painter.setFont(font);
    const QRect rect = TextRect();
    painter.fillRect(rect, kActiveBorder);
    painter.setPen(kActiveBorder);
    painter.drawRect(rect.adjusted(-1, -1, 0, 0));
    painter.setPen(Qt::black);
    painter.setClipRect(rect);
    painter.drawText(rect.adjusted(0, 0, 1, 1), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text_);
}
