#include "index/stop_words.h"

namespace brambel {

const std::u16string_view kDefaultStopWords =
    u"and that who are this his her put get lot you may use with what when how where the their "
    u"there those was for are they from had but can your youre other were each will way then them "
    u"would like has more could did most any get our one have of to in is it he on as be at or by "
    u"we up an do if so go no my all not new than us which its";

StopWordSet buildStopWordSet(std::u16string_view setting) {
  StopWordSet words;
  size_t start = 0;
  while (start <= setting.size()) {
    size_t blank = setting.find(u' ', start);
    if (blank == std::u16string_view::npos) blank = setting.size();
    if (blank > start) words.emplace(setting.substr(start, blank - start));
    start = blank + 1;
  }
  return words;
}

}  // namespace brambel
