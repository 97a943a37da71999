#pragma once

#include "app/tab/docpage.h"

class Params;
class Returns;
class Throws;

// "関数": a function's comment, with its parameters, return value and exceptions.
class Functiondoc : public DocumentPage {
    Q_OBJECT
public:
    explicit Functiondoc(QWidget *parent = nullptr);

    Params *params = nullptr;
    Returns *returns = nullptr;
    Throws *throws = nullptr;

    // Also empties the parameters, the return value and the exceptions.
    void initialize() override;

protected:
    void layOut() override;
    DocumentKind kind() const override { return DocumentKind::Function; }
    void fillRequest(DocumentRequest &request) const override;
    // The return value when the source gives one. The lists become the source's: all of them
    // after a declaration, those the comment documents after a comment alone. A row that the
    // source leaves without a description (or direction) keeps the one typed for its name.
    void fillOwnForms(const SourceReading &reading) override;
};
