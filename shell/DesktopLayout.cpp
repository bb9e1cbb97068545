#include "shell/DesktopLayout.h"

#include <algorithm>
#include <string>

namespace {

struct DesktopValue {
    const char* name;
    std::int32_t TDesktopLayout::*field;
};

// The order the values are written in.
constexpr DesktopValue kDesktopValues[] = {
    {"MainLeft", &TDesktopLayout::MainLeft},     {"MainTop", &TDesktopLayout::MainTop},
    {"MainHeight", &TDesktopLayout::MainHeight}, {"MainWidth", &TDesktopLayout::MainWidth},
    {"PlotLeft", &TDesktopLayout::PlotLeft},     {"PlotTop", &TDesktopLayout::PlotTop},
    {"PlotHeight", &TDesktopLayout::PlotHeight}, {"PlotWidth", &TDesktopLayout::PlotWidth},
};

std::string DesktopName(const char* value) {
    return std::string("Desktop/") + value;
}

} // namespace

TDesktopLayout LoadDesktop(const platform::SettingsStore& store) {
    TDesktopLayout layout;
    for (const DesktopValue& value : kDesktopValues) {
        const std::optional<std::int32_t> read = store.ReadInteger(DesktopName(value.name));
        if (!read) {
            return {};
        }
        layout.*value.field = *read;
    }
    if (layout.MainWidth <= 0 || layout.MainHeight <= 0 || layout.PlotWidth <= 0 || layout.PlotHeight <= 0) {
        return {};
    }
    layout.valid = true;
    return layout;
}

platform::StoreResult SaveDesktop(platform::SettingsStore& store, const TDesktopLayout& layout) {
    for (const DesktopValue& value : kDesktopValues) {
        store.WriteInteger(DesktopName(value.name), layout.*value.field);
    }
    return store.Flush();
}

TScreenRect ClampToArea(const TScreenRect& window, const TScreenRect& area) {
    TScreenRect result = window;
    // 64-bit sums: a stored value near the Integer limits must not overflow.
    result.width =
        static_cast<std::int32_t>(std::clamp<std::int64_t>(window.width, 1, std::max(area.width, 1)));
    result.height =
        static_cast<std::int32_t>(std::clamp<std::int64_t>(window.height, 1, std::max(area.height, 1)));
    const std::int64_t maxLeft = std::int64_t{area.left} + area.width - result.width;
    const std::int64_t maxTop = std::int64_t{area.top} + area.height - result.height;
    result.left = static_cast<std::int32_t>(std::clamp<std::int64_t>(window.left, area.left, maxLeft));
    result.top = static_cast<std::int32_t>(std::clamp<std::int64_t>(window.top, area.top, maxTop));
    return result;
}
