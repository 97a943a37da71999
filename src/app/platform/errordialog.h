#pragma once

#include <QDialog>
#include <QString>

// The dialog for an error that escaped an event handler. The user may go on ("&Continue")
// or end the program at once ("&Quit").
class ErrorDialog : public QDialog {
    Q_OBJECT
public:
    // exec() gives QuitResult for "&Quit"; "&Continue", Escape and the close box give
    // something else: they all mean "go on".
    static constexpr int QuitResult = 2;

    explicit ErrorDialog(const QString &errorText, QWidget *parent = nullptr);
};

// Shows the dialog for `errorText`; after "&Quit" the process ends here with exit code 35,
// without closing a window or saving anything.
void reportUnhandledError(const QString &errorText);
