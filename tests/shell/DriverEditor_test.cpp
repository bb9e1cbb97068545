#include "shell/DrvEdit.h"

#include "flatctl/ShownText.h"
#include "flatctl/TFlatEditUnit.h"
#include "flatctl/TFlatMemoUnit.h"
#include "model/DB_Text2.h"
#include "model/Derivation.h"
#include "model/SaveToFile_Utils.h"
#include "platform/Dialogs.h"
#include "platform/IniFile.h"
#include "shell/DriverEditorFields.h"
#include "shell/DriverParameterErrors.h"
#include "shell/Settings.h"
#include "tests/shell/WindowTestSupport.h"
#include "workspace/DragUtil.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>

#include <cmath>
#include <fstream>
#include <numbers>
#include <set>
#include <sstream>

using windowtest::Leave;
using windowtest::Type;
using windowtest::TypeAndLeave;

namespace {

const QColor Calculated(0, 0, 255);
const QColor Entered(0, 128, 0);

class DriverEditorTest : public windowtest::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        drivers = folder.path() / "Drivers";
        std::filesystem::create_directories(drivers);
        DriverDatabase.Directory = drivers.string() + "/";
        TC.UserName = "tester";
        editor = new TfrmDriverEditor;
        editor->show();
    }
    void TearDown() override {
        delete editor.data();
        delete frmParErrors;
        WindowTest::TearDown();
    }

    QLineEdit* Edit(const char* name) const { return editor->findChild<QLineEdit*>(name); }
    QString Text(const char* name) const { return Edit(name)->text(); }
    QColor Colour(const char* name) const { return Edit(name)->palette().color(QPalette::Text); }
    void Enter(const char* name, const QString& text) { TypeAndLeave(Edit(name), text); }

    std::string FileText(const std::filesystem::path& path) const {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::filesystem::path drivers;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scoped{dialogs};
    QPointer<TfrmDriverEditor> editor;
};

TEST_F(DriverEditorTest, QtsFollowsQmsAndQesInTheCalculatedColour) {
    Enter("edQms", "4");
    Enter("edQes", "0.4");
    EXPECT_EQ(Text("edQts"), "0.364");
    EXPECT_EQ(Colour("edQts"), Calculated);
    EXPECT_EQ(Colour("edQms"), Entered);
    EXPECT_EQ(Colour("edQes"), Entered);

    Enter("edQes", "0.5");
    EXPECT_EQ(Text("edQts"), "0.444");
    EXPECT_EQ(Colour("edQts"), Calculated);
    EXPECT_EQ(dialogs.messages.size(), 0u);
}

TEST_F(DriverEditorTest, FsQesAndVasGiveEfficiencyBandwidthAndSensitivityButNoVoltageSensitivity) {
    Enter("edC", "343.68");
    Enter("edRoo", "1.2");
    Enter("edFs", "30");
    Enter("edQes", "0.4");
    Enter("edVas", "0.05");

    const double pi = std::numbers::pi;
    const double no = 4 * pi * pi * 30.0 * 30.0 * 30.0 * 0.05 / (std::pow(343.68, 3) * 0.4);
    const double spl = 10 * std::log10(no * 1.2 * 343.68 / (2 * pi * 2e-5 * 2e-5));
    const TDriverData& data = editor->Driver().Data;
    EXPECT_NEAR(data.no, no, 1e-12);
    EXPECT_NEAR(data.SPL, spl, 1e-9);
    EXPECT_DOUBLE_EQ(data.EBP, 75.0);
    EXPECT_EQ(Text("edEBP"), "75.00");
    EXPECT_EQ(Colour("edEBP"), Calculated);
    EXPECT_EQ(Text("edSPL"), QString::number(spl, 'f', 2));
    EXPECT_EQ(Colour("edSPL"), Calculated);
    EXPECT_EQ(data.USPL, 0.0);
    EXPECT_EQ(data.ParState[DriverPar::USPL], ParNotDetermined);
    EXPECT_EQ(Text("edUSPL"), "0.00");
}

