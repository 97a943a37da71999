#pragma once

#include "app/forms/listform.h"
#include "core/doc/format.h"

// "例外": the exceptions a function throws, each a type and a description.
class Throws : public ListForm {
    Q_OBJECT
public:
    explicit Throws(QWidget *parent = nullptr);

    QLineEdit *typeBox;

    // Empty text boxes, an empty list.
    void clear();
    std::vector<ExceptionEntry> entries() const;
    // The list becomes these rows; the inputs stay.
    void setEntries(const std::vector<ExceptionEntry> &entries);
    void reset();

protected:
    QStringList inputs() const override;
    void clearUsedInputs() override;
};
