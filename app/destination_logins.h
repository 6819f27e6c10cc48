#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "destinations/destination.h"

namespace brambel {

// The users' logins are kept in the program settings file, three keys per
// destination: "destinations\NAME\username", "...\additional" and
// "...\password". The password is scrambled (see scramblePassword) and
// written as four hex digits per UTF-16 unit, so that any character survives
// the line-based file. The file is rewritten with mode 0600.

// Each unit of `text` combined by exclusive-or with one fixed 16-bit mask;
// the same call unscrambles. This keeps the password from being read at a
// glance or found by a text search of the disk; it is no protection against
// anyone who can read the file and knows the program, which is what the
// file's 0600 mode is for.
std::u16string scramblePassword(const std::u16string& text);

// The built-in list with the stored user data of `settingsFile` filled in.
std::vector<Destination> LoadDestinations(const std::filesystem::path& settingsFile);

// Writes the user data of every destination (other keys of the file kept) and
// leaves the file readable by its owner only. False when it cannot be written.
bool SaveDestinations(const std::vector<Destination>& destinations, const std::filesystem::path& settingsFile);

}  // namespace brambel
