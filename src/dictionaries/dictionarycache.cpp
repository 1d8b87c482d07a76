#include "dictionaries/dictionarycache.h"

#include "db/dbwidget.h"

namespace {
// The connection each dictionary was last read on; 0 for none.
quint64 readOn[DictionaryCache::DictionaryCount] = {};
} // namespace

void DictionaryCache::markAllChanged()
{
    for (quint64 &connection : readOn)
        connection = 0;
}

void DictionaryCache::load(const DbWidget *db, Dictionary dictionary, bool reread, const std::function<bool()> &read)
{
    if (!reread && db && db->openSerial != 0 && readOn[dictionary] == db->openSerial)
        return;
    readOn[dictionary] = read() && db ? db->openSerial : 0;
}