TEST_F(DriverEditorTest, LeavingAnUnchangedFieldDerivesButEntersNothing) {
    editor->findChild<QAbstractButton*>("chkAutoCalc")->click();
    ASSERT_FALSE(editor->AutoCalc());
    Enter("edQms", "4");
    Enter("edQes", "0.4");
    EXPECT_EQ(Text("edQts"), "0.000");
    EXPECT_EQ(editor->Driver().Data.Qts, 0.0);

    editor->findChild<QAbstractButton*>("chkAutoCalc")->click();
    EXPECT_EQ(Text("edQts"), "0.364");

    // Leaving Qts without a change keeps it calculated; a new Qes still reaches it.
    Leave(Edit("edQts"));
    EXPECT_EQ(editor->Driver().Data.ParState[DriverPar::Qts], ParCalculated);
    Enter("edQes", "0.5");
    EXPECT_EQ(Text("edQts"), "0.444");
}

TEST_F(DriverEditorTest, AnInconsistentDriverIsListedAndNotSaved) {
    Enter("edQms", "4");
    Enter("edQes", "0.4");
    Enter("edQts", "0.5");
    Edit("edBrand")->setText("Brand");
    editor->btnSaveClick();

    EXPECT_TRUE(dialogs.saves.empty());
    ASSERT_NE(frmParErrors, nullptr);
    EXPECT_EQ(frmParErrors->Errors(), QStringList{"Qts, Qms, Qes"});
    EXPECT_TRUE(frmParErrors->isVisible());
    EXPECT_TRUE(std::filesystem::is_empty(drivers));

    // A second refusal reuses the open list.
    TfrmParErrors* first = frmParErrors;
    editor->btnSaveClick();
    EXPECT_EQ(frmParErrors, first);
    EXPECT_EQ(frmParErrors->Errors().size(), 1);
}

