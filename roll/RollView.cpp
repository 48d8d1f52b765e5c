#include "RollView.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>

namespace darvoroll {

RollView::RollView(const QString &path, QWidget *parent)
    : QMainWindow(parent), file_(QFile::encodeName(path).toStdString()), paper_(new QPlainTextEdit),
      status_(new QLabel), timer_(new QTimer(this)) {
    setWindowTitle(QStringLiteral("Rolka papieru – %1").arg(QFileInfo(path).fileName()));

    paper_->setReadOnly(true);
    paper_->setLineWrapMode(QPlainTextEdit::NoWrap);
    paper_->setMaximumBlockCount(kMaxLines);
    paper_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    paper_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    paper_->setFont(font);
    paper_->setStyleSheet(QStringLiteral("QPlainTextEdit { background: #fffdf6; color: #222;"
                                         " border: none; border-left: 1px solid #d8d2c0;"
                                         " border-right: 1px solid #d8d2c0; }"));
    // Exactly the printer's line, with the paper's margins and its scroll bar.
    const int margins =
        2 * static_cast<int>(paper_->document()->documentMargin()) + 2 * paper_->frameWidth() + 2;
    paper_->setFixedWidth(QFontMetrics(font).horizontalAdvance(QString(kLineWidth, QLatin1Char('M'))) +
                          margins + 16 + paper_->verticalScrollBar()->sizeHint().width());

    auto *desk = new QWidget;
    desk->setObjectName(QStringLiteral("desk"));
    desk->setAttribute(Qt::WA_StyledBackground);
    desk->setStyleSheet(QStringLiteral("#desk { background: #5b6770; }"));
    auto *layout = new QHBoxLayout(desk);
    layout->setContentsMargins(16, 0, 16, 0);
    layout->addStretch();
    layout->addWidget(paper_);
    layout->addStretch();
    setCentralWidget(desk);
    statusBar()->addWidget(status_, 1);
    resize(paper_->width() + 32, 640);

    connect(timer_, &QTimer::timeout, this, &RollView::Poll);
    timer_->start(kPollMilliseconds);
    Poll();
}

void RollView::Poll() {
    RollFile::Update update = file_.Read();
    QScrollBar *bar = paper_->verticalScrollBar();
    // Someone reading further up is left there; otherwise the roll follows.
    const bool atBottom = bar->value() >= bar->maximum();
    if (update.restarted) paper_->clear();
    if (!update.lines.empty()) {
        QString text;
        for (const std::string &line : update.lines) {
            if (!text.isEmpty()) text += QLatin1Char('\n');
            text += QString::fromUtf8(line);
        }
        paper_->appendPlainText(text);
    }
    if (atBottom || update.restarted) bar->setValue(bar->maximum());
    const QString path = QString::fromStdString(file_.Path());
    status_->setText(file_.Exists() ? path : QStringLiteral("Czekam na plik %1").arg(path));
}

QString RollView::PaperText() const {
    return paper_->toPlainText();
}

QString RollView::StatusText() const {
    return status_->text();
}

} // namespace darvoroll
