// Intel HEX files: the memory window as text records, the format most other tools read and
// write. Import takes data (00) and end (01) records, and segment (02) or linear (04) base
// records only when their base is 0, since the whole window lies below 10000h. It is
// all-or-nothing: the file is checked completely before a single byte is stored.
//
//   :10 8200 00 3E05060A...  CC     one record: length, address, type, data, checksum
//    LL AAAA TT DD...        CC     CC makes the sum of all its bytes 00h
//
// Export writes 8200h..F72Fh, the bytes Save writes, in 16-byte data records and an end record.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/memfile.h"

namespace tamrel {

struct HexByte {
  int32_t addr;
  uint8_t value;
};

// Checks the text of a whole file and collects its data bytes in file order. Returns the
// failure text ("Строка 3: ...", code page 1251) naming the line, or nothing on success.
std::optional<std::string> ParseHex(std::string_view text, std::vector<HexByte>& bytes);

// Stores every byte the text gives, with its code text, and decodes the listing as Open does.
// On a failure nothing at all changes.
std::optional<std::string> ImportHexText(Core& c, std::string_view text);
// The same from a file; a file that cannot be read gives Open's failure texts.
std::optional<std::string> ImportHex(Core& c, const std::string& path);

// The records of rows 1..30000, their bytes taken from the code column as Save takes them.
std::string ExportHexText(const Listing& l);
std::optional<std::string> ExportHex(const Listing& l, const std::string& path,
                                     WriteFn write = nullptr);

}  // namespace tamrel
