#include "app/forms/returns.h"

#include "app/forms/shared.h"

#include <QPlainTextEdit>

Returns::Returns(QWidget *parent) : QWidget(parent) {
    textBox = labelledTextArea(this, tr("戻り値"), "returns");
}

std::string Returns::text() const {
    return textBox->toPlainText().toStdString();
}

void Returns::clear() {
    textBox->clear();
}
