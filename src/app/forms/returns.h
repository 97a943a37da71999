#pragma once

#include <QWidget>

#include <string>

class QPlainTextEdit;

// "戻り値": what a function returns. Only the function page has one; it is not shared.
class Returns : public QWidget {
    Q_OBJECT
public:
    explicit Returns(QWidget *parent = nullptr);

    QPlainTextEdit *textBox;

    std::string text() const;
    void clear();
    void refresh() {}
};
