#include "app/forms/params.h"

#include "app/misc/cmenu.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QProxyStyle>
#include <QStyleOptionComboBox>
#include <QTableWidget>

namespace {

// The application's style with a narrower drop-down arrow, so that "inout" shows whole in
// the 50-pixel direction box: the text field reaches from the frame to the arrow.
class NarrowArrowStyle : public QProxyStyle {
public:
    explicit NarrowArrowStyle(QObject *owner) : QProxyStyle(QApplication::style()->name()) {
        setParent(owner);
    }

    static constexpr int arrowWidth = 12, frameWidth = 2;

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl sub,
                         const QWidget *widget) const override {
        if (control != CC_ComboBox || (sub != SC_ComboBoxArrow && sub != SC_ComboBoxEditField))
            return QProxyStyle::subControlRect(control, option, sub, widget);
        const QRect r = option->rect;
        const QRect rect = sub == SC_ComboBoxArrow
                               ? QRect(r.right() + 1 - arrowWidth, r.top(), arrowWidth, r.height())
                               : r.adjusted(frameWidth, frameWidth, -arrowWidth, -frameWidth);
        return visualRect(option->direction, r, rect);
    }
};

} // namespace

Params::Params(QWidget *parent)
    : ListForm(tr("引数"), "params", {{tr("タイプ"), 50}, {tr("変数名"), 50}, {tr("説明"), 170}}, 40,
               parent) {
    directionBox = new QComboBox;
    directionBox->setAccessibleName("params.direction");
    directionBox->setEditable(true);
    directionBox->setInsertPolicy(QComboBox::NoInsert);
    directionBox->addItems({"in", "out", "inout"});
    directionBox->setFocusPolicy(Qt::ClickFocus);
    directionBox->setStyle(new NarrowArrowStyle(directionBox));
    new MyTextContextMenu(directionBox);
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

void Params::setEntries(const std::vector<ParamEntry> &entries) {
    std::vector<QStringList> texts;
    for (const ParamEntry &entry : entries)
        texts.push_back({QString::fromStdString(entry.direction), QString::fromStdString(entry.name),
                         QString::fromStdString(entry.description)});
    setRows(texts);
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
