#pragma once
// Reading compiled HTML help files (*.chm) through chmlib: the pages and pictures inside, the
// file's title and default page, its table of contents and its map of context numbers to pages.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct chmFile;

// One entry of the table of contents; `local` is the page's path inside the file ("/a/b.html",
// anchors kept), empty for a heading without a page.
struct TChmContentsEntry {
    std::string name;
    std::string local;
    std::vector<TChmContentsEntry> children;
};

class TChmFile {
public:
    // Objects larger than this are not read: no page or picture of a help file comes near it.
    static constexpr std::uint64_t MaximumObjectSize = 16u * 1024u * 1024u;

    // Null with a reason when the file is missing or is no compiled help file.
    static std::unique_ptr<TChmFile> Open(const std::filesystem::path& path, std::string& error);
    ~TChmFile();
    TChmFile(const TChmFile&) = delete;
    TChmFile& operator=(const TChmFile&) = delete;

    const std::filesystem::path& Path() const { return path_; }

    // The bytes of the object at `path` (see NormalisePath), or nothing.
    std::optional<std::string> Read(std::string_view path) const;
    bool Exists(std::string_view path) const;

    // From the file's system data; empty when the file does not say.
    const std::string& Title() const { return title_; }
    // Path of the page shown first ("/index.html"); empty when the file does not say.
    const std::string& DefaultTopic() const { return defaultTopic_; }
    // Path of the table of contents (*.hhc) or empty.
    const std::string& ContentsFile() const { return contentsFile_; }

    // The table of contents, read from the contents file.
    std::vector<TChmContentsEntry> Contents() const;

    // The page of a context number from the file's map, as a path inside the file.
    std::optional<std::string> ContextTopic(std::uint32_t context) const;

private:
    TChmFile(chmFile* handle, std::filesystem::path path);
    void ReadSystemData();
    // The object at exactly `path`; the file's own data has "#" in its names.
    std::optional<std::string> ReadObject(const std::string& path) const;
    // The object at `path` as found in the file; pages named with the compiler's folders in
    // front are found by their trailing components.
    std::optional<std::string> ResolveExisting(std::string_view path) const;

    chmFile* handle_;
    std::filesystem::path path_;
    std::string title_;
    std::string defaultTopic_;
    std::string contentsFile_;
};

// A link or topic as a path inside the file: "/" in front, "\" as "/", "%20" and the other
// escapes decoded, "." and ".." folded, anchor ("#...") and query dropped. Empty when the path
// climbs above the top.
std::string NormalisePath(std::string_view path);

// The entries of a sitemap (the HTML of a .hhc contents file): nested <UL> lists of <OBJECT
// type="text/sitemap"> with "Name" and "Local" parameters. `base` is the folder links are
// relative to ("/" for the contents file at the top).
std::vector<TChmContentsEntry> ParseSitemap(std::string_view html, std::string_view base = "/");
