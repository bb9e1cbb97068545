#include "help/ChmFile.h"

#include "platform/AsciiCase.h"

#include <chm_lib.h>

#include <cctype>
#include <cstring>
#include <functional>

namespace {

std::uint32_t ReadU32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

std::uint16_t ReadU16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

// A zero-terminated text inside `bytes` from `at`.
std::string TextAt(std::string_view bytes, std::size_t at) {
    if (at >= bytes.size())
        return {};
    const auto end = bytes.find('\0', at);
    return std::string(bytes.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at));
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string FolderOf(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string("/") : std::string(path.substr(0, slash + 1));
}

} // namespace

std::string NormalisePath(std::string_view path) {
    std::string text(path.substr(0, path.find_first_of("#?")));
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            decoded += text[i] == '\\' ? '/' : text[i];
        }
    }
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= decoded.size()) {
        auto end = decoded.find('/', start);
        if (end == std::string::npos)
            end = decoded.size();
        const std::string part = decoded.substr(start, end - start);
        if (part == "..") {
            if (parts.empty())
                return {};
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string result;
    for (const auto& part : parts)
        result += "/" + part;
    if (result.empty())
        result = "/";
    else if (!decoded.empty() && decoded.back() == '/')
        result += "/";
    return result;
}

TChmFile::TChmFile(chmFile* handle, std::filesystem::path path) : handle_(handle), path_(std::move(path)) {}

TChmFile::~TChmFile() {
    chm_close(handle_);
}

std::unique_ptr<TChmFile> TChmFile::Open(const std::filesystem::path& path, std::string& error) {
    std::error_code code;
    if (!std::filesystem::is_regular_file(path, code)) {
        error = "The help file " + path.string() + " was not found.";
        return nullptr;
    }
    chmFile* handle = chm_open(path.c_str());
    if (!handle) {
        error = "The file " + path.string() + " is not a compiled help file.";
        return nullptr;
    }
    std::unique_ptr<TChmFile> file(new TChmFile(handle, path));
    file->ReadSystemData();
    return file;
}

std::optional<std::string> TChmFile::ResolveExisting(std::string_view path) const {
    std::string normal = NormalisePath(path);
    if (normal.empty() || normal.size() >= CHM_MAX_PATHLEN)
        return std::nullopt;
    chmUnitInfo info{};
    // Try the path, then without its leading folders: some compilers store the project's own
    // folders in front of the names of their context map.
    for (;;) {
        if (chm_resolve_object(handle_, normal.c_str(), &info) == CHM_RESOLVE_SUCCESS)
            return normal;
        const auto next = normal.find('/', 1);
        if (next == std::string::npos)
            return std::nullopt;
        normal.erase(0, next);
    }
}

bool TChmFile::Exists(std::string_view path) const {
    return ResolveExisting(path).has_value();
}

std::optional<std::string> TChmFile::Read(std::string_view path) const {
    return ReadObject(NormalisePath(path));
}

std::optional<std::string> TChmFile::ReadObject(const std::string& normal) const {
    if (normal.empty() || normal.size() >= CHM_MAX_PATHLEN)
        return std::nullopt;
    chmUnitInfo info{};
    if (chm_resolve_object(handle_, normal.c_str(), &info) != CHM_RESOLVE_SUCCESS)
        return std::nullopt;
    if (info.length > MaximumObjectSize)
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(info.length), '\0');
    if (info.length == 0)
        return bytes;
    const LONGINT64 got = chm_retrieve_object(handle_, &info, reinterpret_cast<unsigned char*>(bytes.data()),
                                              0, static_cast<LONGINT64>(info.length));
    if (got <= 0)
        return std::nullopt;
    bytes.resize(static_cast<std::size_t>(got));
    return bytes;
}

void TChmFile::ReadSystemData() {
    // #SYSTEM: a version, then records of a 16-bit code, a 16-bit length and the data.
    const auto system = ReadObject("/#SYSTEM");
    if (system && system->size() >= 4) {
        std::string_view bytes(*system);
        std::size_t at = 4;
        while (at + 4 <= bytes.size()) {
            const std::uint16_t code = ReadU16(bytes, at);
            const std::uint16_t length = ReadU16(bytes, at + 2);
            at += 4;
            if (at + length > bytes.size())
                break;
            const std::string text = TextAt(bytes.substr(at, length), 0);
            if (code == 0)
                contentsFile_ = NormalisePath(text);
            else if (code == 2)
                defaultTopic_ = NormalisePath(text);
            else if (code == 3)
                title_ = text;
            at += length;
        }
    }
    if (contentsFile_.empty() || !Exists(contentsFile_)) {
        // No record: the first *.hhc at the top.
        contentsFile_.clear();
        chm_enumerate_dir(
            handle_, "/", CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES,
            [](chmFile*, chmUnitInfo* unit, void* context) -> int {
                const std::string_view name(unit->path);
                if (platform::EndsWithoutCase(name, ".hhc")) {
                    *static_cast<std::string*>(context) = std::string(name);
                    return CHM_ENUMERATOR_SUCCESS;
                }
                return CHM_ENUMERATOR_CONTINUE;
            },
            &contentsFile_);
    }
}

std::vector<TChmContentsEntry> TChmFile::Contents() const {
    if (contentsFile_.empty())
        return {};
    const auto html = Read(contentsFile_);
    return html ? ParseSitemap(*html, FolderOf(contentsFile_)) : std::vector<TChmContentsEntry>{};
}

