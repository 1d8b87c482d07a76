#include "dictionaries/dictionarycache.h"

#include "db/dbwidget.h"

namespace {
// The connection each dictionary was last read on; 0 for none.
quint64 readOn[DictionaryCache::DictionaryCount] = {};
} // namespace

bool DictionaryCache::isFresh(const DbWidget *db, Dictionary dictionary)
{
    return db && db->openSerial != 0 && readOn[dictionary] == db->openSerial;
}

void DictionaryCache::markRead(const DbWidget *db, Dictionary dictionary)
{
    readOn[dictionary] = db ? db->openSerial : 0;
}

void DictionaryCache::markChanged(Dictionary dictionary)
{
    readOn[dictionary] = 0;
}

void DictionaryCache::markAllChanged()
{
    for (quint64 &connection : readOn)
        connection = 0;
}

void DictionaryCache::load(const DbWidget *db, Dictionary dictionary, bool reread, const std::function<bool()> &read)
{
    if (!reread && isFresh(db, dictionary))
        return;
    if (read() && db)
        markRead(db, dictionary);
    else
        markChanged(dictionary);
}
