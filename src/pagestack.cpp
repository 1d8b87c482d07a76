#include "pagestack.h"

#include <QEvent>
#include <QStackedWidget>

namespace {

class StackSizer : public QObject
{
public:
    explicit StackSizer(QStackedWidget *stack)
        : QObject(stack), m_stack(stack), m_base(stack->minimumSize())
    {
        // A page that grows or shrinks asks its stack for a new layout.
        stack->installEventFilter(this);
        connect(stack, &QStackedWidget::currentChanged, this, &StackSizer::fit);
        fit();
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::LayoutRequest)
            fit();
        return QObject::eventFilter(watched, event);
    }

private:
    void fit()
    {
        QSize need = m_base;
        if (const QWidget *page = m_stack->currentWidget()) {
            // A minimum set on the page wins over the one its layout gives.
            const QSize set = page->minimumSize();
            const QSize hint = page->minimumSizeHint();
            need = need.expandedTo(QSize(set.width() > 0 ? set.width() : hint.width(),
                                         set.height() > 0 ? set.height() : hint.height()));
        }
        if (need != m_stack->minimumSize())
            m_stack->setMinimumSize(need);
    }

    QStackedWidget *m_stack;
    const QSize m_base;
};

} // namespace

void sizeStackToCurrentPage(QStackedWidget *stack)
{
    new StackSizer(stack);
}