std::optional<std::string> TChmFile::ContextTopic(std::uint32_t context) const {
    // #IVB: a byte count, then pairs of context number and offset of the page name in #STRINGS.
    const auto map = ReadObject("/#IVB");
    const auto strings = ReadObject("/#STRINGS");
    if (!map || !strings || map->size() < 4)
        return std::nullopt;
    const std::string_view bytes(*map);
    const std::size_t end = std::min<std::size_t>(bytes.size(), 4 + std::size_t{ReadU32(bytes, 0)});
    for (std::size_t at = 4; at + 8 <= end; at += 8) {
        if (ReadU32(bytes, at) != context)
            continue;
        const std::string name = TextAt(*strings, ReadU32(bytes, at + 4));
        if (name.empty())
            return std::nullopt;
        const auto anchor = name.find('#');
        auto found = ResolveExisting(name);
        if (!found)
            return std::nullopt;
        if (anchor != std::string::npos)
            *found += name.substr(anchor);
        return found;
    }
    return std::nullopt;
}

// ---- sitemap ---------------------------------------------------------------------------------

namespace {

// Tags in order with the text of their attributes; enough of HTML for a sitemap.
struct Tag {
    std::string name; // upper case, "/UL" for a closing tag
    std::string attributes;
};

std::vector<Tag> ScanTags(std::string_view html) {
    std::vector<Tag> tags;
    std::size_t at = 0;
    while ((at = html.find('<', at)) != std::string_view::npos) {
        if (html.substr(at, 4) == "<!--") {
            const auto end = html.find("-->", at + 4);
            if (end == std::string_view::npos)
                break;
            at = end + 3;
            continue;
        }
        const auto end = html.find('>', at);
        if (end == std::string_view::npos)
            break;
        const std::string_view inside = html.substr(at + 1, end - at - 1);
        std::size_t nameEnd = 0;
        while (nameEnd < inside.size() && !std::isspace(static_cast<unsigned char>(inside[nameEnd])))
            ++nameEnd;
        Tag tag;
        for (char c : inside.substr(0, nameEnd))
            tag.name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        tag.attributes = std::string(inside.substr(nameEnd));
        tags.push_back(std::move(tag));
        at = end + 1;
    }
    return tags;
}

// The value of attribute `name` (without regard to case), quoted or not.
std::string Attribute(std::string_view attributes, std::string_view name) {
    for (std::size_t at = 0; at + name.size() < attributes.size(); ++at) {
        if (!platform::SameWithoutCase(attributes.substr(at, name.size()), name))
            continue;
        if (at > 0 && !std::isspace(static_cast<unsigned char>(attributes[at - 1])))
            continue;
        std::size_t pos = at + name.size();
        while (pos < attributes.size() && attributes[pos] == ' ')
            ++pos;
        if (pos >= attributes.size() || attributes[pos] != '=')
            continue;
        ++pos;
        while (pos < attributes.size() && attributes[pos] == ' ')
            ++pos;
        if (pos < attributes.size() && (attributes[pos] == '"' || attributes[pos] == '\'')) {
            const char quote = attributes[pos];
            const auto end = attributes.find(quote, pos + 1);
            return std::string(attributes.substr(
                pos + 1, end == std::string_view::npos ? std::string_view::npos : end - pos - 1));
        }
        std::size_t end = pos;
        while (end < attributes.size() && !std::isspace(static_cast<unsigned char>(attributes[end])))
            ++end;
        return std::string(attributes.substr(pos, end - pos));
    }
    return {};
}

std::string DecodeEntities(std::string text) {
    static const std::pair<const char*, const char*> entities[] = {
        {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}};
    for (const auto& [entity, character] : entities) {
        std::size_t at = 0;
        while ((at = text.find(entity, at)) != std::string::npos) {
            text.replace(at, std::strlen(entity), character);
            at += std::strlen(character);
        }
    }
    return text;
}

} // namespace

std::vector<TChmContentsEntry> ParseSitemap(std::string_view html, std::string_view base) {
    std::vector<TChmContentsEntry> top;
    // The list being filled at each open <UL>; the entry last added at each level owns the
    // next level's list. Nesting deeper than any contents needs is read flat.
    constexpr std::size_t maximumDepth = 64;
    std::vector<std::vector<TChmContentsEntry>*> lists{&top};
    bool inSitemap = false;
    TChmContentsEntry current;
    int openLists = 0;
    for (const Tag& tag : ScanTags(html)) {
        if (tag.name == "UL") {
            ++openLists;
            if (openLists > 1 && lists.size() < maximumDepth && !lists.back()->empty())
                lists.push_back(&lists.back()->back().children);
        } else if (tag.name == "/UL") {
            if (openLists > 0)
                --openLists;
            if (lists.size() > 1 && static_cast<int>(lists.size()) > openLists)
                lists.pop_back();
        } else if (tag.name == "OBJECT") {
            inSitemap = platform::SameWithoutCase(Attribute(tag.attributes, "type"), "text/sitemap");
            current = {};
        } else if (tag.name == "PARAM" && inSitemap) {
            const std::string name = Attribute(tag.attributes, "name");
            const std::string value = DecodeEntities(Attribute(tag.attributes, "value"));
            if (platform::SameWithoutCase(name, "Name") && current.name.empty())
                current.name = value;
            else if (platform::SameWithoutCase(name, "Local") && current.local.empty()) {
                const auto anchor = value.find('#');
                const std::string page = value.substr(0, anchor);
                const bool absolute = !page.empty() && (page[0] == '/' || page[0] == '\\');
                current.local = NormalisePath(absolute ? page : std::string(base) + page);
                if (anchor != std::string::npos && !current.local.empty())
                    current.local += value.substr(anchor);
            }
        } else if (tag.name == "/OBJECT" && inSitemap) {
            inSitemap = false;
            if (!current.name.empty() || !current.local.empty())
                lists.back()->push_back(std::move(current));
            current = {};
        }
    }
    return top;
}
