#pragma once

#include <QWidget>

// A tab page whose controls are made when they are first needed: the window maps sooner when
// the pages nobody sees yet are still empty. The main window builds the page shown at start at
// once and the others as soon as it is on screen; a page that is shown before then builds
// itself first.
class Page : public QWidget {
public:
    using QWidget::QWidget;

    // Makes the page's controls; later calls do nothing.
    void build() {
        if (m_built)
            return;
        m_built = true;
        buildContents();
    }
    bool isBuilt() const { return m_built; }

    // Controls made while the page is still hidden show together with it; ones added to a
    // visible page would have to be shown one by one.
    void setVisible(bool visible) override {
        if (visible)
            build();
        QWidget::setVisible(visible);
    }

protected:
    virtual void buildContents() = 0;

private:
    bool m_built = false;
};
