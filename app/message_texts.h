#pragma once

#include <string>
#include <string_view>

namespace brambel {

// The program's own message texts, by string-table number, used as they stand.
struct MessageText {
  int id;
  std::u16string_view text;
};

namespace messages {

inline constexpr MessageText kLowDiskSpace{
    1004, u"You are low on disk space. Indexing and preview functions will not function. You need at least "
          u"%1!ld! MB free on your cache disk."};
inline constexpr MessageText kInvalidIndex{
    1003, u"The specified index file is invalid (possibly created by a newer version). Indexing will be disabled."};
inline constexpr MessageText kConfirmIgnore{1009, u"Are you sure you want to ignore this URL?"};
inline constexpr MessageText kOtherProcessWriting{
    2001, u"Another process is writing to this data library. The library will be opened in read only mode."};
inline constexpr MessageText kConfirmClearHistory{2039, u"Are you sure you want to clear the history?"};
inline constexpr MessageText kBringOtherInstance{
    2051, u"It looks like you already have the library open. Would you like to bring that instance to the front? "
          u"If you click 'No', a read-only version will be opened."};
inline constexpr MessageText kIndexThreadsSlow{
    2053, u"Indexing threads seem to be taking a long time to timeout. Continue waiting?"};
inline constexpr MessageText kSaveThreadsSlow{
    2054, u"Save threads seem to be taking a long time to timeout. Continue waiting?"};
inline constexpr MessageText kRebuildSourceIndex{
    2073, u"This Libary's source index needs to be rebuilt.\r\nThis will take several minutes depending on the size of "
          u"your library. \r\nWould you like to do it now?"};
inline constexpr std::u16string_view kRebuildingSourceIndexTitle = u"Rebuilding Source Index";  // 2074
inline constexpr std::u16string_view kRebuildingSourceIndexText = u"This may take several minutes.";  // 2075
inline constexpr std::u16string_view kReadOnlyTitle = u"(Read Only)";
inline constexpr std::u16string_view kPortableTitle = u"(Portable Mode)";

}  // namespace messages

// `text` with its one "%1!ld!", "%d" or "%s" placeholder replaced by `value`.
std::u16string FormatMessage(std::u16string_view text, std::u16string_view value);

}  // namespace brambel
