// The paper roll on screen: the printer's lines on a strip of paper as wide
// as the printer prints (40 characters, monospaced), the newest at the
// bottom, following the roll file as the printer appends to it.
#pragma once

#include "RollFile.h"

#include <QMainWindow>

class QLabel;
class QPlainTextEdit;
class QTimer;

namespace darvoroll {

class RollView : public QMainWindow {
    Q_OBJECT
  public:
    static constexpr int kLineWidth = 40;   // characters the printer prints on a line
    static constexpr int kMaxLines = 20000; // the oldest go first
    static constexpr int kPollMilliseconds = 250;

    explicit RollView(const QString &path, QWidget *parent = nullptr);

    // Takes what the printer has printed since the last look; the timer
    // calls it while the window is shown.
    void Poll();
    QString PaperText() const;
    QString StatusText() const;
    QPlainTextEdit *Paper() const { return paper_; }

  private:
    RollFile file_;
    QPlainTextEdit *paper_;
    QLabel *status_;
    QTimer *timer_;
};

} // namespace darvoroll
