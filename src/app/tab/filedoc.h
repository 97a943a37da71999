#pragma once

#include "app/tab/docpage.h"

// "ファイル": a file's comment, ending with its date, author and copyright.
class Filedoc : public DocumentPage {
    Q_OBJECT
public:
    explicit Filedoc(QWidget *parent = nullptr);

protected:
    Lines render(const DocumentStyle &document) const override;
};
