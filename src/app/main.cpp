#include "app/AppMain.h"
#include "app/misc/language.h"
#include "app/platform/clipboard.h"
#include "app/platform/endsignals.h"
#include "app/platform/errordialog.h"
#include "app/platform/hotkey.h"
#include "app/platform/instance.h"
#include "app/platform/platformchoice.h"
#include "app/platform/sounds.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QWindow>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

namespace {

// Errors thrown while an event is handled end up here instead of ending the program.
class Application : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception &error) {
            reportUnhandledError(QString::fromUtf8(error.what()));
        } catch (...) {
            reportUnhandledError(QStringLiteral("Unknown exception"));
        }
        return false;
    }
};

// Without a window manager nobody gives the new window the keyboard; ask for it once the
// window is on screen (asking earlier fails, the window is not mapped yet).
class ActivateWhenExposed : public QObject {
public:
    explicit ActivateWhenExposed(QWidget *window) : QObject(window), m_window(window) {
        window->windowHandle()->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Expose && m_window->windowHandle()->isExposed()) {
            watched->removeEventFilter(this);
            m_window->activateWindow();
        }
        return false;
    }

private:
    QWidget *m_window;
};

// The program's arguments, null-terminated as argv is, with "-platform xcb" in front of the
// user's own (a -platform given there still wins) when chosenQtPlatform asks for it.
std::vector<char *> withPlatformChoice(int argc, char *argv[]) {
    static char option[] = "-platform";
    static std::string platform;
    std::vector<char *> arguments(argv, argv + argc);
    if (const char *chosen = chosenQtPlatform(std::getenv("WAYLAND_DISPLAY"), std::getenv("DISPLAY"),
                                              std::getenv("QT_QPA_PLATFORM"))) {
        platform = chosen;
        arguments.insert(arguments.begin() + std::min(argc, 1), {option, platform.data()});
    }
    arguments.push_back(nullptr);
    return arguments;
}

void showFatalError(const QString &text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Fatal Error"), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

} // namespace

int main(int argc, char *argv[]) {
    std::vector<char *> arguments = withPlatformChoice(argc, argv);
    int count = static_cast<int>(arguments.size()) - 1;
    Application app(count, arguments.data());
    // Before anything is built: a second start only hands over to the first.
    SingleInstance instance(prepareInstanceServerName());
    if (instance.activateRunning())
        return 0;
    QPointer<MainWindow> window;
    // A kill, Ctrl+C in the terminal or a logout ends the program as Cancel does: the window
    // closes (the settings page saves what it saves then), and what follows the event loop
    // removes the socket and hands the clipboard over. Quitting too closes a dialog that is open
    // meanwhile (the error dialog), which would otherwise keep the program running. A signal
    // that comes while the window is being built waits for the event loop.
    EndSignals endSignals;
    QObject::connect(&endSignals, &EndSignals::received, &app, [&window] {
        if (window)
            window->close();
        QCoreApplication::quit();
    });
    useSystemLanguage();
    SystemSounds sounds;
    SystemClipboard clipboard;
    g_sounds = &sounds;
    g_clipboard = &clipboard;

    try {
        window = new MainWindow;
        std::unique_ptr<GlobalHotKey> hotKey = GlobalHotKey::grab();
        if (hotKey)
            QObject::connect(hotKey.get(), &GlobalHotKey::activated, window, &MainWindow::onHotKey);
        window->show();
        new ActivateWhenExposed(window);
        // A later start brings the window forward as the hot key does. Listening waits for
        // the event loop, so that it costs the window's first showing nothing.
        QObject::connect(&instance, &SingleInstance::activationRequested, window, &MainWindow::onHotKey);
        QMetaObject::invokeMethod(&instance, &SingleInstance::listen, Qt::QueuedConnection);
        app.exec();
        instance.close();
    } catch (const std::exception &error) {
        showFatalError(QString::fromUtf8(error.what()));
        return 1;
    } catch (...) {
        showFatalError(QStringLiteral("Unknown exception"));
        return 1;
    }
    delete window.data();
    clipboard.handOver();
    return 0;
}
