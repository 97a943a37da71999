#pragma once

#include <QWidget>

#include <string>

class QPlainTextEdit;

// "ノート": a multi-line note, shared by all pages.
class Note : public QWidget {
    Q_OBJECT
public:
    explicit Note(QWidget *parent = nullptr);

    QPlainTextEdit *textBox;

    // This field's own text.
    std::string text() const;
    void storeText(std::string text);
    // The shared note in every note field.
    void showSharedText();
    // Empties this field and so the shared note.
    void clear();
    void refresh();
};
