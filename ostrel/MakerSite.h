#pragma once

// The maker's web site: the dialog title, the web button and the base of the help and book
// pages. The address is a build setting (cmake -DOSTREL_WEB_SITE=https://...); while none is
// set the site is empty and the dialog offers no web page at all.

#include <string_view>

std::string_view MakerSite();
// Another address in place of the built one, for tests and tools; empty means none.
void SetMakerSite(std::string_view site);
