#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "status.h"

namespace quillmark {

// The whole file, or nothing when it is missing or unreadable.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path);

// Writes the bytes to a temporary file in the target's folder and renames it over the
// target, so an interrupted save never leaves a half-written file. The folder must exist.
Status WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Encodes UTF-8 text into code page 936 and writes it atomically; text the code page
// cannot hold fails the write with a message naming the file and the character.
Status WriteGbkFile(const std::filesystem::path& path, std::string_view utf8Text);
// The bytes WriteGbkFile would write.
Status EncodeGbkFile(const std::filesystem::path& path, std::string_view utf8Text, std::string& bytes);

// "Cannot save file <path>: <reason>", the reason in Chinese.
Status SaveFailure(const std::filesystem::path& path, int error);

// Creates the folder when it is missing (not its parents): a data folder deleted by hand is
// made again on the next save. Returns 0 or the errno of the failure (ENOTDIR when a file
// holds the name).
int MakeFolder(const std::filesystem::path& folder);

// Creates or empties the file, writes the bytes and flushes them to the disk; the file gets
// the permissions of `like` when that exists. Returns 0 or the errno of the failure.
int WriteSyncedFile(const std::filesystem::path& path, std::string_view bytes,
                    const std::filesystem::path& like);

// Flushes the folder's entries (files created, renamed or removed in it) to the disk.
// Returns 0 or the errno of the failure.
int SyncFolder(const std::filesystem::path& folder);

std::string DisplayPath(const std::filesystem::path& path);

}  // namespace quillmark
