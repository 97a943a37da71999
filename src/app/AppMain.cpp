#include "app/AppMain.h"

#include "app/misc/dock.h"
#include "app/platform/platform.h"
#include "app/tab/classdoc.h"
#include "app/tab/filedoc.h"
#include "app/tab/functiondoc.h"
#include "app/tab/setting.h"
#include "core/read/source.h"

#include <QCloseEvent>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QShortcut>
#include <QTabWidget>

#include <initializer_list>

MainWindow *mainWindow = nullptr;

namespace {

// The icon at the default icon size, read as PNG outright: asked to guess the format, the image
// reader loads every image format plugin there is to ask each of them. (Decoding the 256 x 256
// image instead cost start-up about as much as building a whole page.)
QIcon loadWindowIcon() {
    QImageReader reader(":/icons/remarkist.png", "png");
    reader.setAutoDetectImageFormat(false);
    return QIcon(QPixmap::fromImage(reader.read()));
}

} // namespace

MainWindow::MainWindow() {
    mainWindow = this;
    setClientSize(640, 480);
    setWindowTitle("Remarkist");
    setWindowIcon(loadWindowIcon());

    // Each acts whichever control of the window has the focus.
    const auto addShortcut = [this](QKeyCombination keys, void (MainWindow::*action)()) {
        auto *shortcut = new QShortcut(QKeySequence(keys), this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, action);
    };
    addShortcut(Qt::SHIFT | Qt::CTRL | Qt::Key_C, &MainWindow::onCopyShortcut);
    addShortcut(Qt::CTRL | Qt::Key_I, &MainWindow::onInitializeShortcut);
    addShortcut(Qt::SHIFT | Qt::CTRL | Qt::Key_V, &MainWindow::fillFromClipboard);

    m_tabs = new QTabWidget;
    m_tabs->setAccessibleName("tabs");
    (new DockLayout(this))->dock(m_tabs, DockLayout::Dock::Fill);

    // The settings page comes first: the other pages' date fields follow its date format.
    m_setting = new Setting(this);
    m_function = new Functiondoc;
    // The one page the window opens with; the others wait until it is on screen.
    m_function->build();
    m_tabs->addTab(m_function, m_function->windowTitle());
    m_class = new Classdoc;
    m_tabs->addTab(m_class, m_class->windowTitle());
    m_file = new Filedoc;
    m_tabs->addTab(m_file, m_file->windowTitle());
    m_tabs->addTab(m_setting, m_setting->windowTitle());
    m_tabs->setCurrentIndex(0);
    // Connected last: adding the first tab selects it before the other pages exist.
    connect(m_tabs, &QTabWidget::currentChanged, this, &MainWindow::onTabChanged);
}

void MainWindow::buildPages() {
    for (Page *page : std::initializer_list<Page *>{m_class, m_file, m_setting})
        page->build();
}

void MainWindow::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    // Show has mapped the window when the event loop next runs; posted calls run there before
    // any input is read, so the user never meets a page half made. Later shows find them built.
    QMetaObject::invokeMethod(this, &MainWindow::buildPages, Qt::QueuedConnection);
}

void MainWindow::setClientSize(int width, int height) {
    setFixedSize(width, height);
}

void MainWindow::onTabChanged() {
    DocumentPage *const documents[] = {m_function, m_class, m_file};
    for (int i = 0; i < 3; ++i) {
        if (m_tabs->currentIndex() == i)
            documents[i]->pageSelected();
        else
            documents[i]->pageDeselected();
    }
    if (m_tabs->currentIndex() == 3)
        m_setting->pageSelected();
    else
        m_setting->pageDeselected();
}

DocumentPage *MainWindow::selectedDocumentPage() const {
    switch (m_tabs->currentIndex()) {
    case 0:
        return m_function;
    case 1:
        return m_class;
    case 2:
        return m_file;
    default:
        return nullptr;
    }
}

void MainWindow::onCopyShortcut() {
    if (DocumentPage *page = selectedDocumentPage())
        page->copyToClipboard();
}

void MainWindow::onInitializeShortcut() {
    if (DocumentPage *page = selectedDocumentPage())
        page->initialize();
}

void MainWindow::fillFromClipboard() {
    DocumentPage *page = selectedDocumentPage();
    if (!page)
        return;
    SourceReading reading;
    try {
        reading = readSource(g_clipboard->text());
        dropNamelessParams(reading.request);
    } catch (const Orvex::Exception &) {
        g_sounds->asterisk();
        return;
    }
    if (reading.declared) {
        page = reading.request.kind == DocumentKind::Function ? static_cast<DocumentPage *>(m_function)
                                                              : m_class;
        m_tabs->setCurrentWidget(page);
    }
    page->build();
    page->fill(reading);
}

void MainWindow::onHotKey() {
    raise();
    activateWindow();
    if (isMinimized())
        showNormal();
    if (DocumentPage *page = selectedDocumentPage())
        page->focusSummary();
}

void MainWindow::closeEvent(QCloseEvent *event) {
    // Closing twice (OK after the close box, say) must not store the position twice.
    if (!m_closing) {
        m_closing = true;
        m_setting->windowClosing();
    }
    event->accept();
}
