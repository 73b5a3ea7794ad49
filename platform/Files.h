#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zolvex::platform {

// Paths accept both "\" and "/"; absolute POSIX paths keep their leading "/".
// "file:///home/a.ktq" and "file://localhost/home/a.ktq" name "/home/a.ktq".
std::string NativePath(const std::string& path);
// The absolute, native form of path (relative paths join the working folder).
std::string FullPath(const std::string& path);
bool FileExists(const std::string& path);
bool IsDirectory(const std::string& path);
std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
// A new empty file in the temporary folder whose name ends with suffix.
std::string MakeTempFile(const std::string& suffix);
std::string TempFolder();
std::optional<std::int64_t> FileModificationTime(const std::string& path);  // seconds since 1970

}  // namespace zolvex::platform
