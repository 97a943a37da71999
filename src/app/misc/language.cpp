#include "app/misc/language.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

#include <cstdlib>
#include <cstring>

UiLanguage chooseLanguage(const char *lcAll, const char *lcMessages, const char *lang,
                          const QString &firstUiLanguage) {
    const char *locale = "C";
    for (const char *value : {lcAll, lcMessages, lang}) {
        if (value && *value) {
            locale = value;
            break;
        }
    }
    // "C.UTF-8" is the C locale with another character set.
    const bool cLocale = std::strcmp(locale, "C") == 0 || std::strncmp(locale, "C.", 2) == 0 ||
                         std::strcmp(locale, "POSIX") == 0;
    if (cLocale || firstUiLanguage.startsWith(QLatin1String("ja")))
        return UiLanguage::Japanese;
    return UiLanguage::English;
}

void useLanguage(UiLanguage language) {
    static QTranslator *english = nullptr;
    if (language == UiLanguage::Japanese) {
        if (english)
            QCoreApplication::removeTranslator(english);
        return;
    }
    if (!english) {
        english = new QTranslator(QCoreApplication::instance());
        // Built into the program: one read of its resources, nothing from disk.
        if (!english->load(QStringLiteral(":/i18n/remarkist_en.qm")))
            return;
    }
    QCoreApplication::installTranslator(english);
}

void useSystemLanguage() {
    const QStringList languages = QLocale::system().uiLanguages();
    useLanguage(chooseLanguage(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"),
                               languages.isEmpty() ? QString() : languages.first()));
}
