#pragma once

#include "app/AppMain.h"
#include "app/forms/date.h"
#include "app/forms/shared.h"
#include "app/platform/platform.h"
#include "app/tab/classdoc.h"
#include "app/tab/filedoc.h"
#include "app/tab/functiondoc.h"
#include "core/common/settingrecord.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

// Readable failure messages.
inline void PrintTo(const QString &text, std::ostream *os) {
    *os << '"' << text.toStdString() << '"';
}

// What the pages asked of the desktop, in order.
struct RecordingSounds : Sounds {
    std::vector<std::string> played;
    void beep() override { played.push_back("beep"); }
    void asterisk() override { played.push_back("asterisk"); }
};

// Holds one text, as the clipboard does: what was last set, or what a test puts there.
struct RecordingClipboard : Clipboard {
    std::vector<std::string> texts;
    std::string current;
    void setText(const std::string &text) override {
        texts.push_back(text);
        current = text;
    }
    std::string text() const override { return current; }
};

inline QApplication &testApplication() {
    static int argc = 1;
    static char name[] = "app_test";
    static char *argv[] = {name, nullptr};
    static QApplication *app = new QApplication(argc, argv);
    return *app;
}

// The settings a comment test relies on: "/**" framing, backslash commands, tabs, no boxes,
// a date template without tokens.
inline void useTestSettings() {
    CSettingData &s = g_settingRecord;
    s.m_commentStyle = SettingData::CommentStyle::C;
    s.m_documentStyle = SettingData::DocumentStyle::DoxygenBS;
    s.m_spacingStyle = SettingData::SpacingStyle::Tab;
    s.m_spacingSize = 4;
    s.m_boxingHeadStyle = false;
    s.m_boxingFootStyle = false;
    s.m_boxingSize = 100;
    s.m_dateFormat = "2026/12/08";
    s.m_copyright.clear();
    s.m_author.clear();
}

// Every widget test starts with no shared form texts, the test settings and recording fakes.
class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        testApplication();
        g_forms = {};
        useTestSettings();
        sounds = {};
        clipboard = {};
        g_sounds = &sounds;
        g_clipboard = &clipboard;
    }
    void TearDown() override {
        g_sounds = nullptr;
        g_clipboard = nullptr;
    }

    // The control inside `scope` with that accessible name.
    template <class W = QWidget> static W *control(const QWidget *scope, const char *name) {
        for (W *w : scope->findChildren<W *>())
            if (w->accessibleName() == QLatin1String(name))
                return w;
        ADD_FAILURE() << "no control " << name;
        return nullptr;
    }

    RecordingSounds sounds;
    RecordingClipboard clipboard;
};

// A main window built in a fresh current directory (it reads and writes setting.dat there),
// over an empty settings tree. The current directory is also the user's settings folder, so a
// first save lands there whichever rule finds it.
class WindowTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        previous = QDir::currentPath();
        ASSERT_TRUE(QDir().mkpath(dir.path() + "/remarkist"));
        qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
        QDir::setCurrent(dir.path() + "/remarkist");
        g_settingRecord.m_setting.root()->clear();
        window = std::make_unique<MainWindow>();
        // What the program's event loop does first once the window shows.
        window->buildPages();
    }
    void TearDown() override {
        window.reset();
        QDir::setCurrent(previous);
        AppTest::TearDown();
    }

public:
    QTemporaryDir dir;
    QString previous;
    std::unique_ptr<MainWindow> window;
};

// The main window with the test settings and the date "2026/12/08" in every date field.
class PagesTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        useTestSettings();
        window->functionPage()->date->update();
    }

public:
    DocumentPage *page(int index) const {
        DocumentPage *pages[] = {window->functionPage(), window->classPage(), window->filePage()};
        return pages[index];
    }
};
