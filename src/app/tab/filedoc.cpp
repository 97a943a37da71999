#include "app/tab/filedoc.h"

Filedoc::Filedoc(QWidget *parent) : DocumentPage(tr("ファイル"), {320, 480}, parent) {
    setAccessibleName("file");
}
