#include "app/tab/classdoc.h"

Classdoc::Classdoc(QWidget *parent) : DocumentPage(tr("クラス"), {320, 480}, parent) {
    setAccessibleName("class");
}
