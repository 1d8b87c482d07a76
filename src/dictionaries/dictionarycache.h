#pragma once

#include <functional>

class DbWidget;

// The dictionaries (hardware types, repair and hardware statuses, field
// labels, users) are read once per connection and kept in their classes'
// static maps: every page and register model asks for them, and on a server
// each read is a round trip. A connection opened anew, or a configuration
// page that changed a dictionary, makes the next use read it again. What
// another workstation changes is read where a page fills its combo boxes
// and where a search lists a register; the register models meanwhile use
// what was read last.
namespace DictionaryCache {

enum Dictionary { HardwareTypes, RepairStatuses, HardwareStatuses, Fields, Users, DictionaryCount };

// The next use of every dictionary reads it again.
void markAllChanged();
// Runs read() unless the dictionary was read on db's open connection and no
// reread is asked for; a read that fails is tried again at the next use.
void load(const DbWidget *db, Dictionary dictionary, bool reread, const std::function<bool()> &read);

} // namespace DictionaryCache
