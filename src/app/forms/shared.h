#pragma once

#include <QPointer>

#include <string>
#include <vector>

class QLineEdit;
class QPlainTextEdit;
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
template <class Box, class F> void forEachField(const std::vector<QPointer<Box>>& fields, F f)
{
    for (const QPointer<Box>& box : fields)
        if (box)
            f(box.data());
}

// A single-line field: line breaks that arrive by paste or by a program's text become single
// spaces ("a\r\nb\nc" shows as "a b c"), so the text stays one line of the comment.
void keepSingleLine(QLineEdit* box);
