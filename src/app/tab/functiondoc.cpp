#include "app/tab/functiondoc.h"

#include "app/forms/comment.h"
#include "app/forms/date.h"
#include "app/forms/note.h"
#include "app/forms/params.h"
#include "app/forms/returns.h"
#include "app/forms/summary.h"
#include "app/forms/throws.h"
#include "app/misc/dock.h"
#include "core/read/source.h"

#include <QPlainTextEdit>

#include <string_view>
#include <unordered_map>

using Dock = DockLayout::Dock;

namespace {

// The typed rows by name (or type); the first of a name counts, as the source lists each once.
template <class Entry, class Key>
std::unordered_map<std::string_view, const Entry *> byKey(const std::vector<Entry> &typed, Key key) {
    std::unordered_map<std::string_view, const Entry *> rows;
    for (const Entry &entry : typed)
        rows.emplace(entry.*key, &entry);
    return rows;
}

std::vector<ParamEntry> keepTyped(std::vector<ParamEntry> read, const std::vector<ParamEntry> &typed) {
    const auto rows = byKey(typed, &ParamEntry::name);
    for (ParamEntry &entry : read) {
        const auto found = rows.find(entry.name);
        if (found == rows.end())
            continue;
        if (entry.description.empty())
            entry.description = found->second->description;
        if (entry.direction.empty())
            entry.direction = found->second->direction;
    }
    return read;
}

std::vector<ExceptionEntry> keepTyped(std::vector<ExceptionEntry> read,
                                      const std::vector<ExceptionEntry> &typed) {
    const auto rows = byKey(typed, &ExceptionEntry::type);
    for (ExceptionEntry &entry : read) {
        const auto found = rows.find(entry.type);
        if (found != rows.end() && entry.description.empty())
            entry.description = found->second->description;
    }
    return read;
}

} // namespace

Functiondoc::Functiondoc(QWidget *parent) : DocumentPage(tr("関数"), {640, 480}, parent) {
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

void Functiondoc::fillOwnForms(const SourceReading &reading) {
    const DocumentRequest &read = reading.request;
    if (!read.returns.empty())
        returns->textBox->setPlainText(QString::fromStdString(read.returns));
    if (reading.declared || !read.params.empty())
        params->setEntries(keepTyped(read.params, params->entries()));
    if (reading.declared || !read.throws.empty())
        throws->setEntries(keepTyped(read.throws, throws->entries()));
}
