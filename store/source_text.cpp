#include "store/source_text.h"

#include <zlib.h>

#include <algorithm>
#include <memory>

#include "store/inflation_limit.h"

namespace brambel {

namespace {

struct DeflateStream {
  z_stream stream{};
  bool ready = false;
  DeflateStream() { ready = deflateInit(&stream, Z_BEST_COMPRESSION) == Z_OK; }
  ~DeflateStream() {
    if (ready) deflateEnd(&stream);
  }
};

struct InflateStream {
  z_stream stream{};
  bool ready = false;
  InflateStream() { ready = inflateInit(&stream) == Z_OK; }
  ~InflateStream() {
    if (ready) inflateEnd(&stream);
  }
};

}  // namespace

bool SourceText::WriteTo(ContentFile& file) {
  if (!file.isUsable() || !file.isWritable()) return false;
  DeflateStream deflater;
  if (!deflater.ready) return false;
  const uint64_t start = file.size();
  if (start < ContentFile::kHeaderSize) return false;
  auto buffer = std::make_unique<char[]>(kPieceSize);
  z_stream& z = deflater.stream;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  z.avail_in = static_cast<uInt>(bytes.size());
  uint64_t written = 0;
  int status = Z_OK;
  while (status != Z_STREAM_END) {
    z.next_out = reinterpret_cast<Bytef*>(buffer.get());
    z.avail_out = kPieceSize;
    status = deflate(&z, Z_FINISH);
    if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) return false;
    const size_t produced = kPieceSize - z.avail_out;
    if (!file.writeAt(start + written, std::string_view(buffer.get(), produced))) return false;
    written += produced;
  }
  if (written > UINT32_MAX) return false;
  return file.publishSection(ContentFile::Field::PageOffset, start,
                             {{ContentFile::Field::PageLength, static_cast<uint32_t>(written)}});
}

bool SourceText::ReadFrom(const ContentFile& file) {
  bytes.clear();
  if (!file.isUsable()) return false;
  const uint64_t start = file.offset(ContentFile::Field::PageOffset);
  if (start == 0) return false;
  const uint64_t length = file.u32(ContentFile::Field::PageLength);
  InflateStream inflater;
  if (!inflater.ready) return false;
  z_stream& z = inflater.stream;
  auto output = std::make_unique<char[]>(kPieceSize);
  const uint64_t limit = std::min(kMaxPageBytes, inflationLimit(length));
  std::string result;
  int status = Z_OK;
  for (uint64_t done = 0; done < length && status != Z_STREAM_END; ) {
    const uint64_t pieceLength = std::min<uint64_t>(kPieceSize, length - done);
    auto piece = file.readAt(start + done, pieceLength);
    if (!piece) return false;
    done += pieceLength;
    z.next_in = reinterpret_cast<Bytef*>(piece->data());
    z.avail_in = static_cast<uInt>(piece->size());
    do {
      z.next_out = reinterpret_cast<Bytef*>(output.get());
      z.avail_out = kPieceSize;
      status = inflate(&z, Z_NO_FLUSH);
      if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) return false;
      result.append(output.get(), kPieceSize - z.avail_out);
      if (result.size() > limit) return false;
    } while (z.avail_out == 0 && status != Z_STREAM_END);
  }
  if (status != Z_STREAM_END) return false;
  bytes = std::move(result);
  return true;
}

}  // namespace brambel
