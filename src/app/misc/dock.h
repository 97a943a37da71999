#pragma once

#include <QLayout>
#include <QSize>
#include <vector>

// Docking layout: children are placed in the order added, each docked to a side of the
// area still free (the first one outermost) and keeping its given size across that side;
// a Fill child takes what is left. Top children stack downwards, Right children leftwards.
class DockLayout : public QLayout {
public:
    enum class Dock { Top, Bottom, Left, Right, Fill };

    explicit DockLayout(QWidget *parent);
    ~DockLayout() override;

    // size: height for Top/Bottom, width for Left/Right, ignored for Fill.
    // The widget becomes a child of the layout's parent widget.
    void dock(QWidget *widget, Dock side, int size = 0);

    void addItem(QLayoutItem *item) override; // as Fill
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    int count() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect &rect) override;

private:
    struct Entry {
        QLayoutItem *item;
        Dock side;
        int size;
    };
    std::vector<Entry> m_entries;
};

// The toolkit's default sizes that the pages rely on.
namespace DefaultSize {
inline constexpr int labelHeight = 23;
inline constexpr int buttonWidth = 75, buttonHeight = 23; // also check box and radio button
inline constexpr int textBoxHeight = 23;
inline constexpr int groupBoxHeight = 100;
} // namespace DefaultSize
