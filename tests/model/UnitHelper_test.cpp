#include "model/UnitHelper.h"
#include "model/Units.h"

#include "tests/platform/Unprivileged.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A field without a display: it behaves as an edit does towards the binder.
class FakeField : public TUnitField {
public:
    FakeField(std::string name, int kind) : m_Name(std::move(name)), m_Kind(kind) {}

    std::string Name() const override { return m_Name; }
    int Kind() const override { return m_Kind; }
    std::string Text() const override { return m_Text; }
    void SetText(const std::string& text) override {
        m_Text = text;
        m_Modified = false;
        ++writes;
    }
    bool Focused() const override { return focused; }
    bool Modified() const override { return m_Modified; }
    void SetModified(bool modified) override { m_Modified = modified; }
    void ShowState(char letter) override { state = letter; }

    // What the user does.
    void Type(const std::string& text) {
        m_Text = text;
        m_Modified = true;
    }

    bool focused = false;
    char state = 0;
    int writes = 0;

private:
    std::string m_Name;
    int m_Kind;
    std::string m_Text;
    bool m_Modified = false;
};

std::string ReadBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    // Written beside and renamed, as another instance of the program would.
    const fs::path temporary = path.string() + ".other";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    fs::rename(temporary, path);
}

std::string Record(const std::string& name, int32_t index) {
    std::string record(TUnitStore::RecordSize, '\0');
    record[0] = static_cast<char>(name.size());
    record.replace(1, name.size(), name);
    const auto raw = static_cast<uint32_t>(index);
    for (int b = 0; b < 4; ++b)
        record[256 + static_cast<std::size_t>(b)] = static_cast<char>((raw >> (8 * b)) & 0xFF);
    return record;
}

class UnitStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetDecimalSeparator('.');
        std::random_device seed;
        folder = fs::temp_directory_path() / ("borvik-units-" + std::to_string(seed()));
        fs::create_directories(folder);
        file = folder / "UNITINDEX.DAT";
        TUnitStore::Instance().SetPath(file);
    }
    void TearDown() override {
        SetDecimalSeparator(0);
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    fs::path folder;
    fs::path file;
};

TEST_F(UnitStoreTest, MissingFileIsCreatedWithOneRecordAtTheFirstLookup) {
    FakeField field("edFs", qkFrequency);
    EXPECT_EQ(GetUnitIndex(field), 0);
    EXPECT_EQ(ReadBytes(file), Record("edFs", 0));
}

TEST_F(UnitStoreTest, RecordsAre260BytesKeyedByExactName) {
    FakeField fs1("edFs", qkFrequency);
    FakeField upper("EDFS", qkFrequency);
    FakeField vas("edVas", qkVolume);
    SetUnitIndex(fs1, 1);
    SetUnitIndex(vas, 3);
    EXPECT_EQ(GetUnitIndex(upper), 0);
    SetUnitIndex(fs1, 0); // overwritten in place, not appended
    SetUnitIndex(fs1, 1);
    EXPECT_EQ(ReadBytes(file), Record("edFs", 1) + Record("edVas", 3) + Record("EDFS", 0));
    EXPECT_EQ(GetUnitIndex(fs1), 1);
    EXPECT_EQ(GetUnitIndex(vas), 3);
    EXPECT_EQ(GetUnitName(vas), "ft^3");
}

TEST_F(UnitStoreTest, ChoicesSurviveAReload) {
    SetUnitIndex(FakeField("edTemperature", qkTemperature), 2);
    TUnitStore::Instance().SetPath(file); // forgets the records in memory
    EXPECT_EQ(GetUnitIndex(FakeField("edTemperature", qkTemperature)), 2);
    EXPECT_EQ(GetUnitName(FakeField("edTemperature", qkTemperature)), "\u00B0F");
}

TEST_F(UnitStoreTest, ChangeOfTheFileByAnotherProgramIsSeen) {
    FakeField field("edLe", qkInductance);
    EXPECT_EQ(GetUnitIndex(field), 0);
    WriteBytes(file, Record("edLe", 1));
    EXPECT_EQ(GetUnitIndex(field), 1);
}

TEST_F(UnitStoreTest, NamesLongerThan255CharactersAreCut) {
    const std::string longName(300, 'a');
    SetUnitIndex(FakeField(longName, qkLength), 2);
    EXPECT_EQ(GetUnitIndex(FakeField(std::string(255, 'a') + "different tail", qkLength)), 2);
    EXPECT_EQ(fs::file_size(file), 260u);
}

