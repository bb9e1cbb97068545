#include "platform/FileNames.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr char16_t EscapedByteBase = 0xDC00;

std::string Quoted(const std::filesystem::path& path) {
    return "\"" + DisplayFileName(path.native()) + "\"";
}

} // namespace

std::size_t Utf8SequenceLength(std::string_view bytes, std::size_t i) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = at(i);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + length > bytes.size() || at(i + 1) < low || at(i + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (at(i + k) < 0x80 || at(i + k) > 0xBF)
            return 0;
    return length;
}

QString FileNameToText(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    std::size_t i = 0;
    while (i < bytes.size()) {
        // Runs of valid UTF-8 convert through Qt; each stray byte is escaped on its own.
        std::size_t end = i;
        while (end < bytes.size()) {
            const std::size_t length = Utf8SequenceLength(bytes, end);
            if (length == 0)
                break;
            end += length;
        }
        if (end > i)
            text += QString::fromUtf8(bytes.data() + i, static_cast<qsizetype>(end - i));
        if (end < bytes.size()) {
            text += QChar(static_cast<char16_t>(EscapedByteBase + static_cast<unsigned char>(bytes[end])));
            ++end;
        }
        i = end;
    }
    return text;
}

std::string TextToFileName(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype end = i;
        while (end < text.size()) {
            const char16_t unit = text.at(end).unicode();
            // Only the escapes of bytes that cannot start or continue valid UTF-8 (0x80..0xFF) are
            // ours; any other lone surrogate is left to Qt's conversion.
            if (unit >= EscapedByteBase + 0x80 && unit <= EscapedByteBase + 0xFF)
                break;
            ++end;
        }
        if (end > i)
            bytes += text.mid(i, end - i).toUtf8().toStdString();
        if (end < text.size()) {
            bytes += static_cast<char>(text.at(end).unicode() - EscapedByteBase);
            ++end;
        }
        i = end;
    }
    return bytes;
}

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = Utf8SequenceLength(bytes, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::string DisplayFileName(std::string_view bytes) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string shown;
    shown.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = Utf8SequenceLength(bytes, i);
        if (length > 0) {
            shown.append(bytes.substr(i, length));
            i += length;
            continue;
        }
        const auto byte = static_cast<unsigned char>(bytes[i]);
        shown += "\\x";
        shown += digits[byte >> 4];
        shown += digits[byte & 0x0F];
        ++i;
    }
    return shown;
}

bool FileIsMissing(const std::filesystem::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

std::string FileReadProblem(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        const int error = errno;
        if (FileIsMissing(path))
            return Quoted(path) + " does not exist";
        struct stat link {};
        if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
            if (error == ELOOP)
                return Quoted(path) + " is a link that leads round in a loop";
            if (error == ENOENT)
                return Quoted(path) + " is a link to a file that does not exist";
        }
        return Quoted(path) + " cannot be reached: " + std::strerror(error);
    }
    if (S_ISDIR(info.st_mode))
        return Quoted(path) + " is a folder, not a file";
    // A pipe or a device would block the reader or never end.
    if (!S_ISREG(info.st_mode))
        return Quoted(path) + " is not a regular file";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return Quoted(path) + " cannot be read: " + std::strerror(errno);
    ::close(fd);
    return {};
}

} // namespace platform