TEST_F(DriverEditorTest, TheErrorListHasAFixedFrameInTheWorkspace) {
    QMdiArea area;
    area.resize(900, 700);
    area.show();
    auto* list = new TfrmParErrors;
    list->SetErrors({"Qts, Qms, Qes"});
    QMdiSubWindow* frame = area.addSubWindow(list);
    frame->show();
    EXPECT_FALSE(frame->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(frame->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(frame->isVisible());
    frame->close();
}

TEST(DriverEditorFieldsTest, DefaultFileNameReplacesTheForbiddenCharactersAndFitsAFileName) {
    std::string umlauts;
    for (int i = 0; i < 200; ++i)
        umlauts += "ä";
    const struct {
        std::string brand;
        std::string model;
        std::string name;
    } cases[] = {
        {"A/B", "Mk:2?", "A_B Mk_2_.bvd"},
        {"Peak\"s", "x*y,z|w\\v", "Peak_s x_y_z_w_v.bvd"},
        {"It's", "", "It_s .bvd"},
        {"", "", " .bvd"},
        {"Bärwald", "Ø 8", "Bärwald Ø 8.bvd"},
        // A file name holds at most 255 bytes; a cut never splits a character.
        {std::string(250, 'b'), "M", std::string(250, 'b') + " .bvd"},
        {std::string(1024 * 1024, 'b'), "M", std::string(251, 'b') + ".bvd"},
        {umlauts, "", umlauts.substr(0, 250) + ".bvd"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DefaultDriverFileName(c.brand, c.model), c.name) << c.brand << " " << c.model;
}

TEST(DriverEditorFieldsTest, TheTableNamesEachValueByItsLetterOnce) {
    std::set<std::string> edits;
    std::set<std::string> labels;
    int unitLabels = 0;
    for (const TDriverFieldBinding& field : DriverEditorFields) {
        EXPECT_TRUE(edits.insert(field.edit).second) << field.edit;
        TDriverData data;
        if (field.letter >= 0) {
            EXPECT_EQ(ParameterOfLetter(data, field.letter), &(data.*field.value)) << field.edit;
        }
        if (field.unitLabel != nullptr) {
            ++unitLabels;
            EXPECT_TRUE(labels.insert(field.unitLabel).second) << field.unitLabel;
            EXPECT_NE(field.kind, 0) << field.edit;
        }
        EXPECT_EQ(field.recalculates, std::string(field.edit) != "eddia") << field.edit;
    }
    EXPECT_EQ(unitLabels, 44);
    // The two values without a letter are the air constants.
    EXPECT_EQ(FindDriverField("edC")->value, &TDriverData::c);
    EXPECT_EQ(FindDriverField("edRoo")->value, &TDriverData::roo);
    EXPECT_EQ(FindDriverField("edNothing"), nullptr);
}

TEST_F(DriverEditorTest, EveryTableFieldIsInTheWindowWithItsUnitLabel) {
    for (const TDriverFieldBinding& field : DriverEditorFields) {
        EXPECT_NE(Edit(field.edit), nullptr) << field.edit;
        if (field.unitLabel != nullptr) {
            auto* label = editor->findChild<QLabel*>(field.unitLabel);
            ASSERT_NE(label, nullptr) << field.unitLabel;
            EXPECT_FALSE(label->text().isEmpty()) << field.unitLabel;
        }
    }
    EXPECT_EQ(editor->findChild<QLabel*>("lblFs")->text(), "Hz");
    EXPECT_EQ(editor->windowTitle(), "Driver editor");
}

TEST_F(DriverEditorTest, SaveProposesTheSanitisedNameAndWritesTheDriverIntoTheDatabase) {
    Edit("edBrand")->setText("A/B");
    Edit("edModel")->setText("Mk:2?");
    Enter("edFs", "31.5");
    const std::filesystem::path target = drivers / "A_B Mk_2_.bvd";
    dialogs.saveAnswers.push_back(target.string());
    editor->btnSaveClick();

    ASSERT_EQ(dialogs.saves.size(), 1u);
    const platform::FileRequest& request = dialogs.saves.front();
    EXPECT_EQ(request.title, "Save driver");
    EXPECT_EQ(request.fileName, "A_B Mk_2_.bvd");
    EXPECT_TRUE(std::filesystem::equivalent(request.folder, drivers));
    EXPECT_EQ(request.defaultExtension, "bvd");
    EXPECT_TRUE(request.confirmOverwrite);
    ASSERT_EQ(request.filters.size(), 1u);
    EXPECT_EQ(request.filters.front().patterns, std::vector<std::string>{"*.bvd"});
    ASSERT_TRUE(std::filesystem::exists(target));

    std::vector<std::string> names;
    DriverDatabase.GetDriverList(names);
    EXPECT_EQ(names, std::vector<std::string>{"A_B Mk_2_"});
    TDriverObject stored;
    DriverDatabase.LoadDriver("A_B Mk_2_", stored);
    EXPECT_EQ(stored.Data.Brand, "A/B");
    EXPECT_EQ(stored.Data.Model, "Mk:2?");
    EXPECT_DOUBLE_EQ(stored.Data.Fs, 31.5);
    EXPECT_EQ(stored.Data.ProvidedBy, "tester");
    EXPECT_EQ(stored.Data.DateModified, TDate::Today());
}

TEST_F(DriverEditorTest, TheSavedFileKeepsItsKeyOrderAndLoadsBackWithValuesAndColours) {
    Edit("edManufacturer")->setText("Maker");
    Edit("edBrand")->setText("Brand");
    Edit("edModel")->setText("W8");
    editor->findChild<QPlainTextEdit*>("memoComment")->setPlainText("first\nsecond");
    Enter("edQms", "4");
    Enter("edQes", "0.4");
    Enter("edFs", "30");
    const std::filesystem::path target = drivers / "Brand W8.bvd";
    dialogs.saveAnswers.push_back(target.string());
    editor->btnSaveClick();
    ASSERT_TRUE(std::filesystem::exists(target));

    const std::string text = FileText(target);
    std::vector<std::string> keys;
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line.substr(0, 8), "[Driver]");
    while (std::getline(lines, line))
        if (const std::size_t equals = line.find('='); equals != std::string::npos)
            keys.push_back(line.substr(0, equals));
    const std::vector<std::string> expected = {
        "Brand",    "Model",  "Manufacturer", "ProvidedBy", "Comment", "DateAdded", "DateModified",
        "Qts",      "Znom",   "Fs",           "Pe",         "SPL",     "Re",        "Le",
        "fLe",      "KLe",    "BL",           "Xmax",       "Cms",     "Qms",       "Qes",
        "Rms",      "Mms",    "Sd",           "Vas",        "Dia",     "Vd",        "no",
        "Dd",       "EBP",    "numVC",        "Hc",         "Hg",      "SPLmax",    "SPLmaxLF",
        "USPL",     "alfaVC", "Rt",           "Ct",         "gamma",   "Rme",       "Mpow",
        "Mcost",    "Gloss",  "VCCon",        "c",          "roo",     "Thick",     "Depth",
        "MagDepth", "Magnet", "Basket",       "Outer",      "Vcd",     "DVol",      "ParState"};
    EXPECT_EQ(keys, expected);

    dialogs.messageAnswers.push_back(platform::ButtonYes);
    editor->btnClearClick();
    EXPECT_EQ(Text("edQts"), "0.000");
    EXPECT_EQ(Text("edBrand"), "");

    dialogs.openAnswers.push_back({target.string()});
    editor->btnLoadClick();
    ASSERT_EQ(dialogs.opens.size(), 1u);
    EXPECT_EQ(dialogs.opens.front().title, "Select driver to load");
    EXPECT_EQ(Text("edBrand"), "Brand");
    EXPECT_EQ(Text("edManufacturer"), "Maker");
    EXPECT_EQ(editor->findChild<QPlainTextEdit*>("memoComment")->toPlainText(), "first\nsecond");
    EXPECT_EQ(Text("edQts"), "0.364");
    EXPECT_EQ(Colour("edQts"), Calculated);
    EXPECT_EQ(Text("edQms"), "4.000");
    EXPECT_EQ(Colour("edQms"), Entered);
    EXPECT_EQ(Text("edFs"), "30.00");
    EXPECT_EQ(Text("edEBP"), "75.00");
}

TEST_F(DriverEditorTest, LoadingStartsFromAnEmptyDriverAndAFailedLoadChangesNothing) {
    TDriverObject other;
    other.Data.Brand = "Other";
    other.Data.Fs = 40;
    other.Data.ParState[DriverPar::Fs] = ParEntered;
    const std::filesystem::path file = drivers / "Other.bvd";
    ASSERT_TRUE(SaveDriverFile(file, other));

    Edit("edBrand")->setText("Mine");
    Enter("edQms", "4");
    Enter("edXmax", "0.005");
    dialogs.openAnswers.push_back({(drivers / "Missing.bvd").string()});
    editor->btnLoadClick();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages.front().kind, platform::MessageKind::Error);
    EXPECT_EQ(Text("edBrand"), "Mine");
    EXPECT_DOUBLE_EQ(editor->Driver().Data.Qms, 4.0);

    dialogs.openAnswers.push_back({file.string()});
    editor->btnLoadClick();
    EXPECT_EQ(Text("edBrand"), "Other");
    EXPECT_EQ(Text("edFs"), "40.00");
    EXPECT_EQ(editor->Driver().Data.Qms, 0.0);
    EXPECT_EQ(editor->Driver().Data.Xmax, 0.0);
    EXPECT_EQ(Text("edQms"), "0.000");
    // Loading neither derives nor checks.
    EXPECT_EQ(editor->Driver().Data.EBP, 0.0);
}

// A file that holds no driver is refused with a message that names it; the fields keep the
// driver being edited.
TEST_F(DriverEditorTest, AFileThatHoldsNoDriverIsRefusedAndTheFieldsStay) {
    Edit("edBrand")->setText("Mine");
    Enter("edQms", "4");
    const std::filesystem::path file = drivers / "none.bvd";
    for (const std::string& bytes : {std::string(), std::string("\x01\xff garbage\n[Box]\nVr=1\n"),
                                     std::string(10 * 1024 * 1024, 'x')}) {
        {
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            out << bytes;
        }
        dialogs.messages.clear();
        dialogs.openAnswers.push_back({file.string()});
        editor->btnLoadClick();
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages.front().text, "The driver could not be loaded: The file \"" + file.string() +
                                                     "\" holds no driver: it has no section [Driver]");
        EXPECT_EQ(Text("edBrand"), "Mine");
        EXPECT_DOUBLE_EQ(editor->Driver().Data.Qms, 4.0);
    }
}