TEST_F(UnitStoreTest, DamagedFilesDoNotCrash) {
    std::mt19937 random(12345);
    std::string garbage(100, '\0');
    for (char& c : garbage)
        c = static_cast<char>(random());
    WriteBytes(file, garbage);
    EXPECT_EQ(GetUnitIndex(FakeField("edFs", qkFrequency)), 0);
    EXPECT_EQ(ReadBytes(file), Record("edFs", 0)); // the torn part is dropped

    // Whole records are kept, a torn tail is ignored, indices outside the rows show row 0.
    WriteBytes(file, Record("edRe", 0) + Record("edFs", -5) + Record("edQts", 1 << 30) + "torn");
    EXPECT_EQ(GetUnitIndex(FakeField("edFs", qkFrequency)), 0);
    EXPECT_EQ(GetUnitIndex(FakeField("edQts", qkFrequency)), 0);
    EXPECT_EQ(GetUnitName(FakeField("edQts", qkFrequency)), "Hz");
    SetUnitIndex(FakeField("edQts", qkFrequency), 1);
    EXPECT_EQ(ReadBytes(file), Record("edRe", 0) + Record("edFs", -5) + Record("edQts", 1));
}

TEST_F(UnitStoreTest, UnwritableFolderKeepsTheChoiceForThisRun) {
    TUnitStore::Instance().SetPath(folder / "missing" / "UNITINDEX.DAT");
    FakeField field("edFs", qkFrequency);
    EXPECT_EQ(GetUnitIndex(field), 0);
    EXPECT_FALSE(TUnitStore::Instance().Store("edFs", 1));
    EXPECT_EQ(GetUnitIndex(field), 1);
    EXPECT_FALSE(fs::exists(folder / "missing"));
}

TEST_F(UnitStoreTest, AFileThatCannotBeReadIsNotReplaced) {
    if (platformtest::RerunAsUnprivilegedUser())
        return;
    const std::string stored = Record("edFs", 1) + Record("edVas", 2);
    WriteBytes(file, stored);
    fs::permissions(file, fs::perms::none);
    TUnitStore::Instance().SetPath(file);
    FakeField field("edLe", qkInductance);
    EXPECT_EQ(GetUnitIndex(field), 0);
    EXPECT_FALSE(TUnitStore::Instance().Store("edLe", 1));
    EXPECT_EQ(GetUnitIndex(field), 1); // holds for this run
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(ReadBytes(file), stored);
}

// The first write that fails says so, once, with the file and the reason; the later ones are
// silent, and every choice still holds for the run.
TEST_F(UnitStoreTest, TheFirstFailingWriteIsToldOnce) {
    if (platformtest::RerunAsUnprivilegedUser())
        return;
    const fs::path readOnly = folder / "readonly";
    fs::create_directories(readOnly / "Drivers");
    fs::create_directories(readOnly / "Projects");
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::owner_exec);
    const fs::path locked = folder / "locked.DAT";
    WriteBytes(locked, Record("edFs", 1));
    fs::permissions(locked, fs::perms::none);
    const struct {
        fs::path file;
        std::string why;
    } rows[] = {
        {readOnly / "UNITINDEX.DAT", "Cannot create a file in \"" + readOnly.string() + "\": Permission denied"},
        {folder / "missing" / "UNITINDEX.DAT",
         "Cannot create a file in \"" + (folder / "missing").string() + "\": No such file or directory"},
        {locked, "\"" + locked.string() + "\" cannot be read, so it is not written over"},
    };
    for (const auto& row : rows) {
        std::vector<std::string> told;
        TUnitStore::Instance().SetPath(row.file);
        TUnitStore::Instance().SetWriteFailureHandler([&](const std::string& message) { told.push_back(message); });
        FakeField field("edFs", qkFrequency);
        SetUnitIndex(field, 1);
        EXPECT_FALSE(TUnitStore::Instance().Store("edVas", 1));
        EXPECT_FALSE(TUnitStore::Instance().Store("edLe", 1));
        EXPECT_EQ(GetUnitIndex(field), 1) << row.file;
        EXPECT_EQ(told, std::vector<std::string>{"The unit choices could not be saved: " + row.why +
                                                 ". The units chosen now hold until the program ends."});
        TUnitStore::Instance().SetWriteFailureHandler({});
    }
    // A failure before anyone listens is told when the listener comes.
    TUnitStore::Instance().SetPath(folder / "missing" / "UNITINDEX.DAT");
    EXPECT_FALSE(TUnitStore::Instance().Store("edFs", 1));
    int later = 0;
    TUnitStore::Instance().SetWriteFailureHandler([&](const std::string&) { ++later; });
    EXPECT_EQ(later, 1);
    TUnitStore::Instance().SetWriteFailureHandler({});
}

