#pragma once

#include "app/tab/page.h"
#include "core/doc/request.h"

#include <QSize>

class Comment;
class Date;
class Note;
class Summary;

// What the function, class and file pages have in common: the shared date, summary, comment
// and note forms, the button row ("クリップボード", "OK", "キャンセル"), and the way a
// comment is rendered onto the clipboard. The forms exist once the page is built.
class DocumentPage : public Page {
    Q_OBJECT
public:
    Date *date = nullptr;
    Summary *summary = nullptr;
    Comment *comment = nullptr;
    Note *note = nullptr;

    // Closes the main window; nothing is copied.
    void cancel();
    // Copies; on success, after half a second, closes the main window.
    void accept();
    // Renders the page's comment onto the clipboard with the default beep; on any failure
    // (an empty summary) sounds the asterisk instead, leaves the clipboard alone and gives false.
    bool copyToClipboard();
    // Empties the page's forms (the date is taken afresh), then the caret goes to the summary.
    virtual void initialize();
    void focusSummary();
    // Sizes the main window for this page and shows the shared texts again.
    virtual void pageSelected();
    void pageDeselected() {}

protected:
    // caption: the tab's text. clientSize: the main window's client area on this page.
    DocumentPage(const QString &caption, QSize clientSize, QWidget *parent);

    // Makes the shared forms, then lays out the page.
    void buildContents() final;
    // The single column of the class and file pages: date, summary, comment, note, buttons.
    // The function page makes its own forms here and lays out two columns.
    virtual void layOut();
    // The strip of the three buttons, 30 high with the buttons in its top 20.
    QWidget *buttonBar();
    // What the page documents, and the page's own part of the request (the function page's
    // returns, throws, params).
    virtual DocumentKind kind() const = 0;
    virtual void fillRequest(DocumentRequest &) const {}

    // Whenever the visible page is laid out (shown, or resized with the window), the caret
    // lands in the summary.
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QSize m_clientSize;
};
