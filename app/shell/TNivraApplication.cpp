#include "shell/TNivraApplication.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <exception>

namespace {
TNivraApplication::ExceptionHandler &Handler() {
    static TNivraApplication::ExceptionHandler handler;
    return handler;
}
std::function<void()> &TerminateHandler() {
    static std::function<void()> handler;
    return handler;
}
} // namespace

TNivraApplication::TNivraApplication(int &argc, char **argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("NivraSW"));
    // The menu entry's name and icon, for the desktop to match the windows.
    setDesktopFileName(QStringLiteral("pl.darvo.nivrasw"));
    setWindowIcon(QIcon::fromTheme(QStringLiteral("pl.darvo.nivrasw")));
}

void TNivraApplication::SetExceptionHandler(ExceptionHandler handler) {
    Handler() = std::move(handler);
}

void TNivraApplication::Terminate() {
    if (TerminateHandler()) {
        TerminateHandler()();
        return;
    }
    // Leaves every event loop, the modal ones included; later ones end at once.
    QCoreApplication::exit(1);
}

void TNivraApplication::SetTerminateHandler(std::function<void()> handler) {
    TerminateHandler() = std::move(handler);
}

void TNivraApplication::Report(QObject *sender, const QString &message) {
    if (Handler()) {
        Handler()(sender, message);
    } else {
        qCritical("NivraSW: %s", qPrintable(message));
        Terminate();
    }
}

bool TNivraApplication::notify(QObject *receiver, QEvent *event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        Report(receiver, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        Report(receiver, QStringLiteral("Nieznany wyjątek."));
    }
    return false;
}

bool TNivraApplication::InstallPolishTranslation() {
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    auto *translator = new QTranslator(this);
    if (!translator->load(QStringLiteral("qtbase_pl"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    installTranslator(translator);
    return true;
}
