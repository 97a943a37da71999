#include "app/platform/errordialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <cstdlib>

namespace {

constexpr int quitExitCode = 35;

QPushButton *addButton(QHBoxLayout *row, const char *text, const char *accessibleName) {
    auto *button = new QPushButton(QString::fromLatin1(text));
    button->setAccessibleName(QString::fromLatin1(accessibleName));
    row->addWidget(button);
    return button;
}

} // namespace

ErrorDialog::ErrorDialog(const QString &errorText, QWidget *parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Error"));
    setAccessibleName(QStringLiteral("errorDialog"));

    auto *icon = new QLabel;
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(
        style()->standardIcon(QStyle::SP_MessageBoxCritical, nullptr, this).pixmap(iconSize, iconSize));
    icon->setAlignment(Qt::AlignTop);
    auto *message =
        new QLabel(QStringLiteral("An application exception has occured. Click Continue to allow the "
                                  "application to ignore this error and attempt to continue."));
    message->setWordWrap(true);
    message->setAccessibleName(QStringLiteral("errorMessage"));
    auto *top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(message, 1);

    auto *details = new QPlainTextEdit(errorText);
    details->setReadOnly(true);
    details->setAccessibleName(QStringLiteral("errorText"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    QPushButton *continueButton = addButton(buttons, "&Continue", "continueButton");
    QPushButton *quitButton = addButton(buttons, "&Quit", "quitButton");
    continueButton->setDefault(true);
    connect(continueButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(quitButton, &QPushButton::clicked, this, [this] { done(QuitResult); });

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(details, 1);
    layout->addLayout(buttons);
    resize(460, 260);
    continueButton->setFocus();
}

void reportUnhandledError(const QString &errorText) {
    // While one error is shown, errors from events handled meanwhile (a paint that fails
    // every time, say) are dropped rather than stacking dialogs without end.
    static bool showing = false;
    if (showing)
        return;
    showing = true;
    ErrorDialog dialog(errorText, QApplication::activeWindow());
    const bool quit = dialog.exec() == ErrorDialog::QuitResult;
    showing = false;
    if (quit)
        std::_Exit(quitExitCode);
}
