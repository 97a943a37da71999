// A Qt plugin that desktop tests load into the program under test (QT_PLUGIN_PATH and
// QT_QPA_GENERIC_PLUGINS=remarkistprobe): ten times a second it writes every named widget
// to the file named by REMARKIST_PROBE, one line each, tab-separated:
//   path  visible  x  y  width  height  focused  text
// path joins the accessible names of the widget and its named ancestors with "/"
// ("function/summary"); x and y are screen coordinates; text has \\ \n \r \t escaped.
// Windows are listed as "window:<title>", tabs as "<tab widget path>/tab:<caption>".
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGenericPlugin>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>

namespace {

QString escaped(QString text) {
    return text.replace('\\', "\\\\").replace('\n', "\\n").replace('\r', "\\r").replace('\t', "\\t");
}

QString pathOf(const QWidget *widget) {
    QStringList names;
    for (; widget; widget = widget->parentWidget())
        if (!widget->accessibleName().isEmpty())
            names.prepend(widget->accessibleName());
    return names.join('/');
}

// A list's rows, one a line, columns separated by " | ".
QString rowsOf(const QAbstractItemModel *model) {
    QStringList rows;
    for (int row = 0; model && row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column)
            cells << model->index(row, column).data().toString();
        rows << cells.join(" | ");
    }
    return rows.join('\n');
}

QString textOf(const QWidget *widget) {
    if (auto *edit = qobject_cast<const QLineEdit *>(widget))
        return edit->text();
    if (auto *edit = qobject_cast<const QPlainTextEdit *>(widget))
        return edit->toPlainText();
    if (auto *edit = qobject_cast<const QTextEdit *>(widget))
        return edit->toPlainText();
    if (auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->text() + (button->isCheckable() ? (button->isChecked() ? " [x]" : " [ ]") : "");
    if (auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    if (auto *box = qobject_cast<const QComboBox *>(widget))
        return box->currentText();
    if (auto *view = qobject_cast<const QAbstractItemView *>(widget))
        return rowsOf(view->model());
    if (auto *tabs = qobject_cast<const QTabWidget *>(widget))
        return QString::number(tabs->currentIndex());
    if (widget->isWindow())
        return widget->windowTitle();
    return {};
}

QString line(const QString &path, const QWidget *widget, QRect rect, const QString &text) {
    const QPoint topLeft = widget->mapToGlobal(rect.topLeft());
    return QStringList{
        path,
        QString::number(widget->isVisible()),
        QString::number(topLeft.x()),
        QString::number(topLeft.y()),
        QString::number(rect.width()),
        QString::number(rect.height()),
        QString::number(widget->hasFocus() || (widget->isWindow() && widget->isActiveWindow())),
        escaped(text)}
        .join('\t');
}

class Probe : public QObject {
public:
    explicit Probe(QString path) : m_path(std::move(path)) {
        auto *timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, &Probe::dump);
        timer->start(100);
    }

private:
    void dump() {
        QStringList lines;
        for (QWidget *widget : QApplication::allWidgets()) {
            if (widget->isWindow() && widget->isVisible())
                lines << line("window:" + widget->windowTitle(), widget, widget->rect(), textOf(widget));
            if (widget->accessibleName().isEmpty())
                continue;
            const QString path = pathOf(widget);
            lines << line(path, widget, widget->rect(), textOf(widget));
            if (auto *tabs = qobject_cast<QTabWidget *>(widget))
                for (int i = 0; i < tabs->count(); ++i)
                    lines << line(path + "/tab:" + tabs->tabText(i), tabs->tabBar(),
                                  tabs->tabBar()->tabRect(i), {});
        }
        lines.sort();
        const QByteArray content = lines.join('\n').toUtf8() + '\n';
        if (content == m_last)
            return;
        QSaveFile file(m_path);
        if (file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit())
            m_last = content;
    }

    QString m_path;
    QByteArray m_last;
};

class ProbePlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "probe.json")
public:
    QObject *create(const QString &, const QString &) override {
        const QString path = qEnvironmentVariable("REMARKIST_PROBE");
        return path.isEmpty() ? nullptr : new Probe(path);
    }
};

} // namespace

#include "probe.moc"
