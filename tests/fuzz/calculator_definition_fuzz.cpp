// Calculator definitions: whatever the text, reading it keeps every count within its limits, and
// a calculation over it (inputs referring to each other, outputs referring to inputs, to each
// other and to themselves) ends with values or one error, within its budget.
#include "calculators/Filter.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    platform::IniFile file;
    file.SetText(std::string_view(reinterpret_cast<const char*>(data), size));
    TFilter filter;
    ReadCalculatorDefinition(file, filter);
    if (filter.InputPages < 0 || filter.InputPages > kMaxCalculatorPages || filter.OutputPages < 0 ||
        filter.OutputPages > kMaxCalculatorPages)
        std::abort();
    TCalculatorSheet sheet(&filter);
    // Each input holds the symbol of the item after it, the last one a number.
    for (int p = 0; p < sheet.InputPageCount(); ++p) {
        const auto& page = filter.InputPage[static_cast<std::size_t>(p)];
        for (int k = 0; k < sheet.InputItemCount(p); ++k) {
            if (page.Items > kMaxCalculatorItems || page.Item[static_cast<std::size_t>(k)].size() > 80)
                std::abort();
            const bool last = k + 1 == sheet.InputItemCount(p);
            sheet.InputValue(p, k) = last ? "2.5" : page.Symbol[static_cast<std::size_t>(k + 1)];
        }
    }
    (void)sheet.Calculate();
    return 0;
}
