#include "app/tab/filedoc.h"

Filedoc::Filedoc(QWidget *parent) : DocumentPage("ファイル", {320, 480}, parent) {
    setAccessibleName("file");
}
