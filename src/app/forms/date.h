#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;

// "日付": the date of the comment, shared by all pages, with "更新" to take it afresh.
class Date : public QWidget {
    Q_OBJECT
public:
    // Takes a fresh date and shows it in every date field created so far.
    explicit Date(QWidget *parent = nullptr);

    QLineEdit *textBox;
    QPushButton *updateButton;

    // The date from the clock, in every date field.
    void update();
    // The shared date, in every date field.
    void refresh();
    void onUpdateClick();

protected:
    // A click on the form's own surface (not on its children) shows the shared date again.
    void mouseReleaseEvent(QMouseEvent *event) override;
};