TEST_F(UnitStoreTest, CycleUnitWrapsAndKeepsTheQuantity) {
    FakeField fs1("edFs", qkFrequency);
    fs1.SetText("1500.00");
    EXPECT_EQ(CycleUnit(fs1), "kHz");
    EXPECT_EQ(fs1.Text(), "1.50000");
    EXPECT_EQ(CycleUnit(fs1), "Hz");
    EXPECT_EQ(fs1.Text(), "1500.00");
    EXPECT_EQ(GetUnitIndex(fs1), 0);

    FakeField re("edRe", qkResistance);
    re.SetText("6.2");
    EXPECT_EQ(CycleUnit(re), "ohm");
    EXPECT_EQ(re.Text(), "6.200");

    FakeField noKind("edValue", qkNone);
    noKind.SetText("2");
    EXPECT_EQ(CycleUnit(noKind), "");
    EXPECT_EQ(noKind.Text(), "2.000");

    FakeField typo("edTemp", qkTemperature);
    typo.Type("2o");
    EXPECT_EQ(CycleUnit(typo), "\u00B0C");
    EXPECT_EQ(typo.Text(), "2o"); // left for the commit to refuse
}

TEST_F(UnitStoreTest, StepValueMultipliesAndDividesBy105) {
    FakeField field("edFb", qkFrequency);
    field.SetText("100");
    EXPECT_TRUE(StepValue(field, TStepKey::Up));
    EXPECT_EQ(field.Text(), "105.00");
    field.SetText("105");
    EXPECT_TRUE(StepValue(field, TStepKey::Down));
    EXPECT_EQ(field.Text(), "100.00");
    EXPECT_FALSE(StepValue(field, TStepKey::Other));
    EXPECT_EQ(field.Text(), "100.00");
    field.Type("x");
    EXPECT_FALSE(StepValue(field, TStepKey::Up));
    EXPECT_EQ(field.Text(), "x");
}

// --- the binder ---------------------------------------------------------------------------

class UnitHelperTest : public UnitStoreTest {};

TEST_F(UnitHelperTest, RefreshNeverChangesTheStoredValue) {
    FakeField length("edLength", qkLength);
    FakeField cms("edCms", qkCompliance);
    SetUnitIndex(length, 1); // mm, one decimal
    double value = 0.123456789;
    double compliance = 0.00012345678;
    char letter = 'C';
    TUnitHelper helper;
    helper.AddFloatNoState(length, &value);
    helper.AddFloat(cms, &compliance, &letter);
    helper.WriteValues();
    EXPECT_EQ(length.Text(), "123.5");
    EXPECT_EQ(cms.Text(), "0.0001235");
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(helper.ReadValues().empty());
        helper.WriteValues();
    }
    EXPECT_EQ(value, 0.123456789);
    EXPECT_EQ(compliance, 0.00012345678);
    EXPECT_EQ(letter, 'C');
}

TEST_F(UnitHelperTest, TypedValuesAreStoredAndLettersFollow) {
    FakeField fs1("edFs", qkFrequency);
    FakeField qts("edQts", qkNone);
    double fsValue = 0;
    double qtsValue = 0.4;
    char fsLetter = 'N';
    char qtsLetter = 'C';
    TUnitHelper helper;
    helper.AddFloat(fs1, &fsValue, &fsLetter);
    helper.AddFloat(qts, &qtsValue, &qtsLetter);
    helper.WriteValues();
    EXPECT_FALSE(helper.Modified());

    fs1.Type("31,5");
    qts.Type("0");
    EXPECT_TRUE(helper.Modified());
    EXPECT_TRUE(helper.ReadValues().empty());
    EXPECT_EQ(fsValue, 31.5);
    EXPECT_EQ(fsLetter, 'E');
    EXPECT_EQ(qtsValue, 0);
    EXPECT_EQ(qtsLetter, 'N');

    helper.SetModified(false);
    EXPECT_FALSE(helper.Modified());
}

TEST_F(UnitHelperTest, AnEmptiedFieldIsUnknownWhateverItsUnit) {
    FakeField temperature("edTamb", qkTemperature);
    SetUnitIndex(temperature, 1); // degC: an empty text is not 0 degC
    double kelvin = 293.15;
    char letter = 'E';
    TUnitHelper helper;
    helper.AddFloat(temperature, &kelvin, &letter);
    helper.WriteValues();
    temperature.Type("");
    EXPECT_TRUE(helper.ReadValues().empty());
    EXPECT_EQ(kelvin, 0);
    EXPECT_EQ(letter, 'N');
}

