#pragma once
// The note a file's rewrite in place leaves while it runs: which file, and
// the whole content it is to hold. Written (and synced) before the first byte
// of the file changes and removed when the file is whole again, so that a
// rewrite cut short by a kill or a power loss can be finished at the next
// read instead of leaving half a list. Free of file access.
//
//   Talvo rewrite 1\n
//   <path length> <content length> <content hash, 16 hex digits>\n
//   <path>\n
//   <content>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// 64-bit FNV-1a: enough to tell a whole record from a damaged one.
std::uint64_t ContentHash(std::string_view bytes);

// The record's file name in the state folder, from the rewritten file's path.
std::string RewriteRecordName(std::string_view target);

std::string FormatRewriteRecord(std::string_view target, std::string_view content);

// The content a record holds for target, when the record is whole and is
// target's (not another path's with the same name).
std::optional<std::string_view> ParseRewriteRecord(std::string_view record, std::string_view target);
