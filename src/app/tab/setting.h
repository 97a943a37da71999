#pragma once

#include "app/tab/page.h"
#include "core/common/language.h"
#include "core/common/settingdata.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The settings page (tab "設定"): shows the settings record in controls and moves values
// between the controls, the record and setting.dat. Apply copies the controls into the
// record, save writes the record to the file, reload reads the file back into the record
// and the controls. It also places the main window at start and stores its position at end.
// A selector chooses whose framing, syntax, spacing and boxes the controls show and set: all
// languages (the desktop program's, and every language's unless it has its own) or one language,
// whose own choice is what it is set to differently from all languages.
class Setting : public Page {
    Q_OBJECT
public:
    // Loads setting.dat and moves mainWindow to the stored position; the controls show the
    // record once the page is built.
    explicit Setting(QWidget *parent = nullptr);

    virtual void showCommentStyle(SettingData::CommentStyle value);
    virtual void showDocumentStyle(SettingData::DocumentStyle value);
    virtual void showSpacingStyle(SettingData::SpacingStyle value);
    virtual void showSpacingSize(std::uint32_t value);
    virtual void showBoxingHeadStyle(bool flag);
    virtual void showBoxingFootStyle(bool flag);
    virtual void showBoxingSize(std::uint32_t value);
    virtual void showDateFormat(const std::string &text);
    virtual void showCopyright(const std::string &text);
    virtual void showAuthor(const std::string &text);

    // Applies the controls to the languages they showed, then shows those of `index` in the
    // language selector: 0 all languages, then C, C++, D and Java.
    void selectLanguage(int index);

    // Loads setting.dat into the record and shows it; edits not yet applied are lost.
    virtual void reloadSettings();
    // Controls to record, nothing saved. Number boxes that were empty or out of range
    // show the value that was taken instead. A page not built yet is built first, so it
    // applies what it would have shown.
    virtual void applySettings();
    // "適用": apply, then save (a failed save throws "ファイルの保存に失敗しました。").
    virtual void applyAndSave();
    virtual void pageSelected();
    virtual void pageDeselected();

    // Called by MainWindow as it closes: the file's values plus the window's current
    // position are saved. A failed save throws.
    void windowClosing();

protected:
    // The controls, showing the record.
    void buildContents() override;

private:
    void buildLayout();
    void showSettings();
    // Only the framings and syntaxes the shown language can hold may be chosen.
    void enableChoices();

    QRadioButton *m_commentC;
    QRadioButton *m_commentJava;
    QRadioButton *m_commentD;
    QRadioButton *m_documentBS;
    QRadioButton *m_documentAT;
    QRadioButton *m_documentDDoc;
    QRadioButton *m_spacingSpace;
    QRadioButton *m_spacingTab;
    QRadioButton *m_spacingTabSpace;
    QLineEdit *m_spacingSize;
    QCheckBox *m_boxingHead;
    QCheckBox *m_boxingFoot;
    QLineEdit *m_boxingSize;
    QLineEdit *m_dateFormat;
    QLineEdit *m_copyright;
    QLineEdit *m_author;
    QComboBox *m_language;
    // The language whose settings the controls show; none for all languages.
    std::optional<Language> m_shown;
};

// "バージョン : 1181470887_alpha" with the local time zone at UTC+9: the build time stamp
// "Sun Jun 10 19:21:27 2007" read as local time, in seconds since 1970.
QString versionText();

// Where to open a window of the given frame size that was stored at `stored`: kept when
// any part of it lies on one of the screens, else the top-left of the primary screen
// (a monitor that has been unplugged would leave it unreachable).
QPoint reachablePosition(QPoint stored, QSize frameSize, const QList<QRect> &screens, QRect primary);