// Values a driver file holds that cannot be used are named in one message after loading.
TEST_F(DriverEditorTest, UnusableValuesOfADriverAreNamedAfterLoading) {
    const std::filesystem::path file = drivers / "odd.bvd";
    {
        std::ofstream out(file, std::ios::binary);
        out << "[Driver]\nBrand=Odd\nFs=30\nVas=-0.05\nRe=nan\n";
    }
    dialogs.openAnswers.push_back({file.string()});
    editor->btnLoadClick();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages.front().text,
              "Some values in \"" + file.string() +
                  "\" cannot be used and were not taken (a number reads as 0):\n"
                  "[Driver] Re = nan\n[Driver] Vas = -0.05");
    EXPECT_EQ(Text("edBrand"), "Odd");
    EXPECT_EQ(editor->Driver().Data.Vas, 0.0);
}

// A data sheet whose Qts and Qms disagree derives a negative Qes: saved and loaded again, it is
// the same driver, and nothing is said about it.
TEST_F(DriverEditorTest, ADerivedNegativeQesIsSavedAndLoadedBackAsItWasWithoutAWord) {
    Edit("edBrand")->setText("Odd");
    Edit("edModel")->setText("Sheet");
    Enter("edQts", "0.5");
    Enter("edQms", "0.4");
    Enter("edFs", "30");
    ASSERT_EQ(editor->Driver().Data.Qes, -2.0);
    const std::filesystem::path target = drivers / "Odd Sheet.bvd";
    dialogs.saveAnswers.push_back(target.string());
    editor->btnSaveClick();
    ASSERT_TRUE(std::filesystem::exists(target));
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages.front().text;

    dialogs.messageAnswers.push_back(platform::ButtonYes);
    editor->btnClearClick();
    dialogs.openAnswers.push_back({target.string()});
    editor->btnLoadClick();
    EXPECT_EQ(dialogs.messages.size(), 1u); // the question of Clear only
    EXPECT_EQ(editor->Driver().Data.Qes, -2.0);
    EXPECT_EQ(Text("edQes"), "-2.000");
    EXPECT_EQ(Colour("edQes"), Calculated);
}

