#include "forms/shared.h"

#include <QLineEdit>
#include <QValidator>

SharedForms g_forms;

namespace {

// The toolkit runs the validator on every change, typed, pasted or set, and takes over the
// text and caret it returns.
class SingleLineValidator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& pos) const override
    {
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

void keepSingleLine(QLineEdit* box) { box->setValidator(new SingleLineValidator(box)); }
