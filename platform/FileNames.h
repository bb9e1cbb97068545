#pragma once
// File names between the file system and the windows.
//
// On Linux a file name is a string of bytes, and Qt's texts are UTF-16. Names that are valid
// UTF-8 (the file-name encoding of every current Linux system) convert as Qt converts them. Qt
// itself turns every other byte into U+FFFD, so such a name, once a text, names no file any more;
// here each byte that is not part of a valid UTF-8 sequence becomes the lone surrogate
// U+DC00 + byte instead, which no valid name ever holds, and converts back to the same byte.
// Every place where a file name passes between bytes and text (command line, listings, names
// shown in lists and read back from them) converts with these two.

#include <QString>

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

QString FileNameToText(std::string_view bytes);
inline QString PathToText(const std::filesystem::path& path) {
    return FileNameToText(std::string_view(path.native()));
}
std::string TextToFileName(const QString& text);
inline std::filesystem::path TextToPath(const QString& text) {
    return std::filesystem::path(TextToFileName(text));
}

// Length of the well-formed UTF-8 sequence at `i` (no overlong forms, no surrogates, at most
// U+10FFFF), or 0 when there is none.
std::size_t Utf8SequenceLength(std::string_view bytes, std::size_t i);

// Whether the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

// A file name for messages: valid UTF-8 as it is, every other byte written as "\xFF".
std::string DisplayFileName(std::string_view bytes);

// Why `path` cannot be read as a file, as a sentence that names it ("\"x\" is a folder, not a
// file"); empty when it is a regular file that can be opened for reading. A missing file, a
// folder, a pipe or device, a link that leads nowhere or round in a loop, and a file the user
// may not read each say so.
std::string FileReadProblem(const std::filesystem::path& path);

// Whether `path` does not exist at all (no entry, or a component of it is missing).
bool FileIsMissing(const std::filesystem::path& path);

} // namespace platform
