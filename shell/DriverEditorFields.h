#pragma once
// The driver editor's numeric fields as one table: which edit shows which driver value, in which
// quantity kind, beside which caption and unit label, on which page. The window builds its fields,
// their bindings and their unit-label handlers from this table alone, so names cannot drift apart.

#include "model/Driver.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

enum class TDriverEditorPage { General, Parameters, Advanced, Dimensions };

// What an entry must be to be taken.
enum class TEntryRule {
    // A parameter: 0 (or an emptied field) makes it unknown; a negative value means nothing.
    NotNegative,
    // Air constants the derivation divides by: only a value above 0 is taken.
    Positive,
};

struct TDriverFieldBinding {
    const char* edit;      // component name of the edit, also its unit-memory key
    const char* unitLabel; // component name of its unit label; null for none
    const char* caption;   // text of the caption in front of the edit
    const char* hint;      // tool tip; null for none
    int letter;            // DriverPar letter index; -1 for a value without a state letter
    double TDriverData::*value;
    int kind; // quantity kind (QuantityKind); 0 for none
    TDriverEditorPage page;
    bool recalculates; // leaving the edit runs the derivation
    TEntryRule rule;
};

// The bindings in the order they are made; the 44 unit labels among them are the editor's
// clickable ones. The number of voice coils is bound apart (an integer without a state letter).
extern const std::array<TDriverFieldBinding, 47> DriverEditorFields;

// The integer field of the number of voice coils.
inline constexpr const char* VoiceCoilCountEdit = "edNumVC";
inline constexpr std::int32_t MinimumVoiceCoilCount = 1;

// The binding of an edit by its component name; null when there is none.
const TDriverFieldBinding* FindDriverField(std::string_view edit);

// Whether a typed value may be stored under the rule.
bool EntryAllowed(TEntryRule rule, double siValue);

// The driver file name the save dialog proposes: brand, a blank, model and ".bvd", with the
// characters no file name may hold on the original platform replaced by "_". Brand and model are
// cut where a character ends so that the name holds at most the 255 bytes a file name may.
std::string DefaultDriverFileName(std::string_view brand, std::string_view model);

// The labels of the consistency relations whose stored errors fail, in relation order.
std::vector<std::string> FailingRelationLabels(const TDriverData& data);
