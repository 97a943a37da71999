#pragma once

#include "app/tab/docpage.h"

// "クラス": a class's comment.
class Classdoc : public DocumentPage {
    Q_OBJECT
public:
    explicit Classdoc(QWidget *parent = nullptr);

protected:
    DocumentKind kind() const override { return DocumentKind::Class; }
};
