#pragma once

#include "app/message_texts.h"

namespace brambel::messages {

// Messages of the commands, the batch loads and the shell integration.
inline constexpr MessageText kSourceExists{
    2030, u"There is another source (%s) with the same characteristics. Continuing will overwrite it."};
inline constexpr MessageText kImportSource{2036, u"Import this source (%s)?"};
inline constexpr MessageText kSourceImportFailed{2037, u"Source Import Failed!"};
inline constexpr MessageText kOverrideFileTypes{
    2038, u"Another application is registered to handle Brambel Libraries. Would you like to override?"};
inline constexpr MessageText kConfirmUninstall{
    2043, u"This will remove all Brambel registry entries and data files including the default library. Are you "
          u"sure you want to do this?"};
inline constexpr MessageText kUninstallComplete{
    2044, u"Uninstallation is complete. To completely remove Brambel from  your system, you must manually move the "
          u"original .exe and .zip files to the trash."};
inline constexpr MessageText kUninstallIncomplete{
    2045, u"Uninstall was not able to remove everything. Try closing applications that might be locking "
          u"Brambel's files and repeating the uninstall command."};
inline constexpr MessageText kNoUpdates{2049, u"No updates available."};
inline constexpr MessageText kOverwriteBatch{2059, u"This will overwrite your previous batch load. Continue?"};
inline constexpr MessageText kCreateShortcut{2064, u"Create a shortcut for this library on the desktop?"};
inline constexpr MessageText kOpmlParseError{0, u"An error occurred while parsing the OPML file."};

}  // namespace brambel::messages
