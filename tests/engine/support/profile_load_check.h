#pragma once
// One input for the profile reader, checked the way the fuzz target and the corpus
// replay test both check it: Load (without the signature check) must not crash, a failed
// Load must leave the database cleared with an error set, and an accepted input must
// save, load again and save to the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>

class CSyncDataBase;

namespace kit {

// Nothing left of a profile: roots, tree, filters, blobs empty and roots valid 0.
bool IsProfileCleared(const CSyncDataBase& db);

// Empty when every check holds, else what went wrong.
std::string CheckProfileLoad(const std::uint8_t* data, std::size_t size);

}  // namespace kit
