#pragma once

#include "app/tab/page.h"
#include "core/doc/request.h"

#include <QSize>

struct SourceReading;
class QMenu;
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
    // Takes from source what it says: the date, summary, comment and note it gives replace the
    // typed ones, and the function page also takes the return value and the lists. What the
    // source lacks stays as typed. The caret goes to the summary when that is still empty.
    void fill(const SourceReading &reading);

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
    // The page's own part of fill.
    virtual void fillOwnForms(const SourceReading &) {}

    // Whenever the visible page is laid out (shown, or resized with the window), the caret
    // lands in the summary.
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    // A right click on the page outside the text boxes: "クリップボードから読み込む".
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    QSize m_clientSize;
    QMenu *m_menu = nullptr; // made with the first right click
};
