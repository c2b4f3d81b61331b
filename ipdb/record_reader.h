// Reads the location data of one record: a country text and an area text,
// each possibly redirected elsewhere in the file, joined into one text.
#pragma once

#include <cstdint>
#include <string>

#include "ipdb/db_file.h"

namespace ostrand {

// What the database stores as area text where no area is known.
inline constexpr const char* AreaPlaceholder = "CZ88.NET";

// The country text of the country data at position, and through occupied the
// bytes those data take there (4 for a redirect, else the text's length + 1).
std::string ReadCountryText(DbFile& file, std::int32_t position, std::int32_t& occupied);

// The area text of the area data at position.
std::string ReadAreaText(DbFile& file, std::int32_t position);

// The joined location text of the location data at contentPosition.
std::string ReadLocationRecord(DbFile& file, std::int32_t contentPosition);

}  // namespace ostrand
