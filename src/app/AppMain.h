#pragma once

#include <QWidget>

class QTabWidget;
class DocumentPage;
class Functiondoc;
class Classdoc;
class Filedoc;
class Setting;

// The one top-level window: a fixed-size frame holding the four pages in a tab control.
//
// Accessible names, for finding controls from outside (the document pages' controls repeat
// on each page; look inside the page of that name):
//   tab control "tabs"; pages "function", "class", "file"
//   every page: "date", "date.update", "summary", "comment", "note",
//               "clipboard", "ok", "cancel"
//   function page: "returns";
//     "params.direction", "params.name", "params.description", "params.list",
//     "params.insert", "params.change", "params.up", "params.down", "params.delete";
//     "throws.type", "throws.description", "throws.list",
//     "throws.insert", "throws.change", "throws.up", "throws.down", "throws.delete"
class MainWindow : public QWidget {
    Q_OBJECT
public:
    // Makes the settings page first (it loads setting.dat and places this window), then
    // the function, class and file pages; the function page is selected and built.
    MainWindow();

    // Fixes the client area (the window cannot be resized by the user).
    void setClientSize(int width, int height);

    // Shift+Ctrl+C: the selected document page copies its comment.
    void onCopyShortcut();
    // Ctrl+I: the selected document page empties its forms.
    void onInitializeShortcut();
    // Shift+Ctrl+V, and the document pages' menu: the clipboard's text read as source fills a
    // document page. A declaration chooses the function or class page; a comment alone fills
    // the selected one. Text that cannot be read sounds the asterisk and changes nothing.
    void fillFromClipboard();
    // The global hot key: forward, restored, caret in the summary of the selected page.
    void onHotKey();

    // Builds the pages not shown at start; the window does it itself as soon as it is on
    // screen, before the first input is handled.
    void buildPages();

    QTabWidget *tabs() const { return m_tabs; }
    Functiondoc *functionPage() const { return m_function; }
    Classdoc *classPage() const { return m_class; }
    Filedoc *filePage() const { return m_file; }
    Setting *settingPage() const { return m_setting; }

protected:
    // The settings page stores the window's position and saves setting.dat; a failed save
    // throws on to the application's error dialog.
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QTabWidget *m_tabs;
    Functiondoc *m_function;
    Classdoc *m_class;
    Filedoc *m_file;
    Setting *m_setting;
    bool m_closing = false;

    // Tells every page, in tab order, whether it is now the selected one.
    void onTabChanged();
    // The selected page when it is a document page, else null.
    DocumentPage *selectedDocumentPage() const;
};

// The program-wide reference to the main window, set as soon as it is constructed.
extern MainWindow *mainWindow;
