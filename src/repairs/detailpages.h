#pragma once

#include <QPointer>
#include <QStackedWidget>

// The hosts of detail pages (the repairs start page, the search-and-details
// controller) keep at most one page of a kind: the page shown so far is taken
// out of the stack and closed (it deletes itself), the new one takes its place
// and is shown.
template <typename Held, typename Page>
Page *replaceDetailPage(QStackedWidget *stack, QPointer<Held> &current, Page *page)
{
    if (current) {
        stack->removeWidget(current);
        current->close();
    }
    current = page;
    stack->addWidget(page);
    stack->setCurrentWidget(page);
    return page;
}
