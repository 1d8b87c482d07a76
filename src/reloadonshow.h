#pragma once

#include <QShowEvent>

// Whether a page that shows what is stored reads it again for this show event.
// Not when only its window comes back from being minimised (the toolkit's
// spontaneous show: nothing changed meanwhile that the page must show at
// once), and not while an edit typed on it is not yet saved: the stored values
// would silently replace it.
inline bool reloadOnShow(const QShowEvent *event, bool editPending)
{
    return !event->spontaneous() && !editPending;
}
