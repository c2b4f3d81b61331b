// Address to location text: header, binary search over the index, range
// check, then the record reader.
#pragma once

#include <cstdint>
#include <string>

#include "ipdb/db_file.h"

namespace ostrand {

// The database the window reads, relative to the current directory.
std::string DefaultDatabasePath();

// The number (1..count) of the index record whose range may hold ip, searched
// between the records lo and hi.
std::int32_t FindIndexRecord(DbFile& file, std::int64_t firstIndexOffset, std::int64_t lo,
                             std::int64_t hi, std::int64_t ip);

// The location text of address ("a.b.c.d", optionally ":port"), or the empty
// text. A port is cut off in the caller's variable. Opens the database (the
// default one when fileName is null) for this one call.
std::string LookupLocation(std::string& address, const std::string* fileName = nullptr);

// The same over a file that the caller has opened and keeps open.
std::string LookupLocationIn(DbFile& file, std::string& address);

}  // namespace ostrand
