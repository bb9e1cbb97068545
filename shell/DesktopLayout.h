#pragma once
// The saved positions of the main and the plot window, kept in the settings store's "Desktop"
// group and written only by the "Save window positions" command.

#include "platform/SettingsStore.h"

#include <cstdint>

struct TDesktopLayout {
    bool valid = false;
    std::int32_t MainLeft = 0;
    std::int32_t MainTop = 0;
    std::int32_t MainHeight = 0;
    std::int32_t MainWidth = 0;
    std::int32_t PlotTop = 0;
    std::int32_t PlotLeft = 0;
    std::int32_t PlotHeight = 0;
    std::int32_t PlotWidth = 0;

    bool operator==(const TDesktopLayout&) const = default;
};

// The layout read at start-up; the main and the plot window take their positions from it when
// it is valid.
inline TDesktopLayout DesktopLayout;

// Reads the eight values of "Desktop". The layout is valid only when every value is there,
// readable as an Integer, and both windows have a size above 0; otherwise it is the cleared
// (invalid) layout and windows keep their own positions.
TDesktopLayout LoadDesktop(const platform::SettingsStore& store);

// Writes the eight values (the main window's, then the plot window's) and flushes at once.
platform::StoreResult SaveDesktop(platform::SettingsStore& store, const TDesktopLayout& layout);

// A saved rectangle moved and shrunk so that it lies inside `area` (the screen's available
// geometry now): a layout saved on a larger or another screen never puts a window out of reach.
struct TScreenRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;

    bool operator==(const TScreenRect&) const = default;
};
TScreenRect ClampToArea(const TScreenRect& window, const TScreenRect& area);
