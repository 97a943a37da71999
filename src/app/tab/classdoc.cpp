#include "app/tab/classdoc.h"

#include "core/doc/format.h"

Classdoc::Classdoc(QWidget *parent) : DocumentPage("クラス", {320, 480}, parent) {
    setAccessibleName("class");
}

Lines Classdoc::render(const DocumentStyle &document) const {
    return document.classDocument();
}
