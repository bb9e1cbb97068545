#pragma once
// Calculator definitions ("filters/*.flt"), the table the calculators menu is built from, and
// the sheet of one calculator window: its input and output cells and the calculation that fills
// the outputs from the formulas.
//
// A definition file is an INI document:
//   [Main]          Name, BMPFile (picture in the "Filters" folder), Category, InputPages, OutputPages
//   [InputPage<n>]  PageName, Items, Item<k> (row caption), Symbol<k> (the name formulas use)
//   [OutputPage<n>] PageName, Items, Item<k>, <caption of item k> = formula, Prec<k>, Unit<k>
// Pages and items count from 1. Symbols and captions are matched exactly against the upper-cased
// identifiers of a formula, so only names written in capitals can be referred to.

#include "calculators/prExpr.h"
#include "platform/IniFile.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// What a definition may hold, and what a window shows of it.
inline constexpr int kMaxCalculatorPages = 10;
inline constexpr int kMaxCalculatorItems = 20;
inline constexpr int kShownCalculatorPages = 5;
inline constexpr int kCalculatorTableSize = 60;
inline constexpr int kCalculatorCategoryTableSize = 30;
// Captions and symbols are cut to 20 characters, units to 10; every text to 255 bytes.
inline constexpr std::size_t kCalculatorCaptionLength = 20;
inline constexpr std::size_t kCalculatorUnitLength = 10;
inline constexpr std::size_t kCalculatorTextLength = 255;
// Larger files are refused: ten full pages of each kind need far less.
inline constexpr std::uintmax_t kMaxCalculatorFileSize = 1024 * 1024;

struct TInputPage {
    std::string PageName;
    std::int32_t Items = 0;
    std::array<std::string, kMaxCalculatorItems> Item;
    std::array<std::string, kMaxCalculatorItems> Symbol;
};

struct TOutputPage {
    std::string PageName;
    std::int32_t Items = 0;
    std::array<std::string, kMaxCalculatorItems> Item;
    std::array<std::string, kMaxCalculatorItems> Unit;
    std::array<std::int32_t, kMaxCalculatorItems> Prec{};
    std::array<std::string, kMaxCalculatorItems> Formula;
};

// One calculator definition; texts are UTF-8 (files that are not UTF-8 are read as Windows-1252).
struct TFilter {
    std::string Name;
    std::filesystem::path FileName; // the definition file it was read from
    std::string BMPFile;            // picture inside the "Filters" folder
    std::string Category;
    std::int32_t InputPages = 0;  // 0..kMaxCalculatorPages
    std::int32_t OutputPages = 0; // 0..kMaxCalculatorPages
    std::array<TInputPage, kMaxCalculatorPages> InputPage;
    std::array<TOutputPage, kMaxCalculatorPages> OutputPage;
};

// Reads one definition file into `filter`. Missing keys take their defaults ("error" texts, no
// pages, category "Miscellannous"); counts beyond the limits read only what fits. Fails only
// when the file cannot be read or is too large.
platform::IniResult LoadCalculatorFile(const std::filesystem::path& path, TFilter& filter);
// The same from a document already read.
void ReadCalculatorDefinition(const platform::IniFile& file, TFilter& filter);

// The definitions read at start-up, numbered 1..kCalculatorTableSize, and their categories in the
// order they were first met.
class TCalculatorTable {
public:
    // Stores `filter` as calculator `number`; false with a reason when the number is outside
    // 1..kCalculatorTableSize or its category would be one category too many.
    bool Store(int number, TFilter filter, std::string& error);
    // The definition of calculator `number`, or null.
    const TFilter* Calculator(int number) const;
    int Count() const { return count_; }
    const std::vector<std::string>& Categories() const { return categories_; }
    void Clear();

private:
    std::array<std::unique_ptr<TFilter>, kCalculatorTableSize> filters_;
    int count_ = 0;
    std::vector<std::string> categories_; // compared exactly: "Bass" and "bass" are two
};

TCalculatorTable& CalculatorTable();

// The cells of one calculator window and its calculation; no widgets. Only the first
// kShownCalculatorPages pages of each kind are shown, resolved and calculated.
class TCalculatorSheet {
public:
    // `filter` may be null: a window without a calculator, which has nothing to calculate.
    explicit TCalculatorSheet(const TFilter* filter);

    const TFilter* Filter() const { return filter_; }
    int InputPageCount() const;
    int OutputPageCount() const;
    int InputItemCount(int page) const;  // pages from 0
    int OutputItemCount(int page) const; // pages from 0

    // The value cell of an input item (may hold a formula) and the text of an output item.
    std::string& InputValue(int page, int item);
    const std::string& OutputText(int page, int item) const;

    // The resolver formulas are parsed with: input symbols give the formula in their value
    // cell, output captions their formula; the last match wins. A name whose formula comes back
    // to itself raises instead of recursing.
    TExpressionPtr ResolveIdentifier(const std::string& identifier, TParameterListPtr& parameters);

    // Evaluates every output in order and writes its rounded value and unit. The first error
    // ends the calculation and is returned; outputs already written keep their new text.
    std::optional<std::string> Calculate();

private:
    TExpressionPtr ParseReferenced(const std::string& formula, int key, const std::string& identifier);

    const TFilter* filter_;
    std::vector<std::vector<std::string>> inputs_;
    std::vector<std::vector<std::string>> outputs_;
    std::vector<int> resolving_; // entries whose formulas are being parsed, innermost last
};