// Texts too long to lay out fast are shown cut and cannot be edited; every text, shown whole or
// cut, goes back into the file as it came, byte for byte, while the whole ones stay editable.
TEST_F(DriverEditorTest, LongTextsLoadShownCutAndSaveBackWhole) {
    std::string manyLines;
    while (manyLines.size() < 1024 * 1024)
        manyLines += "Line " + std::to_string(manyLines.size()) + " of the comment\xA4";
    const struct {
        const char* name;
        std::string comment;
        bool commentWhole;
    } rows[] = {
        {"a megabyte on one line", std::string(1024 * 1024, 'c'), false},
        {"a megabyte of lines", manyLines, true},
    };
    const std::string brand(100000, 'b');
    const std::string model(1024 * 1024, 'm');
    const std::filesystem::path file = drivers / "long.bvd";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        {
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            out << "[Driver]\nBrand=" << brand << "\nModel=" << model
                << "\nManufacturer=Acme\nProvidedBy=" << std::string(EditTextBound, 'p')
                << "\nComment=" << row.comment << "\nFs=30\n";
        }
        dialogs.openAnswers.push_back({file.string()});
        editor->btnLoadClick();
        ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages.front().text;
        auto* comment = editor->findChild<TFlatMemo*>("memoComment");
        for (const char* name : {"edBrand", "edModel"}) {
            auto* edit = editor->findChild<TFlatEdit*>(name);
            EXPECT_FALSE(edit->HoldsWholeText()) << name;
            EXPECT_TRUE(edit->isReadOnly()) << name;
            EXPECT_EQ(edit->text().size(), EditTextBound) << name;
        }
        EXPECT_EQ(Text("edUser"), QString(EditTextBound, 'p')) << "a name within the bound is held whole";
        EXPECT_FALSE(Edit("edUser")->isReadOnly());
        EXPECT_EQ(comment->HoldsWholeText(), row.commentWhole);
        EXPECT_EQ(comment->isReadOnly(), !row.commentWhole);
        for (int page = 0; page < editor->findChild<QTabWidget*>()->count(); ++page)
            editor->findChild<QTabWidget*>()->setCurrentIndex(page);
        QCoreApplication::processEvents();

        // Saved untouched: every text as it was.
        const std::filesystem::path saved = drivers / "saved.bvd";
        dialogs.saveAnswers.push_back(saved.string());
        editor->btnSaveClick();
        ASSERT_TRUE(std::filesystem::exists(saved));
        EXPECT_LE(dialogs.saves.back().fileName.size(), 255u);
        const platform::IniFile before(file);
        const platform::IniFile after(saved);
        for (const char* key : {"Brand", "Model", "Manufacturer", "ProvidedBy", "Comment"})
            EXPECT_TRUE(after.ReadString("Driver", key, "") == before.ReadString("Driver", key, "")) << key;

        // A whole field still takes what is typed, and the cut ones keep their texts.
        Type(Edit("edManufacturer"), "Maker");
        if (row.commentWhole) {
            comment->moveCursor(QTextCursor::End);
            comment->insertPlainText("!");
        }
        dialogs.saveAnswers.push_back(saved.string());
        editor->btnSaveClick();
        TDriverObject back;
        ASSERT_TRUE(LoadDriverFile(saved, back).ok);
        EXPECT_EQ(back.Data.Manufacturer, "Maker");
        EXPECT_TRUE(back.Data.Brand == brand);
        EXPECT_TRUE(back.Data.Model == model);
        TDriverObject loaded;
        ASSERT_TRUE(LoadDriverFile(file, loaded).ok);
        EXPECT_TRUE(back.Data.Comment == loaded.Data.Comment + (row.commentWhole ? "!" : ""));
        std::filesystem::remove(saved);
    }
}

