#include "calculators/Filter.h"

#include "model/HV_Math.h"
#include "model/SaveToFile_Utils.h"

#include <algorithm>
#include <system_error>

namespace {

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// At most `limit` characters: code points in a UTF-8 file, bytes in a Windows-1252 one. Only
// the continuation bytes of a sequence begun by a lead byte belong to the character before;
// any other byte (such as a stored line break 0xA4) counts as a character of its own.
std::string CutCharacters(std::string text, std::size_t limit, bool utf8) {
    std::size_t characters = 0;
    int pending = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (utf8 && pending > 0 && IsContinuationByte(text[i])) {
            --pending;
            continue;
        }
        pending = !utf8                   ? 0
                  : (byte & 0xE0) == 0xC0 ? 1
                  : (byte & 0xF0) == 0xE0 ? 2
                  : (byte & 0xF8) == 0xF0 ? 3
                                          : 0;
        if (characters++ == limit) {
            text.resize(i);
            break;
        }
    }
    return text;
}

// A value as the 256-byte buffer held it, without blanks and control characters at its ends.
std::string CleanValue(std::string text, bool utf8) {
    if (text.size() > kCalculatorTextLength) {
        std::size_t cut = kCalculatorTextLength;
        while (utf8 && cut > 0 && IsContinuationByte(text[cut]))
            --cut;
        text.resize(cut);
    }
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!text.empty() && blank(text.back()))
        text.pop_back();
    std::size_t start = 0;
    while (start < text.size() && blank(text[start]))
        ++start;
    return text.substr(start);
}

class DefinitionReader {
public:
    explicit DefinitionReader(const platform::IniFile& file)
        : file_(file), utf8_(IsStoredUtf8(file.Text())) {}

    // Raw bytes of a value, cleaned; still in the file's encoding.
    std::string Raw(const std::string& section, const std::string& key, const char* fallback,
                    std::size_t characters = std::string::npos) const {
        auto text = CleanValue(file_.ReadString(section, key, fallback), utf8_);
        return characters == std::string::npos ? text : CutCharacters(std::move(text), characters, utf8_);
    }

    std::string Text(const std::string& section, const std::string& key, const char* fallback,
                     std::size_t characters = std::string::npos) const {
        return Decode(Raw(section, key, fallback, characters));
    }

    std::string Decode(const std::string& raw) const { return DecodeText(raw, utf8_); }

    std::int32_t Count(const std::string& section, const std::string& key, std::int32_t limit) const {
        return std::clamp(file_.ReadInteger(section, key, 0), 0, limit);
    }

    std::int32_t Integer(const std::string& section, const std::string& key) const {
        return file_.ReadInteger(section, key, 0);
    }

private:
    const platform::IniFile& file_;
    bool utf8_;
};

constexpr int kInputKeyBase = 0;
constexpr int kOutputKeyBase = kMaxCalculatorPages * kMaxCalculatorItems;

} // namespace

platform::IniResult LoadCalculatorFile(const std::filesystem::path& path, TFilter& filter) {
    filter = TFilter{};
    filter.FileName = path;
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (!ec && size > kMaxCalculatorFileSize)
        return {false, "The calculator definition " + path.filename().string() + " is larger than " +
                           std::to_string(kMaxCalculatorFileSize / 1024) + " KB."};
    const platform::IniFile file(path);
    if (!file.LoadResult())
        return file.LoadResult();
    ReadCalculatorDefinition(file, filter);
    filter.FileName = path;
    return {};
}

