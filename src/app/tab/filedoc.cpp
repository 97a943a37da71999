#include "app/tab/filedoc.h"

#include "core/doc/format.h"

Filedoc::Filedoc(QWidget *parent) : DocumentPage("ファイル", {320, 480}, parent) {
    setAccessibleName("file");
}

Lines Filedoc::render(const DocumentStyle &document) const {
    return document.fileDocument();
}
