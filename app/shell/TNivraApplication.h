// The application object: title, Polish texts of the toolkit's own buttons,
// and the hook that catches every exception that reaches the event loop.
#pragma once

#include <QApplication>
#include <QString>
#include <functional>

class TNivraApplication : public QApplication {
  public:
    TNivraApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // Gets every exception that reaches the application, with the object
    // that was handling an event when it was raised (null when unknown).
    using ExceptionHandler = std::function<void(QObject *sender, const QString &message)>;
    static void SetExceptionHandler(ExceptionHandler handler);
    // Ends the program after an exception it cannot go on from: leaves
    // every event loop, so main() closes the port and returns.
    static void Terminate();
    // Replaces what Terminate does (tests); an empty function restores it.
    static void SetTerminateHandler(std::function<void()> handler);

    // Loads the Polish translation of the toolkit's own texts ("Tak",
    // "Nie", ...); false when it is not installed.
    bool InstallPolishTranslation();

  private:
    void Report(QObject *sender, const QString &message);
};