TEST_F(UnitHelperTest, FocusedFieldKeepsItsTextButTakesItsColour) {
    FakeField fs1("edFs", qkFrequency);
    double value = 40;
    char letter = 'C';
    TUnitHelper helper;
    helper.AddFloat(fs1, &value, &letter);
    fs1.focused = true;
    fs1.Type("4");
    helper.WriteValues();
    EXPECT_EQ(fs1.Text(), "4");
    EXPECT_EQ(fs1.state, 'C');
    fs1.focused = false;
    letter = 'E';
    helper.WriteValues();
    EXPECT_EQ(fs1.Text(), "40.00");
    EXPECT_EQ(fs1.state, 'E');
}

TEST_F(UnitHelperTest, CommittedTextIsJudgedAndARejectedEntryRestored) {
    FakeField temperature("edTemperature", qkTemperature);
    SetUnitIndex(temperature, 1);
    double kelvin = 293.15;
    TUnitHelper helper;
    helper.AddFloatNoState(temperature, &kelvin);
    helper.WriteValues();
    EXPECT_EQ(temperature.Text(), "20.00");

    EXPECT_EQ(helper.Commit(temperature), TUnitHelper::TCommitResult::Unchanged);
    temperature.Type("2x");
    EXPECT_EQ(helper.Commit(temperature), TUnitHelper::TCommitResult::Rejected);
    EXPECT_EQ(kelvin, 293.15); // not 273.15: the failed entry is not read as 0 degC
    EXPECT_EQ(temperature.Text(), "20.00");

    temperature.Type("25");
    EXPECT_EQ(helper.Commit(temperature), TUnitHelper::TCommitResult::Accepted);
    EXPECT_NEAR(kelvin, 298.15, 1e-12);

    FakeField stranger("edOther", qkNone);
    EXPECT_EQ(helper.Commit(stranger), TUnitHelper::TCommitResult::NotBound);
}

TEST_F(UnitHelperTest, ReadValuesReportsAndRestoresRefusedFields) {
    FakeField fs1("edFs", qkFrequency);
    FakeField count("sDrivers", qkNone);
    double value = 50;
    char letter = 'E';
    int32_t drivers = 2;
    TUnitHelper helper;
    helper.AddFloat(fs1, &value, &letter);
    helper.AddInteger(count, &drivers);
    helper.WriteValues();
    EXPECT_EQ(count.Text(), "2");

    fs1.Type("fifty");
    count.Type("3.5");
    const auto refused = helper.ReadValues();
    ASSERT_EQ(refused.size(), 2u);
    EXPECT_EQ(refused[0], &fs1);
    EXPECT_EQ(refused[1], &count);
    EXPECT_EQ(value, 50);
    EXPECT_EQ(letter, 'E');
    EXPECT_EQ(drivers, 2);
    EXPECT_EQ(fs1.Text(), "50.00");
    EXPECT_EQ(count.Text(), "2");

    count.Type(" 4 ");
    EXPECT_TRUE(helper.ReadValues().empty());
    EXPECT_EQ(drivers, 4);
}

TEST_F(UnitHelperTest, UnshownFieldWithoutLetterIsReadOnce) {
    FakeField power("edPower", qkPower);
    power.SetText("12.5");
    double watts = 1;
    TUnitHelper helper;
    helper.AddFloatNoState(power, &watts);
    EXPECT_TRUE(helper.ReadValues().empty());
    EXPECT_EQ(watts, 12.5);
}

TEST_F(UnitHelperTest, UnitLabelsShowTheFieldsUnit) {
    FakeField vas("edVas", qkVolume);
    FakeField label("lblVas", qkNone);
    SetUnitIndex(vas, 1);
    double value = 0.05;
    char letter = 'E';
    TUnitHelper helper;
    helper.AddFloat(vas, &value, &letter, &label);
    helper.UpdateUnitLabels();
    EXPECT_EQ(label.Text(), "l");
}

