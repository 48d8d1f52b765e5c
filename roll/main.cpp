// darvo-roll: shows the emulated printer's paper roll (darvo-sim --roll FILE)
// as a roll of paper, following the file as the printer prints.
// DARVO_ROLL_SCREENSHOT=<file.png> saves a picture of the window and ends.
#include "RollView.h"

#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

const char *kUsage = "Usage: darvo-roll FILE\n"
                     "\n"
                     "Shows the paper roll file of the emulated DARVO fiscal printer\n"
                     "(darvo-sim --roll FILE) as a roll of paper, 40 characters wide, the\n"
                     "newest line at the bottom. It follows the file as the printer appends\n"
                     "to it: a file that does not exist yet is waited for, and one that is\n"
                     "emptied or replaced is shown again from its start.\n"
                     "\n"
                     "  -h, --help     show this help\n"
                     "  -v, --version  show the version\n";

} // namespace

int main(int argc, char **argv) {
    // Before the display is opened: --help works without one.
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "-h") || !std::strcmp(argv[i], "--help")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (!std::strcmp(argv[i], "-v") || !std::strcmp(argv[i], "--version")) {
            std::printf("darvo-roll %s\n", DARVO_VERSION);
            return 0;
        }
    }
    QApplication app(argc, argv); // takes Qt's own options (-geometry, ...)
    QApplication::setApplicationName(QStringLiteral("darvo-roll"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("pl.darvo.nivrasw")));
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() != 1 || arguments[0].startsWith(QLatin1Char('-'))) {
        std::fprintf(stderr, "darvo-roll: %s\n%s",
                     arguments.isEmpty() ? "no file named" : "one file, no other arguments", kUsage);
        return 2;
    }

    darvoroll::RollView view(arguments[0]);
    // Beside a program in the middle of the screen: at its right edge.
    if (const QScreen *screen = view.screen()) {
        const QRect free = screen->availableGeometry();
        view.resize(view.width(), std::min(free.height() - 40, 720));
        view.move(free.right() - view.frameGeometry().width() - 8, free.top() + 8);
    }
    view.show();
    const QString screenshot = qEnvironmentVariable("DARVO_ROLL_SCREENSHOT");
    if (!screenshot.isEmpty()) {
        QTimer::singleShot(0, &view, [&view, screenshot] {
            const bool saved = view.grab().save(screenshot, "PNG");
            std::fprintf(stderr, saved ? "darvo-roll: saved %s\n" : "darvo-roll: cannot save %s\n",
                         qPrintable(screenshot));
            QCoreApplication::exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
