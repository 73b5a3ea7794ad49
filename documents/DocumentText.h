#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zolvex {

class MapDocument;
class DocumentHost;

// Readings shared by the documents that load a markup or map text from a URL.

// The URL with every "\" turned into "/".
std::string SlashedUrl(const std::string& url);
// The URL up to and including its last "/" (empty when there is none).
std::string BasePathOf(const std::string& url);
// A reference joined to a base path the way the documents join "src" attributes: relative
// references are prefixed by the base, "/../" and "/./" steps are removed.
std::string JoinToBase(const std::string& reference, const std::string& basePath);
// The image a document names when it gives none: the URL up to its first ",", with the
// extension of that part replaced by ".ktq"; without an extension, the URL + ".ktq".
std::string DerivedImageName(const std::string& url);
bool IsServerUrl(const std::string& url);

// The "encoding" of an XML declaration within the first 256 bytes; empty when none.
std::string DeclaredEncoding(const std::vector<std::uint8_t>& bytes);
// UTF-8 text of bytes: as they stand when the declaration says "utf-8", else read in the
// Windows ANSI code page (1252).
std::string DecodeMarkup(const std::vector<std::uint8_t>& bytes);
// One character per byte, the byte's value as the character's code.
std::string BytesAsCharacters(const std::vector<std::uint8_t>& bytes);
std::string AnsiToUtf8(const std::vector<std::uint8_t>& bytes);

// The outcome of reading a document's own file.
struct DocumentBytes {
  std::vector<std::uint8_t> bytes;
  // For a "ktq:" URL, the image document through which the file was asked for.
  std::unique_ptr<MapDocument> serverImage;
  bool fetched = false;
};

// Reads url. A "ktq:" URL (five characters or more) is asked of a tiled image document for
// that URL, which comes back too; a failure there leaves the bytes empty. Any other URL is
// fetched; a failure raises CReaderException with message 409 for an answer 401, else with
// message 401 naming the URL. emptyIsMissing treats a file without bytes as not found.
DocumentBytes ReadDocumentBytes(DocumentHost& host, const std::string& url, bool emptyIsMissing);
// The exception a document raises when its file cannot be had.
[[noreturn]] void ThrowNotFound(DocumentHost& host, const std::string& url, int status);

}  // namespace zolvex
