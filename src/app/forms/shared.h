#pragma once

#include <QPointer>

#include <string>
#include <vector>

class QLineEdit;
class QPlainTextEdit;
class QString;
class QWidget;
class Comment;

// What the date, summary, comment and note fields of all pages share: one text per kind
// and every field of that kind, in creation order. An edit in any field becomes the shared
// text at once; the other fields show it again when their page is selected.
struct SharedForms {
    std::string dateText;
    std::vector<QPointer<QLineEdit>> dateFields;
    std::string summaryText;
    std::vector<QPointer<QLineEdit>> summaryFields;
    // Holds the hint while the comment fields show it; commentEntered tells the two apart.
    std::string commentText;
    bool commentEntered = false;
    std::vector<QPointer<Comment>> commentFields;
    std::string noteText;
    std::vector<QPointer<QPlainTextEdit>> noteFields;
};

// One per program; tests start afresh with `g_forms = {};`.
extern SharedForms g_forms;

// Calls f on every field that still exists (the pages live as long as the program; widget
// tests build and drop them).
template <class Box, class F> void forEachField(const std::vector<QPointer<Box>> &fields, F f) {
    for (const QPointer<Box> &box : fields)
        if (box)
            f(box.data());
}

// The one-line text box of a shared field (date, summary): every edit becomes `shared`, and the
// box joins `fields`. Line breaks that arrive by paste or by a program's text become single
// spaces ("a\r\nb\nc" shows as "a b c"), so the text stays one line of the comment.
QLineEdit *sharedLineEdit(const char *name, std::string &shared, std::vector<QPointer<QLineEdit>> &fields);

// The multi-line box of the note and return-value forms: `label` docked on top, the box
// (Enter makes a new line, Tab moves on) filling the rest of `form`.
QPlainTextEdit *labelledTextArea(QWidget *form, const QString &label, const char *name);
