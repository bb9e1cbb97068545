#include "model/UnitHelper.h"

#include <charconv>

#include "model/Units.h"

int GetUnitIndex(const TUnitField& field) {
    const int32_t stored = TUnitStore::Instance().Lookup(field.Name());
    if (stored < 0 || stored >= UnitCount(field.Kind()))
        return 0;
    return stored;
}

void SetUnitIndex(const TUnitField& field, int index) {
    TUnitStore::Instance().Store(field.Name(), index);
}

std::string GetUnitName(const TUnitField& field) {
    return std::string(GetUnitInfo(field.Kind(), GetUnitIndex(field)).Name);
}

namespace {

// Stores and returns the row after `index` of the field's kind, the first after the last. A
// field without a kind has only the default row and stores nothing.
int AdvanceUnit(const TUnitField& field, int index) {
    const int kind = field.Kind();
    if (kind < 1 || kind > QuantityKindCount)
        return index;
    const int next = index + 1 >= UnitCount(kind) ? 0 : index + 1;
    SetUnitIndex(field, next);
    return next;
}

} // namespace

std::string CycleUnit(TUnitField& field) {
    const int kind = field.Kind();
    const int index = GetUnitIndex(field);
    const TStr2ValResult value = Str2Val(field.Text(), kind, index);
    const int next = AdvanceUnit(field, index);
    if (value.Converted)
        field.SetText(Val2Str(kind, next, value.Value));
    return std::string(GetUnitInfo(kind, next).Name);
}

bool StepValue(TUnitField& field, TStepKey key) {
    if (key == TStepKey::Other)
        return false;
    const int kind = field.Kind();
    const int index = GetUnitIndex(field);
    const TStr2ValResult value = Str2Val(field.Text(), kind, index);
    if (!value.Converted)
        return false;
    // The SI value is stepped, so a step is the same quantity whatever unit is shown.
    const double stepped = key == TStepKey::Up ? value.Value * 1.05 : value.Value / 1.05;
    const std::string text = Val2Str(kind, index, stepped);
    if (text == field.Text())
        return false;
    field.SetText(text);
    return true;
}

bool TryParseInteger(const std::string& text, int32_t& value) {
    std::string_view view(text);
    while (!view.empty() && (view.front() == ' ' || view.front() == '\t'))
        view.remove_prefix(1);
    while (!view.empty() && (view.back() == ' ' || view.back() == '\t'))
        view.remove_suffix(1);
    if (!view.empty() && view.front() == '+')
        view.remove_prefix(1);
    if (view.empty())
        return false;
    int32_t parsed = 0;
    auto [ptr, ec] = std::from_chars(view.data(), view.data() + view.size(), parsed);
    if (ec != std::errc() || ptr != view.data() + view.size())
        return false;
    value = parsed;
    return true;
}

// --- binder ------------------------------------------------------------------------------

void TUnitHelper::AddFloat(TUnitField& edit, double* value, char* letter, TUnitField* label) {
    m_Floats.push_back({&edit, value, letter, label, std::nullopt});
}

void TUnitHelper::AddFloatNoState(TUnitField& control, double* value, TUnitField* label) {
    m_Floats.push_back({&control, value, nullptr, label, std::nullopt});
}

void TUnitHelper::AddInteger(TUnitField& edit, int32_t* value) {
    m_Integers.push_back({&edit, value, std::nullopt});
}

void TUnitHelper::UpdateUnitLabels() {
    for (FloatBinding& binding : m_Floats)
        if (binding.Label != nullptr)
            binding.Label->SetText(GetUnitName(*binding.Field));
}

bool TUnitHelper::Modified() const {
    for (const FloatBinding& binding : m_Floats)
        if (binding.Field->Modified())
            return true;
    for (const IntegerBinding& binding : m_Integers)
        if (binding.Field->Modified())
            return true;
    return false;
}

void TUnitHelper::SetModified(bool modified) {
    for (FloatBinding& binding : m_Floats)
        binding.Field->SetModified(modified);
    for (IntegerBinding& binding : m_Integers)
        binding.Field->SetModified(modified);
}

bool TUnitHelper::ChangedByUser(const TUnitField& field, const std::optional<std::string>&) {
    // Only the user's change counts: text the program wrote into a field, through the binder
    // or not, is never read back (it would come back rounded and, for a parameter, as entered).
    return field.Modified();
}

