#include "appresources.h"

#include <QtGlobal>

void initAppResources()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    Q_INIT_RESOURCE(images);
    Q_INIT_RESOURCE(files);
}
