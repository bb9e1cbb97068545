#include "ostrel/MakerSite.h"

#include <string>

#ifndef OSTREL_WEB_SITE
#define OSTREL_WEB_SITE ""
#endif

namespace {

std::string& Site() {
    static std::string site = OSTREL_WEB_SITE;
    return site;
}

} // namespace

std::string_view MakerSite() {
    return Site();
}

void SetMakerSite(std::string_view site) {
    Site() = std::string(site);
}