void TUnitHelper::Show(TUnitField& field, const std::string& text, std::optional<std::string>& shown) {
    field.SetText(text);
    // Remember what the field really holds: a widget may normalise what it is given.
    shown = field.Text();
}

TUnitHelper::TCommitResult TUnitHelper::CommitFloat(FloatBinding& binding, bool firstRead) {
    TUnitField& field = *binding.Field;
    // A field the binder never filled is read once, unless it edits a parameter: a
    // parameter changes only by typing, which is what gives it the letter "E".
    const bool readUnshown = firstRead && binding.Letter == nullptr && !binding.Shown;
    if (!readUnshown && !ChangedByUser(field, binding.Shown))
        return TCommitResult::Unchanged;
    const int kind = field.Kind();
    const int index = GetUnitIndex(field);
    const TStr2ValResult value = Str2Val(field.Text(), kind, index);
    if (!value.Converted) {
        Show(field, Val2Str(kind, index, *binding.Value), binding.Shown);
        return TCommitResult::Rejected;
    }
    *binding.Value = value.Value;
    if (binding.Letter != nullptr)
        *binding.Letter = value.Value != 0 ? 'E' : 'N';
    binding.Shown = field.Text();
    return TCommitResult::Accepted;
}

TUnitHelper::TCommitResult TUnitHelper::CommitInteger(IntegerBinding& binding, bool firstRead) {
    TUnitField& field = *binding.Field;
    if (!(firstRead && !binding.Shown) && !ChangedByUser(field, binding.Shown))
        return TCommitResult::Unchanged;
    int32_t parsed = 0;
    if (!TryParseInteger(field.Text(), parsed)) {
        Show(field, std::to_string(*binding.Value), binding.Shown);
        return TCommitResult::Rejected;
    }
    *binding.Value = parsed;
    binding.Shown = field.Text();
    return TCommitResult::Accepted;
}

std::vector<TUnitField*> TUnitHelper::ReadValues() {
    std::vector<TUnitField*> rejected;
    for (FloatBinding& binding : m_Floats)
        if (CommitFloat(binding, true) == TCommitResult::Rejected)
            rejected.push_back(binding.Field);
    for (IntegerBinding& binding : m_Integers)
        if (CommitInteger(binding, true) == TCommitResult::Rejected)
            rejected.push_back(binding.Field);
    return rejected;
}

void TUnitHelper::WriteValues() {
    for (FloatBinding& binding : m_Floats) {
        TUnitField& field = *binding.Field;
        if (binding.Letter != nullptr)
            field.ShowState(*binding.Letter);
        if (!field.Focused())
            Show(field, Val2Str(field.Kind(), GetUnitIndex(field), *binding.Value), binding.Shown);
    }
    for (IntegerBinding& binding : m_Integers)
        if (!binding.Field->Focused())
            Show(*binding.Field, std::to_string(*binding.Value), binding.Shown);
}

TUnitHelper::TCommitResult TUnitHelper::Commit(TUnitField& field) {
    for (FloatBinding& binding : m_Floats)
        if (binding.Field == &field)
            return CommitFloat(binding, false);
    for (IntegerBinding& binding : m_Integers)
        if (binding.Field == &field)
            return CommitInteger(binding, false);
    return TCommitResult::NotBound;
}

std::string TUnitHelper::CycleUnit(TUnitField& field) {
    for (FloatBinding& binding : m_Floats) {
        if (binding.Field != &field || !binding.Shown)
            continue;
        // A committed entry is the variable's value already: the new unit shows the variable,
        // not the committed text converted, which would come back rounded at the next commit.
        if (ChangedByUser(field, binding.Shown) && field.Text() != *binding.Shown)
            continue;
        const int kind = field.Kind();
        const int next = AdvanceUnit(field, GetUnitIndex(field));
        Show(field, Val2Str(kind, next, *binding.Value), binding.Shown);
        return std::string(GetUnitInfo(kind, next).Name);
    }
    // What the user typed and did not commit yet stays the user's change in the new unit.
    const bool typed = field.Modified();
    std::string name = ::CycleUnit(field);
    if (typed)
        field.SetModified(true);
    return name;
}
