#pragma once

#include "app/forms/listform.h"
#include "core/doc/format.h"

class QComboBox;

// "引数": the function's parameters, each a direction ("in", "out", "inout" or anything typed),
// a name and a description.
class Params : public ListForm {
    Q_OBJECT
public:
    explicit Params(QWidget *parent = nullptr);

    QComboBox *directionBox;
    QLineEdit *nameBox;

    // "in" as the direction, empty text boxes, an empty list.
    void clear();
    std::vector<ParamEntry> entries() const;
    // The list becomes these rows; the inputs stay.
    void setEntries(const std::vector<ParamEntry> &entries);
    void reset();

protected:
    QStringList inputs() const override;
    // The direction stays for the next parameter.
    void clearUsedInputs() override;
};