TEST_F(UnitHelperTest, CyclingABoundFieldLosesNoDigits) {
    FakeField length("edDist", qkLength);
    double metres = 0.0004;
    TUnitHelper helper;
    helper.AddFloatNoState(length, &metres);
    helper.WriteValues();
    EXPECT_EQ(length.Text(), "0.000");
    EXPECT_EQ(helper.CycleUnit(length), "mm");
    EXPECT_EQ(length.Text(), "0.4"); // through the text it would be 0.0
    EXPECT_EQ(metres, 0.0004);
    EXPECT_TRUE(helper.ReadValues().empty());
    EXPECT_EQ(metres, 0.0004);

    // What the user typed and did not commit yet is converted as typed.
    length.Type("10");
    EXPECT_EQ(helper.CycleUnit(length), "cm");
    EXPECT_EQ(length.Text(), "1.00");
    EXPECT_EQ(helper.Commit(length), TUnitHelper::TCommitResult::Accepted);
    EXPECT_NEAR(metres, 0.01, 1e-15);
}

TEST_F(UnitHelperTest, ACommittedEntryChangesUnitFromItsValue) {
    // Xmax typed in metres and committed, then looked at in every other unit and back: the
    // coarser texts on the way (0.492 in, 0.012 m with three decimals) must not become the value.
    FakeField length("edPRXmax", qkLength);
    double metres = 0;
    TUnitHelper helper;
    helper.AddFloatNoState(length, &metres);
    helper.WriteValues();
    length.Type("0.0125");
    EXPECT_EQ(helper.Commit(length), TUnitHelper::TCommitResult::Accepted);
    EXPECT_EQ(metres, 0.0125);
    for (int step = 0; step < UnitCount(qkLength); ++step) {
        helper.CycleUnit(length);
        EXPECT_EQ(length.Text(), Val2Str(qkLength, GetUnitIndex(length), 0.0125)) << step;
        EXPECT_NE(helper.Commit(length), TUnitHelper::TCommitResult::Accepted) << step;
        EXPECT_EQ(metres, 0.0125) << step;
    }
    EXPECT_TRUE(helper.ReadValues().empty());
    EXPECT_EQ(metres, 0.0125);
}

TEST_F(UnitHelperTest, AUnitChosenInOneWindowAppliesAtOnceToTheOther) {
    FakeField first("edFs", qkFrequency);
    FakeField second("edFs", qkFrequency);
    FakeField firstLabel("lblFs", qkNone);
    FakeField secondLabel("lblFs", qkNone);
    double a = 1234.5;
    double b = 50;
    TUnitHelper editor;
    TUnitHelper project;
    editor.AddFloatNoState(first, &a, &firstLabel);
    project.AddFloatNoState(second, &b, &secondLabel);
    editor.WriteValues();
    project.WriteValues();
    EXPECT_EQ(second.Text(), "50.00");

    firstLabel.SetText(editor.CycleUnit(first));
    EXPECT_EQ(first.Text(), "1.23450");
    project.WriteValues();
    project.UpdateUnitLabels();
    EXPECT_EQ(second.Text(), "0.05000");
    EXPECT_EQ(secondLabel.Text(), "kHz");
    EXPECT_EQ(b, 50);
}

TEST(IntegerText, WholeNumbersOnly) {
    int32_t value = 0;
    EXPECT_TRUE(TryParseInteger("12", value));
    EXPECT_EQ(value, 12);
    EXPECT_TRUE(TryParseInteger("-3", value));
    EXPECT_EQ(value, -3);
    for (const char* text : {"", "x", "1.0", "99999999999", "1 2"})
        EXPECT_FALSE(TryParseInteger(text, value)) << text;
    EXPECT_EQ(value, -3);
}

} // namespace

TEST_F(UnitHelperTest, OnlyTheUsersChangeIsReadAndMarkedEntered) {
    FakeField fs1("edFs", qkFrequency);
    double value = 31.25;
    char letter = 'C';
    TUnitHelper helper;
    helper.AddFloat(fs1, &value, &letter);
    helper.WriteValues();
    EXPECT_EQ(fs1.Text(), "31.25");

    // Struct rows: what wrote the text, what the variable and the letter become.
    struct Case {
        const char* what;
        bool byUser;
        const char* text;
        double expected;
        char expectedLetter;
    };
    const Case cases[] = {
        {"program writes a rounded text past the binder", false, "31.3", 31.25, 'C'},
        {"program writes another value past the binder", false, "40", 31.25, 'C'},
        {"user types the same value as shown", true, "31.25", 31.25, 'E'},
        {"user types a new value", true, "45", 45, 'E'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        value = 31.25;
        letter = 'C';
        helper.WriteValues();
        if (c.byUser)
            fs1.Type(c.text);
        else
            fs1.SetText(c.text);
        EXPECT_TRUE(helper.ReadValues().empty());
        EXPECT_EQ(value, c.expected);
        EXPECT_EQ(letter, c.expectedLetter);
        helper.SetModified(false);
    }
}
