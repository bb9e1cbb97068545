// Help contents and links: whatever the bytes, reading a sitemap and normalising link paths never
// crash, and every page path comes out normalised (a leading "/", no "." or ".." segment left).
#include "help/ChmFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void Check(const std::vector<TChmContentsEntry>& entries) {
    for (const auto& entry : entries) {
        if (!entry.local.empty()) {
            const std::string page = entry.local.substr(0, entry.local.find('#'));
            if (page.empty() || page.front() != '/' || page.find("/../") != std::string::npos ||
                page.find("/./") != std::string::npos)
                std::abort();
        }
        Check(entry.children);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Check(ParseSitemap(text, "/folder/"));
    const std::string normal = NormalisePath(text);
    if (!normal.empty() && (normal.front() != '/' || normal.find("/../") != std::string::npos ||
                            normal.find("/./") != std::string::npos))
        std::abort();
    return 0;
}
