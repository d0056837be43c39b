// The listing print-out: one line per row from 8200h to the program counter (at most to the
// last row), address, four blanks, the mnemonic padded to 16, the code, then CR LF.
#pragma once

#include <optional>
#include <string>

#include "files/disk.h"
#include "listing/listing.h"

namespace tamrel {

std::string PrintoutText(const Listing& l, int32_t pc);
std::optional<std::string> PrintListing(const Listing& l, int32_t pc, const std::string& path,
                                        WriteFn write = nullptr);

}  // namespace tamrel
