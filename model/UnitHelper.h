#pragma once
// Numeric fields with display units, and the binder that ties a window's fields to the
// SI variables they edit.
//
// The core knows fields only through TUnitField, so it runs without a display; the Qt
// widgets are adapted in workspace/UnitWidgets.h.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A field as the unit functions see it: an edit, a combo box, a label or a panel.
class TUnitField {
public:
    virtual ~TUnitField() = default;

    // The component name: fields of the same name share one display unit.
    virtual std::string Name() const = 0;
    // The quantity kind the field shows (its tag); 0 for none.
    virtual int Kind() const = 0;

    virtual std::string Text() const = 0;
    // Text written by the program; an edit's modified flag is cleared by it.
    virtual void SetText(const std::string& text) = 0;

    virtual bool Focused() const { return false; }
    // Only edits keep a modified flag: set when the user typed since the last SetText.
    virtual bool Modified() const { return false; }
    virtual void SetModified(bool) {}
    // Shows a parameter's state letter: "C" calculated, "E" entered, "N" not determined.
    virtual void ShowState(char /*letter*/) {}
};

// The field's unit row: the stored choice for its name, row 0 when the stored index is
// not a row of the field's kind.
int GetUnitIndex(const TUnitField& field);
void SetUnitIndex(const TUnitField& field, int index);
std::string GetUnitName(const TUnitField& field);

inline std::string GetControlText(const TUnitField& field) {
    return field.Text();
}
inline void SetControlText(TUnitField& field, const std::string& text) {
    field.SetText(text);
}

// Advances the field to the next unit of its kind (after the last row back to the first),
// stores the choice and shows the same quantity in the new unit; returns the new unit's
// name. Text that is not a number is left as it stands. A field without a kind keeps its
// index and gets an empty name.
std::string CycleUnit(TUnitField& field);

enum class TStepKey { Up, Down, Other };

// Up multiplies the shown value by 1.05, Down divides it by 1.05. Returns whether the text
// changed (other keys and text that is not a number change nothing).
bool StepValue(TUnitField& field, TStepKey key);

// Binds fields to the variables they edit. The binder owns its binding records only; the
// fields and the variables must outlive it.
//
// Display is not storage: the binder reads a field back only when the user changed it (the
// field's modified flag: typing, an arrow-key step, a choice from a list), never text the
// program wrote, so refreshing never rounds a value through its display text and a written
// value never comes back as entered. Typed text is judged when it is committed; text that is not a
// number is refused and the field shows its variable's value again.
class TUnitHelper {
public:
    enum class TCommitResult {
        NotBound,  // the field is not bound by this helper
        Unchanged, // the field shows what the binder wrote; nothing to store
        Accepted,  // the variable now holds the typed value
        Rejected,  // the text was not a number; the field shows the variable again
    };

    // A parameter of a driver: reading marks it "E" when the value is not 0, else "N";
    // writing colours the field by the letter. `label` shows the unit's name.
    void AddFloat(TUnitField& edit, double* value, char* letter, TUnitField* label = nullptr);
    void AddFloatNoState(TUnitField& control, double* value, TUnitField* label = nullptr);
    void AddInteger(TUnitField& edit, int32_t* value);

    void UpdateUnitLabels();
    // Whether the user typed into any bound edit since SetModified(false).
    bool Modified() const;
    void SetModified(bool modified);

    // Reads every field the user changed into its variable; returns the fields whose text
    // was refused (each restored to its variable's value).
    std::vector<TUnitField*> ReadValues();
    // Shows every variable in its field's unit, except in the field that holds the focus;
    // the colour of a parameter's field follows its letter even there.
    void WriteValues();

    // Judges one field's text, as when the user presses Enter or leaves the field.
    TCommitResult Commit(TUnitField& field);

    // CycleUnit of a bound field: a field the user did not change is shown again from its
    // variable, so switching units never loses digits.
    std::string CycleUnit(TUnitField& field);

private:
    struct FloatBinding {
        TUnitField* Field;
        double* Value;
        char* Letter;
        TUnitField* Label;
        std::optional<std::string> Shown;
    };
    struct IntegerBinding {
        TUnitField* Field;
        int32_t* Value;
        std::optional<std::string> Shown;
    };

    static bool ChangedByUser(const TUnitField& field, const std::optional<std::string>& shown);
    static void Show(TUnitField& field, const std::string& text, std::optional<std::string>& shown);
    TCommitResult CommitFloat(FloatBinding& binding, bool firstRead);
    TCommitResult CommitInteger(IntegerBinding& binding, bool firstRead);

    std::vector<FloatBinding> m_Floats;
    std::vector<IntegerBinding> m_Integers;
};

// The whole-number text of an integer field; false when it is not one.
bool TryParseInteger(const std::string& text, int32_t& value);
