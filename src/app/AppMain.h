#pragma once

#include <QWidget>

class QTabWidget;
class Functiondoc;
class Classdoc;
class Filedoc;
class Setting;

// The one top-level window: a fixed-size frame holding the four pages in a tab control.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    MainWindow();

    // Fixes the client area (the window cannot be resized by the user).
    void setClientSize(int width, int height);

    void onCopyShortcut();
    void onInitializeShortcut();
    // The global hot key: forward, restored, caret in the summary of the selected page.
    void onHotKey();

    // (More members follow with the pages.)
};

// The program-wide reference to the main window, set as soon as it is constructed.
extern MainWindow* mainWindow;
