#include "app/forms/shared.h"

#include "app/misc/cmenu.h"
#include "app/misc/dock.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QValidator>

SharedForms g_forms;

namespace {

// The toolkit runs the validator on every change, typed, pasted or set, and takes over the
// text and caret it returns.
class SingleLineValidator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString &input, int &pos) const override {
        QString joined;
        joined.reserve(input.size());
        for (qsizetype i = 0; i < input.size(); ++i) {
            const QChar c = input[i];
            if (c != u'\r' && c != u'\n') {
                joined += c;
                continue;
            }
            // CR LF is one break: the LF goes with its CR.
            if (c == u'\r' && i + 1 < input.size() && input[i + 1] == u'\n') {
                ++i;
                if (i < pos)
                    --pos;
            }
            joined += u' ';
        }
        input = joined;
        return Acceptable;
    }
};

} // namespace

QLineEdit *sharedLineEdit(const char *name, std::string &shared, std::vector<QPointer<QLineEdit>> &fields) {
    auto *box = new QLineEdit;
    box->setAccessibleName(name);
    box->setValidator(new SingleLineValidator(box));
    QObject::connect(box, &QLineEdit::textChanged, box,
                     [&shared](const QString &text) { shared = text.toStdString(); });
    new MyTextContextMenu(box);
    fields.push_back(box);
    return box;
}

QPlainTextEdit *labelledTextArea(QWidget *form, const QString &label, const char *name) {
    auto *layout = new DockLayout(form);
    layout->dock(new QLabel(label), DockLayout::Dock::Top, 20);
    auto *box = new QPlainTextEdit;
    box->setAccessibleName(name);
    box->setTabChangesFocus(true);
    layout->dock(box, DockLayout::Dock::Fill);
    new MyTextContextMenu(box);
    return box;
}
