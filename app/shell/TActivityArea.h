// The main window's client area and the one line of activity text that the
// driver's operations and the commands show centred on the window.
#pragma once

#include <QFont>
#include <QString>
#include <QWidget>

// The program's font ("MS Sans Serif", or the system's sans serif where it
// is missing) at the given pixel size.
QFont ProgramFont(int pixelSize);

// The main window's client area; the activity text is drawn on it.
class TActivityArea : public QWidget {
  public:
    explicit TActivityArea(QWidget *parent);
    void SetText(const QString &text);
    QString Text() const { return text_; }
    // Where the text is drawn (empty when there is none).
    QRect TextRect() const;

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    QString text_;
};