void ReadCalculatorDefinition(const platform::IniFile& file, TFilter& filter) {
    filter = TFilter{};
    const DefinitionReader read(file);

    filter.Name = read.Text("Main", "Name", "error");
    filter.BMPFile = read.Text("Main", "BMPFile", "error");
    filter.Category = read.Text("Main", "Category", "Miscellannous");
    filter.InputPages = read.Count("Main", "InputPages", kMaxCalculatorPages);
    filter.OutputPages = read.Count("Main", "OutputPages", kMaxCalculatorPages);

    for (int n = 0; n < filter.InputPages; ++n) {
        const std::string section = "InputPage" + std::to_string(n + 1);
        auto& page = filter.InputPage[static_cast<std::size_t>(n)];
        page.PageName = read.Text(section, "PageName", "error");
        page.Items = read.Count(section, "Items", kMaxCalculatorItems);
        for (std::size_t k = 0; k < static_cast<std::size_t>(page.Items); ++k) {
            const std::string number = std::to_string(k + 1);
            page.Item[k] = read.Text(section, "Item" + number, "error", kCalculatorCaptionLength);
            page.Symbol[k] = read.Text(section, "Symbol" + number, "error", kCalculatorCaptionLength);
        }
    }
    for (int n = 0; n < filter.OutputPages; ++n) {
        const std::string section = "OutputPage" + std::to_string(n + 1);
        auto& page = filter.OutputPage[static_cast<std::size_t>(n)];
        page.PageName = read.Text(section, "PageName", "error");
        page.Items = read.Count(section, "Items", kMaxCalculatorItems);
        for (std::size_t k = 0; k < static_cast<std::size_t>(page.Items); ++k) {
            const std::string number = std::to_string(k + 1);
            const std::string caption = read.Raw(section, "Item" + number, "error", kCalculatorCaptionLength);
            page.Item[k] = read.Decode(caption);
            // The formula sits under the item's own caption, so equal captions share one.
            page.Formula[k] = read.Text(section, caption, "error");
            page.Prec[k] = read.Integer(section, "Prec" + number);
            page.Unit[k] = read.Text(section, "Unit" + number, "error", kCalculatorUnitLength);
        }
    }
}

// ---- table -----------------------------------------------------------------------------------

bool TCalculatorTable::Store(int number, TFilter filter, std::string& error) {
    if (number < 1 || number > kCalculatorTableSize) {
        error = "Only " + std::to_string(kCalculatorTableSize) + " calculators can be listed.";
        return false;
    }
    if (std::find(categories_.begin(), categories_.end(), filter.Category) == categories_.end()) {
        if (static_cast<int>(categories_.size()) >= kCalculatorCategoryTableSize) {
            error = "Only " + std::to_string(kCalculatorCategoryTableSize) +
                    " calculator categories can be listed.";
            return false;
        }
        categories_.push_back(filter.Category);
    }
    auto& slot = filters_[static_cast<std::size_t>(number - 1)];
    if (!slot)
        ++count_;
    slot = std::make_unique<TFilter>(std::move(filter));
    return true;
}

const TFilter* TCalculatorTable::Calculator(int number) const {
    if (number < 1 || number > kCalculatorTableSize)
        return nullptr;
    return filters_[static_cast<std::size_t>(number - 1)].get();
}

void TCalculatorTable::Clear() {
    for (auto& slot : filters_)
        slot.reset();
    count_ = 0;
    categories_.clear();
}

TCalculatorTable& CalculatorTable() {
    static TCalculatorTable table;
    return table;
}

// ---- sheet -----------------------------------------------------------------------------------

TCalculatorSheet::TCalculatorSheet(const TFilter* filter) : filter_(filter) {
    inputs_.resize(static_cast<std::size_t>(InputPageCount()));
    for (int p = 0; p < InputPageCount(); ++p)
        inputs_[static_cast<std::size_t>(p)].resize(static_cast<std::size_t>(InputItemCount(p)));
    outputs_.resize(static_cast<std::size_t>(OutputPageCount()));
    for (int p = 0; p < OutputPageCount(); ++p)
        outputs_[static_cast<std::size_t>(p)].resize(static_cast<std::size_t>(OutputItemCount(p)));
}

int TCalculatorSheet::InputPageCount() const {
    return filter_ ? std::clamp(filter_->InputPages, 0, kShownCalculatorPages) : 0;
}

int TCalculatorSheet::OutputPageCount() const {
    return filter_ ? std::clamp(filter_->OutputPages, 0, kShownCalculatorPages) : 0;
}

