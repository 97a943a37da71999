#include "app/tab/docpage.h"

#include "app/AppMain.h"
#include "app/forms/comment.h"
#include "app/forms/date.h"
#include "app/forms/note.h"
#include "app/forms/shared.h"
#include "app/forms/summary.h"
#include "app/misc/dock.h"
#include "app/platform/platform.h"
#include "core/read/source.h"

#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTimer>

#include <algorithm>

using Dock = DockLayout::Dock;

namespace {

// The toolkit's default button width, or as much wider as the caption needs to show whole with
// the style's margin round it: "クリップボード" takes 92 pixels, the other captions fit in 75.
int fittedButtonWidth(const QPushButton *button) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.rect = QRect(0, 0, DefaultSize::buttonWidth, DefaultSize::buttonHeight);
    const QStyle *style = button->style();
    const QRect contents = style->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    const int padding = DefaultSize::buttonWidth - contents.width() +
                        style->pixelMetric(QStyle::PM_ButtonMargin, &option, button);
    return std::max(DefaultSize::buttonWidth,
                    button->fontMetrics().horizontalAdvance(button->text()) + padding);
}

} // namespace

DocumentPage::DocumentPage(const QString &caption, QSize clientSize, QWidget *parent)
    : Page(parent), m_clientSize(clientSize) {
    setWindowTitle(caption);
}

void DocumentPage::buildContents() {
    date = new Date;
    summary = new Summary;
    comment = new Comment;
    note = new Note;
    layOut();
}

QWidget *DocumentPage::buttonBar() {
    auto *bar = new QWidget;
    auto *strip = new QWidget;
    (new DockLayout(bar))->dock(strip, Dock::Top, 20);
    auto *layout = new DockLayout(strip);
    // Docked right to left, each after a 10-pixel gap: "クリップボード", "OK", "キャンセル".
    const auto addButton = [layout](const QString &text, const char *name) {
        layout->dock(new QWidget, Dock::Right, 10);
        auto *button = new QPushButton(text);
        button->setAccessibleName(name);
        layout->dock(button, Dock::Right, fittedButtonWidth(button));
        return button;
    };
    connect(addButton(tr("キャンセル"), "cancel"), &QPushButton::clicked, this, &DocumentPage::cancel);
    connect(addButton(QStringLiteral("OK"), "ok"), &QPushButton::clicked, this, &DocumentPage::accept);
    connect(addButton(tr("クリップボード"), "clipboard"), &QPushButton::clicked, this,
            &DocumentPage::copyToClipboard);
    return bar;
}

void DocumentPage::layOut() {
    auto *column = new QWidget;
    (new DockLayout(this))->dock(column, Dock::Fill);
    auto *layout = new DockLayout(column);
    layout->dock(date, Dock::Top, 20);
    layout->dock(summary, Dock::Top, 20);
    layout->dock(comment, Dock::Top, 160);
    layout->dock(note, Dock::Top, 160);
    layout->dock(buttonBar(), Dock::Bottom, 30);
}

void DocumentPage::cancel() {
    mainWindow->close();
}

void DocumentPage::accept() {
    if (!copyToClipboard())
        return;
    // The user sees the window stay for a moment after the beep, taking no input meanwhile. The
    // event loop runs on, so that a clipboard manager (Wayland's, through XWayland) can take its
    // copy of the comment before the program ends.
    mainWindow->setEnabled(false);
    QTimer::singleShot(500, mainWindow, &QWidget::close);
}

bool DocumentPage::copyToClipboard() {
    try {
        DocumentRequest request;
        request.kind = kind();
        request.date = g_forms.dateText;
        request.summary = g_forms.summaryText;
        // The hint of an untouched comment field is never part of a comment.
        if (g_forms.commentEntered)
            request.comment = g_forms.commentText;
        request.note = note->text();
        fillRequest(request);
        g_clipboard->setText(renderDocument(request));
    } catch (...) {
        g_sounds->asterisk();
        return false;
    }
    g_sounds->beep();
    return true;
}

void DocumentPage::initialize() {
    date->update();
    summary->clear();
    comment->reset();
    note->clear();
    focusSummary();
}

void DocumentPage::focusSummary() {
    summary->focusInput();
}

void DocumentPage::pageSelected() {
    mainWindow->setClientSize(m_clientSize.width(), m_clientSize.height());
    date->refresh();
    summary->refresh();
    comment->refresh();
    note->refresh();
}

void DocumentPage::fill(const SourceReading &reading) {
    const DocumentRequest &read = reading.request;
    const auto text = [](const std::string &source) { return QString::fromStdString(source); };
    // Set in this page's boxes, each change reaches the shared text as typing would.
    if (read.date && !read.date->empty())
        date->textBox->setText(text(*read.date));
    if (!read.summary.empty())
        summary->textBox->setText(text(read.summary));
    if (!read.comment.empty())
        comment->setText(text(read.comment));
    if (!read.note.empty())
        note->textBox->setPlainText(text(read.note));
    fillOwnForms(reading);
    if (g_forms.summaryText.empty())
        focusSummary();
}

void DocumentPage::contextMenuEvent(QContextMenuEvent *event) {
    if (!m_menu) {
        m_menu = new QMenu(this);
        m_menu->addAction(tr("クリップボードから読み込む") + QStringLiteral("\tShift+Ctrl+V"), mainWindow,
                          &MainWindow::fillFromClipboard);
    }
    m_menu->popup(event->globalPos());
}

void DocumentPage::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    if (isVisible())
        focusSummary();
}

void DocumentPage::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    focusSummary();
}
