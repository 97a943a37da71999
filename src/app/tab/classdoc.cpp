#include "app/tab/classdoc.h"

Classdoc::Classdoc(QWidget *parent) : DocumentPage("クラス", {320, 480}, parent) {
    setAccessibleName("class");
}
