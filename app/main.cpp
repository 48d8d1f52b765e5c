// nivrasw: the user program of the DARVO fiscal printers.
//   nivrasw [COM1..COM9] [9600|19200|28800]
// With both a port and a speed it connects at once; otherwise it opens the
// communication dialog. NIVRASW_SCREENSHOT=<file.png> saves a picture of the
// connected main window to the file and ends the program.
#include "common/BusyCursor.h"
#include "core/AppState.h"
#include "shell/TGlowneOkno.h"
#include "shell/TNivraApplication.h"

#include "ops/Connection.h"

#include <QTimer>
#include <cstdio>
#include <exception>
#include <memory>

namespace {

// Saves the window once the first activation's work is done, or stands in
// a dialog of its own. A long wait for the printer's answer lets the window
// process its messages in the middle of that work: the picture waits.
void TakeScreenshot(TGlowneOkno &window, const QString &path, int delayMs = 0) {
    QTimer::singleShot(delayMs, &window, [&window, path] {
        if (window.InsideDriverWait()) {
            TakeScreenshot(window, path, 10);
            return;
        }
        const bool saved = window.grab().save(path, "PNG");
        std::fprintf(stderr, saved ? "nivrasw: saved %s\n" : "nivrasw: cannot save %s\n", qPrintable(path));
        const bool connected = !window.PanelText(1).isEmpty();
        if (connected)
            std::fprintf(stderr, "nivrasw: %s, %s\n", qPrintable(window.PanelText(0)),
                         qPrintable(window.PanelText(1)));
        else
            std::fprintf(stderr, "nivrasw: not connected to a printer\n");
        window.close();
        // Also out of a dialog the start-up may have left open.
        QCoreApplication::exit(saved && connected ? 0 : 1);
    });
}

} // namespace

int main(int argc, char **argv) {
    TNivraApplication app(argc, argv);
    app.InstallPolishTranslation();
    // The hourglass of the current directory, when there is one.
    LoadBusyCursor(QStringLiteral("hourglas.ani"));

    std::vector<std::string> arguments;
    const QStringList list = QCoreApplication::arguments();
    for (int i = 1; i < list.size(); ++i)
        arguments.push_back(list[i].toStdString());
    const CommandLine commandLine = ParseCommandLine(arguments);

    int result = 1;
    std::unique_ptr<TGlowneOkno> window;
    try {
        window = std::make_unique<TGlowneOkno>();
        window->ChoosePort({commandLine.port, commandLine.speed});
        window->show();
        const QString screenshot = qEnvironmentVariable("NIVRASW_SCREENSHOT");
        // After the first activation's work, which showing the window has queued.
        if (!screenshot.isEmpty()) TakeScreenshot(*window, screenshot);
        result = app.exec();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "nivrasw: %s\n", e.what());
    }
    darvo::ops::ReleasePort();
    window.reset();
    return result;
}
