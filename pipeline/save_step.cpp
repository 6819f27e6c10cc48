#include "pipeline/save_step.h"

#include <ctime>
#include <memory>
#include <utility>

#include "pipeline/content_pipeline.h"
#include "pipeline/page_rewriting.h"
#include "pipeline/page_terms.h"
#include "pipeline/stored_page_fields.h"
#include "sources/page_text.h"
#include "store/btree_cache_object.h"
#include "store/content_file.h"
#include "store/library_store.h"
#include "store/source_index_text.h"
#include "store/source_list.h"
#include "store/source_result_record.h"
#include "store/source_stats.h"
#include "store/source_text.h"
#include "toolkit/ascii_case.h"
#include "toolkit/blank_text.h"
#include "toolkit/code_pages.h"
#include "toolkit/html_to_text.h"
#include "toolkit/http_date.h"
#include "toolkit/markup.h"
#include "toolkit/path_query.h"
#include "toolkit/text_normalize.h"

namespace brambel {

namespace {

uint32_t now() { return static_cast<uint32_t>(std::time(nullptr)); }

// The page's code page: its own charset declaration, else the one of the
// content-type header, else a guess from the bytes.
int pageCodePage(const std::string& page, const std::u16string& contentType) {
  int codePage = codePageForCharset(findCharset(page));
  if (codePage == -1) codePage = codePageForCharset(toUtf8(findCharset(contentType)));
  if (codePage == -1) codePage = detectCodePage(page);
  return codePage;
}

// What the save step makes of a page before it is written.
struct PreparedPage {
  SourceResult record;
  std::string bytes;    // as stored: scripts removed, saved-from marker added
  std::u16string text;  // folded plain text, the one indexed
  ExtractedTerms terms;
};

PreparedPage preparePage(const std::u16string& url, ContentRequest& page, bool isImage,
                         const PipelineLibrary& library) {
  PreparedPage prepared;
  prepared.record = std::move(page.result);
  SourceResult& record = prepared.record;
  record.url = url;
  record.loadDate = now();
  record.contentDate = page.lastModified.empty() ? 0 : parseHttpDate(page.lastModified);
  StoredPageFields::setEtag(record, page.etag);
  StoredPageFields::setContentType(record, page.contentType);
  StoredPageFields::setExpires(record, page.expires.empty() ? 0 : parseHttpDate(page.expires));
  if (!page.imageOverride.empty()) record.imageUrl = page.imageOverride;

  prepared.bytes = std::move(page.content);
  if (isImage) return prepared;
  const int codePage = pageCodePage(prepared.bytes, page.contentType);
  if (!library.settings.previewScripts && !library.settings.miniScripts)
    prepared.bytes = removeScripts(prepared.bytes);
  if (lowerAscii(page.contentType).find(u"html") != std::u16string::npos)
    prepared.bytes = insertSavedFromMarker(url, prepared.bytes);

  const std::string title(trimmed(htmlToText(findPath(prepared.bytes, "/title"))));
  if (!page.titleOverride.empty())
    record.title = page.titleOverride;
  else if (!title.empty())
    record.title = toWide(title, codePage);

  prepared.text = normalizeText(toWide(htmlToText(prepared.bytes), codePage), true);
  prepared.terms = extractPageTerms(prepared.text, library.termFilter);
  return prepared;
}

// The sources a page saved again was listed under before, then the new ones:
// like the source index, the list only grows while the document is kept.
SourceList storedSourcesWith(const ContentFile& file, const std::vector<std::u16string>& sourceIds) {
  SourceList list;
  list.ReadFrom(file);
  list.merge(sourceIds);
  return list;
}

// Writes the document's sections; false when one could not be written. The
// result record goes last, so a document whose writing was cut short is not
// visible: readers find it by its record.
bool writeDocument(const std::filesystem::path& path, const PreparedPage& page, bool termTable,
                   const std::vector<std::u16string>& sourceIds) {
  ContentFile file = ContentFile::openForWriting(path);
  if (!file.isUsable()) return false;
  SourceStats stats;
  stats.w = stats.t = page.terms.separatorsAndPairs;
  stats.l = static_cast<uint32_t>(page.text.size());
  if (!SourceText(page.bytes).WriteTo(file) || !SourceIndexText(page.text).WriteTo(file) || !stats.WriteTo(file))
    return false;
  if (termTable && !BTreeCacheObject(page.terms.terms).WriteTo(file)) return false;
  return storedSourcesWith(file, sourceIds).WriteTo(file) && SourceResultRecord(page.record).WriteTo(file);
}

}  // namespace

void SaveStep::operator()(WorkItem<SaveJob>& item) {
  ContentPipeline::SavePool& pool = pipeline_.savePool();
  const PipelineLibrary& library = pipeline_.library();
  if (pipeline_.isStale(item.searchNumber)) return;
  if (!pool.claimOrPutBack(item)) return;
  {
    ClaimGuard claim(pool.inProgress(), item.key);
    SaveJob& job = item.payload;
    LibraryStore& store = *library.store;
    if (!pipeline_.diskSpace().hasRoom()) return;
    std::optional<uint32_t> id = store.recordIdFor(item.key);
    std::optional<std::filesystem::path> path = id ? store.prepareContentPath(*id) : std::nullopt;
    if (!path) {
      pipeline_.log("failed to write content index!");
      return;
    }
    if (job.notModified) {
      std::optional<SourceResult> stored = store.readRecord(*id);
      if (stored) {
        stored->loadDate = now();
        ContentFile file = ContentFile::openForWriting(*path);
        SourceResultRecord(std::move(*stored)).WriteTo(file);
      }
    } else if (job.page.content.empty()) {
      pipeline_.log("zero length content!");
    } else {
      std::vector<std::u16string> sourceIds = std::move(job.page.sourceIds);
      PreparedPage page = preparePage(item.key, job.page, job.isImage, library);
      const bool termTable = !library.settings.noURLIndexing && !job.isImage;
      if (!writeDocument(*path, page, termTable, sourceIds)) {
        pipeline_.log("failed to write content index!");
      } else {
        std::error_code error;
        const uintmax_t size = std::filesystem::file_size(*path, error);
        if (!error) pipeline_.contentCache().added(size);
        auto terms = std::make_shared<TermOffsets>(std::move(page.terms.terms));
        if (!library.settings.noMemoryIndexing && !job.isImage) pipeline_.keepMemoryTerms(item.key, terms);
        const bool permanent = store.readMarks(item.key).isPermanent();
        if (!job.isImage && (!library.settings.noMainIndexing || permanent)) {
          IndexJob indexJob;
          indexJob.documentId = *id;
          indexJob.sourceIds = std::move(sourceIds);
          indexJob.terms = weightedPageTerms(*terms);
          AddMode mode = item.searchNumber == kAlwaysAccepted ? AddMode::kAlways : AddMode::kWaitForRoom;
          pipeline_.indexPool().add(item.key, item.searchNumber, std::move(indexJob), mode, item.priority);
        }
        if (library.previews && library.settings.autogenPreview && !job.isImage) {
          PreviewJob preview{page.record, *id, job.page.contentType};
          pipeline_.renderPool().add(item.key, item.searchNumber, std::move(preview), AddMode::kBounded,
                                     item.priority);
        }
      }
    }
    pool.markHandled(item.key);
  }
  pipeline_.notifyUpdated(item.key);
}

}  // namespace brambel
