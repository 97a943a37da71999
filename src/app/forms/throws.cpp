#include "app/forms/throws.h"

#include "app/misc/cmenu.h"

#include <QLineEdit>
#include <QTableWidget>

Throws::Throws(QWidget *parent)
    : ListForm(tr("例外"), "throws", {{tr("型"), 100}, {tr("説明"), 170}}, 0, parent) {
    typeBox = new QLineEdit;
    typeBox->setAccessibleName("throws.type");
    buildEntryRow({{typeBox, 100}});
    new MyTextContextMenu(typeBox);
    listView->setFocusPolicy(Qt::ClickFocus);
    clear();
}

void Throws::clear() {
    clearUsedInputs();
    clearRows();
}

std::vector<ExceptionEntry> Throws::entries() const {
    std::vector<ExceptionEntry> result;
    for (const QStringList &row : rows())
        result.push_back({row[0].toStdString(), row[1].toStdString()});
    return result;
}

void Throws::setEntries(const std::vector<ExceptionEntry> &entries) {
    std::vector<QStringList> texts;
    for (const ExceptionEntry &entry : entries)
        texts.push_back({QString::fromStdString(entry.type), QString::fromStdString(entry.description)});
    setRows(texts);
}

void Throws::reset() {
    clear();
}

QStringList Throws::inputs() const {
    return {typeBox->text(), descriptionBox->text()};
}

void Throws::clearUsedInputs() {
    typeBox->clear();
    descriptionBox->clear();
}
