#pragma once

#include "app/tab/docpage.h"

// "ファイル": a file's comment, ending with its date, author and copyright.
class Filedoc : public DocumentPage {
    Q_OBJECT
public:
    explicit Filedoc(QWidget *parent = nullptr);

protected:
    DocumentKind kind() const override { return DocumentKind::File; }
};
