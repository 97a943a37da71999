#include "app/forms/params.h"

#include "app/misc/cmenu.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTableWidget>

Params::Params(QWidget *parent)
    : ListForm("引数", "params", {{"タイプ", 50}, {"変数名", 50}, {"説明", 170}}, 40, parent) {
    directionBox = new QComboBox;
    directionBox->setAccessibleName("params.direction");
    directionBox->setEditable(true);
    directionBox->setInsertPolicy(QComboBox::NoInsert);
    directionBox->addItems({"in", "out", "inout"});
    directionBox->setFocusPolicy(Qt::ClickFocus);
    nameBox = new QLineEdit;
    nameBox->setAccessibleName("params.name");
    buildEntryRow({{directionBox, 50}, {nameBox, 50}});
    new MyTextContextMenu(nameBox);
    clear();
}

void Params::clear() {
    directionBox->setCurrentText("in");
    clearUsedInputs();
    clearRows();
}

std::vector<ParamEntry> Params::entries() const {
    std::vector<ParamEntry> result;
    for (const QStringList &row : rows())
        result.push_back({row[0].toStdString(), row[1].toStdString(), row[2].toStdString()});
    return result;
}

void Params::reset() {
    clear();
}

QStringList Params::inputs() const {
    return {directionBox->currentText(), nameBox->text(), descriptionBox->text()};
}

void Params::clearUsedInputs() {
    nameBox->clear();
    descriptionBox->clear();
}