TEST_F(DriverEditorTest, AFailedWriteSaysWhyAndWritesNothing) {
    Enter("edFs", "30");
    dialogs.saveAnswers.push_back((folder.path() / "no such folder" / "x.bvd").string());
    editor->btnSaveClick();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages.front().kind, platform::MessageKind::Error);
    EXPECT_NE(dialogs.messages.front().text.find("not saved"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "no such folder"));
}

TEST_F(DriverEditorTest, SeriesAndParallelRescaleForceFactorAndResistance) {
    auto* connection = editor->findChild<QComboBox*>("edConMode");
    Enter("edRe", "4");
    Enter("edBL", "10");
    // One voice coil: the switch is refused and the combo shows the connection in force.
    connection->setCurrentIndex(1);
    emit connection->activated(1);
    EXPECT_EQ(connection->currentIndex(), 0);
    EXPECT_EQ(editor->Driver().Data.VCCon, 1);

    Enter("edNumVC", "2");
    Enter("edFs", "30");
    Enter("edMms", "0.02");
    const double qes = editor->Driver().Data.Qes;
    ASSERT_GT(qes, 0);
    connection->setCurrentIndex(1);
    emit connection->activated(1);
    EXPECT_EQ(editor->Driver().Data.VCCon, 2);
    EXPECT_EQ(Text("edBL"), "20.00000");
    EXPECT_EQ(Text("edRe"), "16.000");
    // The derived values follow the connection: Qes = 2π·Fs·Mms·Re/BL² stays the same.
    EXPECT_NEAR(editor->Driver().Data.Qes, qes, 1e-12);
    EXPECT_NEAR(editor->Driver().Data.Rme, 400.0 / 16.0, 1e-12);

    connection->setCurrentIndex(0);
    emit connection->activated(0);
    EXPECT_EQ(editor->Driver().Data.VCCon, 1);
    EXPECT_EQ(Text("edBL"), "10.00000");
    EXPECT_EQ(Text("edRe"), "4.000");
}