int TCalculatorSheet::InputItemCount(int page) const {
    return std::clamp(filter_->InputPage.at(static_cast<std::size_t>(page)).Items, 0, kMaxCalculatorItems);
}

int TCalculatorSheet::OutputItemCount(int page) const {
    return std::clamp(filter_->OutputPage.at(static_cast<std::size_t>(page)).Items, 0, kMaxCalculatorItems);
}

std::string& TCalculatorSheet::InputValue(int page, int item) {
    return inputs_.at(static_cast<std::size_t>(page)).at(static_cast<std::size_t>(item));
}

const std::string& TCalculatorSheet::OutputText(int page, int item) const {
    return outputs_.at(static_cast<std::size_t>(page)).at(static_cast<std::size_t>(item));
}

TExpressionPtr TCalculatorSheet::ResolveIdentifier(const std::string& identifier,
                                                   TParameterListPtr& parameters) {
    if (parameters)
        throw EExpression("Identifier " + identifier + " does not require parameters");
    int found = -1;
    const std::string* formula = nullptr;
    const std::string* emptyInput = nullptr;
    for (int p = 0; p < InputPageCount(); ++p) {
        const auto& page = filter_->InputPage[static_cast<std::size_t>(p)];
        for (int k = 0; k < InputItemCount(p); ++k)
            if (page.Symbol[static_cast<std::size_t>(k)] == identifier) {
                found = kInputKeyBase + p * kMaxCalculatorItems + k;
                formula = &InputValue(p, k);
                emptyInput = formula->find_first_not_of(" \t") == std::string::npos
                                 ? &page.Item[static_cast<std::size_t>(k)]
                                 : nullptr;
            }
    }
    for (int p = 0; p < OutputPageCount(); ++p) {
        const auto& page = filter_->OutputPage[static_cast<std::size_t>(p)];
        for (int k = 0; k < OutputItemCount(p); ++k)
            if (page.Item[static_cast<std::size_t>(k)] == identifier) {
                found = kOutputKeyBase + p * kMaxCalculatorItems + k;
                formula = &page.Formula[static_cast<std::size_t>(k)];
                emptyInput = nullptr;
            }
    }
    if (!formula)
        return nullptr;
    // A value cell left empty is named, rather than reported as a formula that ends too soon.
    if (emptyInput != nullptr)
        throw EExpression("Enter a value for \"" + *emptyInput + "\"");
    return ParseReferenced(*formula, found, identifier);
}

TExpressionPtr TCalculatorSheet::ParseReferenced(const std::string& formula, int key,
                                                 const std::string& identifier) {
    if (std::find(resolving_.begin(), resolving_.end(), key) != resolving_.end())
        throw EExpression("The formula of " + identifier + " refers back to itself");
    resolving_.push_back(key);
    struct Pop {
        std::vector<int>& stack;
        ~Pop() { stack.pop_back(); }
    } pop{resolving_};
    return ParseExpression(formula, [this](const std::string& id, TParameterListPtr& parameters) {
        return ResolveIdentifier(id, parameters);
    });
}

std::optional<std::string> TCalculatorSheet::Calculate() {
    if (!filter_)
        return std::nullopt;
    resolving_.clear();
    // One budget for the whole calculation: outputs that refer to each other many times over
    // cannot add up to hours of work.
    const TExpressionBudget budget;
    const TIdentifierResolver resolver = [this](const std::string& id, TParameterListPtr& parameters) {
        return ResolveIdentifier(id, parameters);
    };
    for (int p = 0; p < OutputPageCount(); ++p) {
        const auto& page = filter_->OutputPage[static_cast<std::size_t>(p)];
        for (int k = 0; k < OutputItemCount(p); ++k) {
            const auto item = static_cast<std::size_t>(k);
            try {
                const auto tree = ParseExpression(page.Formula[item], resolver);
                const double value = RoundToDecimals(page.Prec[item], tree->GetFloat());
                outputs_[static_cast<std::size_t>(p)][item] = FloatToText(value) + " " + page.Unit[item];
            } catch (const EExpression& error) {
                return std::string(error.what());
            }
        }
    }
    return std::nullopt;
}
