#include "app/tab/functiondoc.h"

#include "app/forms/comment.h"
#include "app/forms/date.h"
#include "app/forms/note.h"
#include "app/forms/params.h"
#include "app/forms/returns.h"
#include "app/forms/summary.h"
#include "app/forms/throws.h"
#include "app/misc/dock.h"

using Dock = DockLayout::Dock;

Functiondoc::Functiondoc(QWidget *parent) : DocumentPage("関数", {640, 480}, parent) {
    setAccessibleName("function");
}

void Functiondoc::layOut() {
    params = new Params;
    returns = new Returns;
    throws = new Throws;
    auto *layout = new DockLayout(this);
    auto *left = new QWidget;
    layout->dock(left, Dock::Left, 320);
    auto *leftLayout = new DockLayout(left);
    leftLayout->dock(date, Dock::Top, 20);
    leftLayout->dock(summary, Dock::Top, 20);
    leftLayout->dock(comment, Dock::Top, 200);
    leftLayout->dock(note, Dock::Top, 200);
    auto *right = new QWidget;
    layout->dock(right, Dock::Fill);
    auto *rightLayout = new DockLayout(right);
    rightLayout->dock(params, Dock::Top, 200);
    rightLayout->dock(returns, Dock::Top, 80);
    rightLayout->dock(throws, Dock::Top, 120);
    rightLayout->dock(buttonBar(), Dock::Bottom, 30);
}

void Functiondoc::initialize() {
    params->reset();
    returns->clear();
    throws->reset();
    DocumentPage::initialize();
}

void Functiondoc::fillRequest(DocumentRequest &request) const {
    request.returns = returns->text();
    request.throws = throws->entries();
    request.params = params->entries();
}