TEST_F(DriverEditorTest, ClearAsksFirst) {
    Edit("edBrand")->setText("Keep");
    Enter("edFs", "30");
    dialogs.messageAnswers.push_back(platform::ButtonNo);
    editor->btnClearClick();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages.front().text, "Do you really want to clear all fields?");
    EXPECT_EQ(dialogs.messages.front().buttons, platform::ButtonYes | platform::ButtonNo);
    EXPECT_EQ(Text("edBrand"), "Keep");
    EXPECT_EQ(Text("edFs"), "30.00");

    dialogs.messageAnswers.push_back(platform::ButtonYes);
    editor->btnClearClick();
    EXPECT_EQ(Text("edBrand"), "");
    EXPECT_EQ(Text("edFs"), "0.00");
    EXPECT_EQ(Text("edUser"), "tester");
    EXPECT_EQ(editor->Driver().Data.ParState, EmptyParState());
}

TEST_F(DriverEditorTest, ShowingTheEditorAgainKeepsWhatWasTyped) {
    Edit("edBrand")->setText("Typed");
    Enter("edFs", "30");
    editor->showMinimized();
    editor->showNormal();
    editor->hide();
    editor->show();
    EXPECT_EQ(Text("edBrand"), "Typed");
    EXPECT_EQ(Text("edFs"), "30.00");
}

TEST_F(DriverEditorTest, UnitChoiceIsRememberedForTheNextEditor) {
    Enter("edFs", "31.5");
    auto* label = editor->findChild<QLabel*>("lblFs");
    QTest::mouseClick(label, Qt::LeftButton);
    EXPECT_EQ(label->text(), "kHz");
    EXPECT_EQ(Text("edFs"), "0.03150");
    EXPECT_DOUBLE_EQ(editor->Driver().Data.Fs, 31.5);

    // The record of "edFs" in the unit file holds row 1.
    const std::string units = FileText(folder.path() / "UNITINDEX.DAT");
    ASSERT_EQ(units.size() % 260, 0u);
    bool found = false;
    for (std::size_t at = 0; at < units.size(); at += 260) {
        const auto length = static_cast<unsigned char>(units[at]);
        if (units.substr(at + 1, length) == "edFs") {
            found = true;
            EXPECT_EQ(units[at + 256], 1);
        }
    }
    EXPECT_TRUE(found);

    // F4 in the field cycles too, and so does Space on the label (it takes the focus by Tab).
    QTest::keyClick(Edit("edFs"), Qt::Key_F4);
    EXPECT_EQ(label->text(), "Hz");
    EXPECT_EQ(label->focusPolicy(), Qt::TabFocus);
    QTest::keyClick(label, Qt::Key_Space);
    EXPECT_EQ(label->text(), "kHz");

    delete editor.data();
    editor = new TfrmDriverEditor;
    EXPECT_EQ(editor->findChild<QLabel*>("lblFs")->text(), "kHz");
    EXPECT_EQ(Text("edFs"), "0.00000");
}

struct RefusedEntry {
    const char* edit;
    const char* before; // typed first, accepted
    const char* typed;
    const char* shown; // what the field shows afterwards
};

class DriverEditorRefusalTest : public DriverEditorTest,
                                public ::testing::WithParamInterface<RefusedEntry> {};

