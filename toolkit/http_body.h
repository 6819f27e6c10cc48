#pragma once

#include <cstdint>
#include <string>

#include "toolkit/byte_stream.h"

namespace brambel {

// Reads a response body from the open request in 64 KiB blocks and answers
// it as text.
//  - `contentEncoding` exactly "gzip" (case matters) is decoded; any other
//    value, or none (nullptr), reads the bytes as they come.
//  - `limit` caps the answer (0 = no limit); reading stops there, so the rest
//    of a long body is never fetched.
//  - `transferEncoding` is accepted for the callers' sake only: the HTTP
//    client has already removed chunked framing.
//  - The body is text, so it ends at its first zero byte; nothing after one
//    is read or kept.
//  - A corrupt or cut-off gzip stream answers what decoded before the damage.
//  - Inflation is capped whatever the limit: decoding stops at
//    kMaxInflatedBytes, and beyond kInflationRatioFloor bytes as soon as the
//    text grows more than kMaxInflationRatio times the compressed bytes read
//    (a small body that unpacks into a flood). `inflationCut`, when given, is
//    set to whether that happened.
// A failed read (connection lost, time-out) ends the answer early and leaves
// `request.failed()` set; callers treat that as a failed fetch.
std::string readBody(ByteStream& request, uint32_t limit, const std::u16string* contentEncoding = nullptr,
                     const std::u16string* transferEncoding = nullptr, bool* inflationCut = nullptr);

inline constexpr size_t kMaxInflatedBytes = 64u << 20;
inline constexpr size_t kInflationRatioFloor = 1u << 20;
inline constexpr size_t kMaxInflationRatio = 256;

}  // namespace brambel
