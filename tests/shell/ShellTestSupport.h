#pragma once
// What the shell's window tests share besides the application and the temporary folders of every
// folder's tests: files written for a test, and stand-ins for the windows that other folders build
// on the shell.

#include "shell/AppLinks.h"
#include "shell/MainRules.h"

#include "model/SaveToFile_Utils.h"
#include "platform/IniFile.h"

#include "tests/platform/TempFolders.h"
#include "tests/platform/TestApplication.h"

#include <QCloseEvent>
#include <QWidget>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace shelltest {

using platformtest::TempFolder;

inline void WriteText(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << text;
}

inline std::string ReadText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A project file with just what the stand-in reads: the driver's names and the box type.
inline void WriteProject(const std::filesystem::path& file, const std::string& brand,
                         const std::string& model, int boxType) {
    WriteText(file, "[Driver]\nBrand=" + brand + "\nModel=" + model +
                        "\n\n[Box]\nBType=" + std::to_string(boxType) + "\n");
}

// A project window as far as the main window sees it: reads the driver and box sections with
// the model's readers and names its slot when it starts, as the real one does.
class FakeProjectWindow : public QWidget, public IProjectWindow {
public:
    FakeProjectWindow(IMainWindow& main, int slot) : main_(main), slot_(slot) {
        setAttribute(Qt::WA_DeleteOnClose); // a closed project window frees its slot as it goes
    }
    ~FakeProjectWindow() override {
        if (MainWindow() == &main_) {
            main_.FreeSlot(slot_);
        }
    }

    QWidget* Widget() override { return this; }
    int Slot() const override { return slot_; }
    bool LoadProjectFile(const QString& fileName, QString& error) override {
        ++loads;
        loadedFile = fileName;
        const platform::IniFile file(fileName.toStdString());
        TDriverObject driver;
        ReadDriver(file, driver);
        brandAndModel = QString::fromStdString(driver.Data.Brand + " " + driver.Data.Model);
        TBoxData box;
        const TReadReport report = ReadBox(file, box);
        if (!report) {
            error = QString::fromStdString(report.error);
            return false;
        }
        boxType = box.BType;
        return true;
    }
    void StartNow(int mode) override {
        startMode = mode;
        const QString caption = SlotCaption(slot_, boxType, brandAndModel);
        setWindowTitle(EscapeAmpersands(caption));
        main_.SetSlotCaption(slot_, caption);
        main_.SetActiveProject(slot_);
    }
    bool SaveProject() override {
        ++saves;
        return true;
    }
    bool Modified() const override { return modified; }
    TProjectPlotData PlotData() override { return {}; }

    bool refuseClose = false;
    bool modified = false;
    int loads = 0;
    int saves = 0;
    int startMode = -1;
    int boxType = -1;
    QString loadedFile;
    QString brandAndModel;

protected:
    void closeEvent(QCloseEvent* event) override {
        if (refuseClose) {
            event->ignore();
        } else {
            event->accept();
        }
    }

private:
    IMainWindow& main_;
    int slot_;
};

// The plot window's side of the active-project rules.
class FakePlotWindow : public QWidget, public IPlotWindow {
public:
    QWidget* Widget() override { return this; }
    void Repaint() override { ++repaints; }
    void ClearReadouts() override { ++readoutClears; }
    void ShowActiveProject(const QString& caption) override { activeCaption = caption; }
    void ApplySettings() override { ++settingsApplied; }

    int repaints = 0;
    int readoutClears = 0;
    int settingsApplied = 0;
    QString activeCaption;
};

} // namespace shelltest