TEST_P(DriverEditorRefusalTest, RestoresTheLastValueAndSaysWhy) {
    const RefusedEntry& entry = GetParam();
    Enter(entry.edit, entry.before);
    const std::string stored = Text(entry.edit).toStdString();
    Enter(entry.edit, entry.typed);
    EXPECT_EQ(Text(entry.edit), entry.shown);
    EXPECT_EQ(Text(entry.edit).toStdString(), stored);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages.front().kind, platform::MessageKind::Warning);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, DriverEditorRefusalTest,
    ::testing::Values(RefusedEntry{"edFs", "30", "-5", "30.00"}, RefusedEntry{"edQms", "4", "-0.1", "4.000"},
                      RefusedEntry{"edC", "343", "", "343.00"}, RefusedEntry{"edC", "343", "0", "343.00"},
                      RefusedEntry{"edRoo", "1.2", "-1", "1.20000"}, RefusedEntry{"edNumVC", "2", "0", "2"},
                      RefusedEntry{"edNumVC", "2", "-3", "2"}));

TEST_F(DriverEditorTest, EmptyingAParameterMakesItUnknownAndTextIsRefused) {
    Enter("edFs", "30");
    Enter("edFs", "");
    EXPECT_EQ(editor->Driver().Data.Fs, 0.0);
    EXPECT_EQ(editor->Driver().Data.ParState[DriverPar::Fs], ParNotDetermined);
    EXPECT_TRUE(dialogs.messages.empty());

    Enter("edFs", "30");
    Enter("edFs", "thirty");
    EXPECT_EQ(Text("edFs"), "30.00");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages.front().text, CantConvertMessage);
}

TEST_F(DriverEditorTest, TheErrorListsHelpSaysSoWhenHelpIsNotBuilt) {
    Enter("edQms", "4");
    Enter("edQes", "0.4");
    Enter("edQts", "0.5");
    editor->btnSaveClick();
    ASSERT_NE(frmParErrors, nullptr);
    EXPECT_EQ(frmParErrors->windowTitle(), "Parameter error list");
    frmParErrors->findChild<QPushButton*>("btnHelpPE")->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].kind, platform::MessageKind::Information);
    QPointer<TfrmParErrors> list = frmParErrors;
    list->findChild<QPushButton*>("btnOK")->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(list.isNull());
    EXPECT_EQ(frmParErrors, nullptr);
}

TEST_F(DriverEditorTest, ThePictureHandsOutACopyOfTheEditedDriver) {
    Edit("edBrand")->setText("Drag");
    Enter("edFs", "30");
    const std::unique_ptr<QMimeData> data = editor->MakeDragObject();
    const TBV_DragObject* drag = TBV_DragObject::From(data.get());
    ASSERT_NE(drag, nullptr);
    EXPECT_EQ(drag->Source(), editor.data());
    EXPECT_DOUBLE_EQ(drag->Driver().Data.Fs, 30.0);
    EXPECT_NE(&drag->Driver(), &editor->Driver());
}

TEST_F(DriverEditorTest, ADroppedDriverIsShownAndClosingAsksBeforeItIsLost) {
    TDriverObject dropped;
    dropped.Data.Brand = "Dropped";
    dropped.Data.Qts = 0.35;
    dropped.Data.ParState[DriverPar::Qts] = ParEntered;
    editor->ShowDriver(dropped);
    EXPECT_EQ(Text("edBrand"), "Dropped");
    EXPECT_EQ(Text("edQts"), "0.350");
    EXPECT_EQ(Colour("edQts"), Entered);

    dialogs.messageAnswers.push_back(platform::ButtonCancel);
    EXPECT_FALSE(editor->close());
    ASSERT_FALSE(editor.isNull());
    dialogs.messageAnswers.push_back(platform::ButtonNo);
    EXPECT_TRUE(editor->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(editor.isNull());
    EXPECT_EQ(frmDriverEditor, nullptr);
}

} // namespace
