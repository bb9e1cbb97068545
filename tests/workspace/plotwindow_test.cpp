#include "workspace/plotwindow.h"

#include "PlotWindowFakes.h"
#include "model/Units.h"
#include "platform/Dialogs.h"
#include "shell/DesktopLayout.h"
#include "simulation/boxmath.h"
#include "workspace/PlotWindowLinks.h"
#include "workspace/QtPlotCanvas.h"

#include "tests/platform/TestApplication.h"

#include <gtest/gtest.h>

#include <QActionGroup>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>
#include <ostream>

using platformtest::kWaitLimit;

// Failures show texts as texts.
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

using namespace plotwindowtest;

class PlotWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { platformtest::TestApplication::Ensure("test_plotwindow"); }
    static void TearDownTestSuite() { platformtest::TestApplication::Release(); }

    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        TUnitStore::Instance().SetPath(folder.filePath("UNITINDEX.DAT").toStdString());
        SetDecimalSeparator('.');
        savedSettings = TC;
        TC = TConfig{};
        // Colours no two of which are alike, none symmetric in red and blue.
        TC.Back = 0x000000;
        TC.LineOther = 0x008000; // green
        TC.Line0dB = 0x0000FF;   // red
        TC.Line3dB = 0x800080;   // purple
        TC.LineXmax = 0x00FFFF;  // yellow
        TC.Label = 0xFFFFFF;
        TC.GridON = false;
        window = std::make_unique<TfrmPlotWindow>(main);
        main.Plot = window.get();
        window->resize(900, 600);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get(), kWaitLimit));
    }
    void TearDown() override {
        main.Plot = nullptr;
        window.reset();
        TC = savedSettings;
        SetDecimalSeparator(0);
    }

    QWidget* Box() const { return window->PaintBox(); }
    QColor Pixel(int x, int y) const { return window->Picture().pixelColor(x, y); }
    int CountPixels(const QColor& color) const {
        const QImage& image = window->Picture();
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += image.pixelColor(x, y) == color ? 1 : 0;
        return count;
    }
    // Share of the plot rectangle's columns whose pixel on this row has the colour.
    double RowShare(int row, const QColor& color) const {
        const TPlotRect& plot = window->Helper().PlotRect();
        int hits = 0;
        for (int x = plot.Left + 1; x < plot.Right - 1; ++x)
            hits += Pixel(x, row) == color ? 1 : 0;
        return static_cast<double>(hits) / (plot.Right - plot.Left - 2);
    }
    void Drag(int x, Qt::MouseButtons buttons = Qt::LeftButton) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, 100), Box()->mapToGlobal(QPointF(x, 100)),
                         Qt::NoButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(Box(), &move);
    }
    // The active project's value at f, computed by a model of its own.
    double ExpectedValue(int slot, int plotType, double f) {
        TRenderProject& project = main.Window(slot).Project;
        TPlotProject plotProject;
        plotProject.Bind(project.Box, project.Driver, project.Signal, &project.Filters,
                         BoxMath_GetFunc(project.Box.BType), {});
        plotProject.PrepareCurve(plotType);
        return plotProject.ValueAt(plotType, window->Helper().Scale(), f);
    }

    QTemporaryDir folder;
    TConfig savedSettings;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scopedDialogs{dialogs};
    FakeMainWindow main;
    FakeSignalGenerator generator;
    std::unique_ptr<TfrmPlotWindow> window;
};

TEST_F(PlotWindowTest, EmptyPlotShowsBackgroundGridAndReferenceLinesAtTheirRows) {
    window->Repaint();
    const TPlotHelper& helper = window->Helper();
    const TPlotRect& plot = helper.PlotRect();
    ASSERT_EQ(window->Picture().size(), Box()->size());
    ASSERT_GT(plot.Width(), 500);

    const int column100 = helper.FrequencyToX(100);
    const int column150 = (helper.FrequencyToX(100) + helper.FrequencyToX(200)) / 2;
    const int zeroRow = helper.ValueToRow(0);
    const int minus3Row = helper.ValueToRow(-3);
    const int betweenRow = (zeroRow + minus3Row) / 2;
    // Background between the lines; a grid column at 100 Hz; the reference lines across.
    EXPECT_EQ(Pixel(column150, betweenRow), QColor(0, 0, 0));
    EXPECT_EQ(Pixel(column100, betweenRow), QColor(0, 0x80, 0));
    EXPECT_GT(RowShare(zeroRow, QColor(0xFF, 0, 0)), 0.95);
    EXPECT_GT(RowShare(minus3Row, QColor(0x80, 0, 0x80)), 0.95);
    // Nothing but the frame on the row just above the frame's bottom edge... and no curve anywhere.
    EXPECT_EQ(CountPixels(QColor(0xFF, 0xFF, 0)), 0);
    EXPECT_EQ(window->windowTitle(), "Transfer function magnitude [dB]");
}

TEST_F(PlotWindowTest, ProjectsKeepTheirColoursAndTheHighestSlotLiesOnTop) {
    // Yellow is 0x00FFFF: read with red and blue swapped it would be cyan.
    main.AddProject(2, btClosed, 0xFF0000);
    main.AddProject(5, btClosed, 0x00FFFF);
    window->Repaint();
    EXPECT_GT(CountPixels(QColor(0xFF, 0xFF, 0)), 200);
    EXPECT_EQ(CountPixels(QColor(0, 0xFF, 0xFF)), 0);
    // The same curve twice: slot 5 was drawn last and hides slot 2 wherever it runs.
    const TPlotHelper& helper = window->Helper();
    const int column = helper.FrequencyToX(50);
    int topColour = 0;
    for (int y = helper.PlotRect().Top; y < helper.PlotRect().Bottom; ++y)
        topColour += Pixel(column, y) == QColor(0xFF, 0xFF, 0) ? 1 : 0;
    EXPECT_GT(topColour, 0);
    for (int y = helper.PlotRect().Top; y < helper.PlotRect().Bottom; ++y)
        EXPECT_NE(Pixel(column, y), QColor(0, 0, 0xFF)) << "row " << y;

    // A thicker pen covers more pixels.
    const int thin = CountPixels(QColor(0xFF, 0xFF, 0));
    main.Window(5).Project.Width = 3;
    window->Repaint();
    EXPECT_GT(CountPixels(QColor(0xFF, 0xFF, 0)), 2 * thin);
}

TEST_F(PlotWindowTest, TheXmaxLineIsTheActiveProjects) {
    TC.LineXmax = 0x00FFFF;
    main.AddProject(1, btClosed, 0xFF0000).Project.Driver.Data.Xmax = 0.005;
    main.AddProject(2, btClosed, 0xFF0000).Project.Driver.Data.Xmax = 0.008;
    main.SetActiveProject(2);
    window->PlotClick(5);
    EXPECT_EQ(window->windowTitle(), "Cone excursion [peak m]");
    const TPlotHelper& helper = window->Helper();
    // Peak metres: the line sits at the driver's Xmax itself.
    EXPECT_NEAR(helper.XmaxReference(), 0.008, 1e-12);
    EXPECT_GT(RowShare(helper.ValueToRow(0.008), QColor(0xFF, 0xFF, 0)), 0.9);
    EXPECT_LT(RowShare(helper.ValueToRow(0.005), QColor(0xFF, 0xFF, 0)), 0.1);

    main.SetActiveProject(1); // the line follows at once
    EXPECT_NEAR(helper.XmaxReference(), 0.005, 1e-12);
    EXPECT_GT(RowShare(helper.ValueToRow(0.005), QColor(0xFF, 0xFF, 0)), 0.9);
    EXPECT_LT(RowShare(helper.ValueToRow(0.008), QColor(0xFF, 0xFF, 0)), 0.1);
}

TEST_F(PlotWindowTest, CursorReadsTheActiveProjectAndFeedsTheSignalGenerator) {
    main.AddProject(1, btClosed, 0x0000FF);
    main.AddProject(3, btVented, 0xFF0000);
    main.Generator = &generator;
    main.SetActiveProject(1);
    window->Repaint();
    const QImage before = window->Picture();

    QTest::mousePress(Box(), Qt::LeftButton, Qt::NoModifier, QPoint(0, 50));
    EXPECT_TRUE(window->Helper().CursorShown());
    EXPECT_EQ(window->FrequencyText(), "10.00 Hz");
    EXPECT_EQ(window->ValueText(), ValueReadout(ExpectedValue(1, 1, 10), "dB", false));
    ASSERT_EQ(generator.Frequencies.size(), 1u);
    EXPECT_NEAR(generator.Frequencies.back(), 10, 1e-9);
    EXPECT_EQ(window->Helper().CursorColumn(), window->Helper().PlotRect().Left);

    // The crosshair inverts the picture along its column and its row.
    Drag(400);
    const int column = window->Helper().CursorColumn();
    const int row = window->Helper().CursorRow();
    const TPlotRect plot = window->Helper().PlotRect();
    ASSERT_TRUE(plot.Top < row && row < plot.Bottom);
    const auto inverted = [](QColor c) { return QColor(255 - c.red(), 255 - c.green(), 255 - c.blue()); };
    EXPECT_EQ(window->Picture().pixelColor(column, plot.Top + 3),
              inverted(before.pixelColor(column, plot.Top + 3)));
    EXPECT_EQ(window->Picture().pixelColor(plot.Left + 3, row),
              inverted(before.pixelColor(plot.Left + 3, row)));
    EXPECT_EQ(window->Picture().pixelColor(column + 3, plot.Top + 3),
              before.pixelColor(column + 3, plot.Top + 3));

    // Dragging far beyond the right edge keeps the cursor on the last column: fmax.
    Drag(Box()->width() + 400);
    EXPECT_EQ(window->Helper().CursorColumn(), window->Helper().PlotRect().Right - 1);
    EXPECT_EQ(window->FrequencyText(), "500.00 Hz");
    EXPECT_EQ(window->ValueText(), ValueReadout(ExpectedValue(1, 1, 500), "dB", false));
    // Moving without the left button does nothing.
    Drag(300, Qt::NoButton);
    EXPECT_EQ(window->FrequencyText(), "500.00 Hz");
    QTest::mouseRelease(Box(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 50));

    // The other project active: its curve is read.
    main.SetActiveProject(3);
    EXPECT_EQ(window->FrequencyText(), "");
    QTest::mousePress(Box(), Qt::LeftButton, Qt::NoModifier, QPoint(0, 50));
    EXPECT_EQ(window->ValueText(), ValueReadout(ExpectedValue(3, 1, 10), "dB", false));
}

TEST_F(PlotWindowTest, ModifiedPressesShowNoCursorButTheirDragsDo) {
    main.AddProject(1, btClosed);
    main.SetActiveProject(1);
    const Qt::KeyboardModifier modifiers[] = {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier};
    for (Qt::KeyboardModifier modifier : modifiers) {
        SCOPED_TRACE(modifier);
        window->Repaint();
        QTest::mousePress(Box(), Qt::LeftButton, modifier, QPoint(200, 50));
        EXPECT_FALSE(window->Helper().CursorShown());
        EXPECT_EQ(window->FrequencyText(), "");
        Drag(250);
        EXPECT_TRUE(window->Helper().CursorShown());
        QTest::mouseRelease(Box(), Qt::LeftButton, modifier, QPoint(250, 50));
        window->ClearReadouts();
    }
    // The right button shows no cursor either; without an active project nothing does.
    window->Repaint();
    window->pboxPlotMouseDown(Qt::RightButton, Qt::RightButton, Qt::NoModifier, 200);
    EXPECT_FALSE(window->Helper().CursorShown());
    main.SetActiveProject(-1);
    QTest::mousePress(Box(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 50));
    Drag(220);
    EXPECT_FALSE(window->Helper().CursorShown());
    window->pboxPlotDblClick();
    EXPECT_FALSE(window->Helper().Relative());
}

TEST_F(PlotWindowTest, DoubleClickSwitchesRelativeReadoutsButTheGeneratorGetsTheFrequency) {
    main.AddProject(1, btClosed);
    main.Generator = &generator;
    main.SetActiveProject(1);
    window->Repaint();
    QTest::mousePress(Box(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 50));
    const double reference = generator.Frequencies.back();
    QTest::mouseRelease(Box(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 50));
    QTest::mouseDClick(Box(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 50));
    ASSERT_TRUE(window->Helper().Relative());
    // At the reference itself both readouts are 0.
    EXPECT_EQ(window->FrequencyText(), "0.00 rel Hz");
    EXPECT_EQ(window->ValueText(), "0.000 rel dB");

    Drag(500);
    const double absolute = generator.Frequencies.back();
    EXPECT_GT(absolute, reference);
    EXPECT_NEAR(absolute, window->Helper().XToFrequency(window->Helper().CursorColumn()), 1e-9);
    EXPECT_EQ(window->FrequencyText(), FrequencyReadout(absolute - reference, true));
    const double difference = ExpectedValue(1, 1, absolute) - ExpectedValue(1, 1, reference);
    EXPECT_EQ(window->ValueText(), ValueReadout(difference, "dB", true));

    // Another plot type ends relative mode and forgets the cursor.
    window->PlotClick(6);
    EXPECT_FALSE(window->Helper().Relative());
    EXPECT_FALSE(window->Helper().CursorShown());
    Drag(500);
    EXPECT_TRUE(window->Helper().CursorShown());
    EXPECT_TRUE(window->ValueText().endsWith(" ohm"));
    EXPECT_FALSE(window->ValueText().contains("rel"));
}

TEST_F(PlotWindowTest, KeyboardMovesTheCursor) {
    main.AddProject(1, btClosed);
    main.SetActiveProject(1);
    Box()->setFocus();
    QTest::keyClick(Box(), Qt::Key_Right);
    ASSERT_TRUE(window->Helper().CursorShown());
    const int start = window->Helper().CursorColumn();
    QTest::keyClick(Box(), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(window->Helper().CursorColumn(), start + 10);
    QTest::keyClick(Box(), Qt::Key_Left);
    EXPECT_EQ(window->Helper().CursorColumn(), start + 9);
    QTest::keyClick(Box(), Qt::Key_Space);
    EXPECT_TRUE(window->Helper().Relative());
    EXPECT_EQ(window->FrequencyText(), "0.00 rel Hz");
}

TEST_F(PlotWindowTest, ChoosingAPlotTypeFromTheMenuSetsCaptionAndUnit) {
    QMenu* menu = window->PlotMenu();
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 26);
    struct Expected {
        int Tag;
        const char* Caption;
        const char* Title;
    };
    const Expected cases[] = {
        {6, "Impedance", "Impedance [ohm]"},
        {3, "Group Delay", "Group Delay [ms]"},
        {9, "Rear port - Air velocity", "Rear port - Air velocity [peak m/s]"},
        {20, "Amplifier apparent load power (VA)", "Amplifier apparent load power (VA) [VA]"},
        {1, "Transfer function magnitude", "Transfer function magnitude [dB]"},
    };
    for (const Expected& c : cases) {
        SCOPED_TRACE(c.Caption);
        QAction* chosen = nullptr;
        for (QAction* action : actions)
            if (action->data().toInt() == c.Tag)
                chosen = action;
        ASSERT_NE(chosen, nullptr);
        EXPECT_EQ(chosen->text(), c.Caption);
        chosen->trigger();
        EXPECT_EQ(window->PlotType(), c.Tag);
        EXPECT_EQ(window->PlotButton()->FullText(), c.Caption);
        EXPECT_EQ(window->windowTitle(), c.Title);
        int checked = 0;
        for (QAction* action : actions)
            checked += action->isChecked() ? 1 : 0;
        EXPECT_EQ(checked, 1);
        EXPECT_TRUE(chosen->isChecked());
    }
    // The group bands can't be chosen.
    for (QAction* action : actions)
        EXPECT_EQ(action->isEnabled(), action->data().toInt() != 0) << action->text().toStdString();
}

TEST_F(PlotWindowTest, ADropDownButtonWithRoomShowsItsWholeCaption) {
    window->resize(1200, 600);
    // Long to short to long: the button must follow each caption, not keep an old width.
    for (const int tag : {1, 5, 20, 2, 6, 17}) {
        window->PlotClick(tag);
        QApplication::processEvents();
        SCOPED_TRACE(window->PlotButton()->FullText().toStdString());
        EXPECT_EQ(window->PlotButton()->text(), window->PlotButton()->FullText());
    }
}

TEST_F(PlotWindowTest, AnElidedCaptionNeverEndsInALoneAmpersand) {
    TElidingButton button;
    button.SetFullText("Demo && co && more of a long name");
    const QFontMetrics metrics(button.font());
    // Every cut from just after "Demo &" to the whole caption.
    for (int width = button.minimumSizeHint().width(); width <= button.sizeHint().width(); ++width) {
        button.resize(width, button.sizeHint().height());
        const QString text = button.text();
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(QString(text).remove(QStringLiteral("&&")).count('&'), 0);
    }
    button.resize(button.sizeHint());
    EXPECT_EQ(button.text(), button.FullText());
}

TEST_F(PlotWindowTest, ANarrowBarGivesTheValueReadoutRoomForItsOwnUnitOnly) {
    main.AddProject(1, btClosed);
    main.SetActiveProject(1);
    window->resize(520, 400);
    auto* value = window->findChild<QLabel*>("pnlDisp2");
    ASSERT_NE(value, nullptr);
    const auto shownWidth = [&](int tag) {
        window->PlotClick(tag);
        QApplication::processEvents();
        const QString widest = ValueReadout(-1234.567, window->Helper().UnitText(), true);
        EXPECT_GE(value->width(), value->fontMetrics().horizontalAdvance(widest)) << tag;
        return window->ActiveProjectButton()->width() + window->PlotButton()->width();
    };
    const int velocity = shownWidth(9); // peak m/s
    const int impedance = shownWidth(6);
    const int decibel = shownWidth(1);
    // The short units leave the drop-downs more of the bar.
    EXPECT_GT(impedance, velocity);
    EXPECT_GT(decibel, velocity);
}

TEST_F(PlotWindowTest, DerivedValuesReachTheProjectsEvenWhileTheWindowIsHidden) {
    FakeProjectWindow& project = main.AddProject(1, btClosed);
    window->hide();
    window->Repaint();
    ASSERT_FALSE(project.Reports.empty());
    // The closed box reports its Qtc (code 0), above the driver's own Qts.
    bool qtc = false;
    for (const auto& [code, value] : project.Reports)
        qtc = qtc || (code == 0 && value > project.Project.Driver.Data.Qts);
    EXPECT_TRUE(qtc);

    // Even a window shrunk to nothing computes its curves.
    project.Reports.clear();
    window->show();
    window->resize(250, 54);
    window->Repaint();
    EXPECT_FALSE(project.Reports.empty());
}

TEST_F(PlotWindowTest, ActiveProjectMenuListsTheUsedSlotsAndChoosesOne) {
    main.AddProject(2, btClosed);
    main.AddProject(7, btVented);
    main.SetActiveProject(2);
    EXPECT_EQ(window->ActiveProjectButton()->FullText(), "[2]Closed box : Demo W8 && co");
    QMenu* menu = window->ActiveProjectButton()->menu();
    emit menu->aboutToShow();
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_TRUE(items[0]->isChecked());
    // Radio choices: one group, one checked.
    ASSERT_NE(items[0]->actionGroup(), nullptr);
    EXPECT_TRUE(items[0]->actionGroup()->isExclusive());
    EXPECT_EQ(items[1]->actionGroup(), items[0]->actionGroup());
    EXPECT_EQ(items[1]->text(), "[7]Closed box : Demo W8 && co");
    items[1]->trigger();
    EXPECT_EQ(main.Active, 7);
    // Shown again: a fresh list, the old group gone with it.
    emit menu->aboutToShow();
    EXPECT_EQ(menu->findChildren<QActionGroup*>(Qt::FindDirectChildrenOnly).size(), 1);
    EXPECT_TRUE(menu->actions()[1]->isChecked());
}

TEST_F(PlotWindowTest, ContextMenuRunsTheOptions) {
    QMenu* menu = window->ContextMenu();
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[0]->text(), "Options");
    EXPECT_EQ(menu->actions()[1]->text(), "Print");
    menu->actions()[0]->trigger();
    EXPECT_EQ(main.OptionsRuns, 1);
}

TEST_F(PlotWindowTest, PrintsTheActiveProjectOnOnePdfPageWithItsTitle) {
    main.AddProject(1, btClosed);
    main.AddProject(2, btVented);
    main.SetActiveProject(2);
    window->PlotClick(6);
    const QString file = folder.filePath("plot.pdf");
    int dialogs = 0;
    window->RunPrintDialog = [&](QPrinter& printer, QWidget*) {
        ++dialogs;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        return true;
    };
    EXPECT_EQ(window->PrintTitle(), "Impedance [ohm] - [2] Demo W8 & co");
    ASSERT_TRUE(window->Print());
    EXPECT_EQ(dialogs, 1);
    QFile pdf(file);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    const QString text = QString::fromLatin1(bytes);
    EXPECT_EQ(text.count(QRegularExpression("/Type\\s*/Page\\b(?!s)")), 1);
    // The job carries the title, as UTF-16 in the document's information.
    QByteArray utf16("\xFE\xFF");
    for (QChar c : window->PrintTitle()) {
        utf16 += static_cast<char>(c.unicode() >> 8);
        utf16 += static_cast<char>(c.unicode() & 0xFF);
    }
    EXPECT_TRUE(bytes.contains(utf16)) << "title not found";
    EXPECT_TRUE(dialogs == 1 && this->dialogs.messages.empty());
}

TEST_F(PlotWindowTest, PrintedPageScalesWithThePrintersResolution) {
    main.AddProject(1, btClosed);
    main.SetActiveProject(1);
    // The same 4 x 3 inch page at two resolutions: every length doubles, every area quadruples.
    struct Page {
        QImage image;
        int frameTop = -1;
        long long black = 0;
    };
    Page pages[2];
    const int resolutions[2] = {150, 300};
    for (int i = 0; i < 2; ++i) {
        Page& page = pages[i];
        page.image = QImage(4 * resolutions[i], 3 * resolutions[i], QImage::Format_RGB32);
        page.image.fill(Qt::white);
        QPainter painter(&page.image);
        ASSERT_TRUE(window->PaintPrintPage(painter, page.image.size(), resolutions[i]));
        painter.end();
        for (int y = 0; y < page.image.height(); ++y) {
            int rowBlack = 0;
            for (int x = 0; x < page.image.width(); ++x)
                rowBlack += page.image.pixelColor(x, y).lightness() < 128 ? 1 : 0;
            page.black += rowBlack;
            if (page.frameTop < 0 && rowBlack > page.image.width() / 2)
                page.frameTop = y;
        }
    }
    ASSERT_GT(pages[0].frameTop, 0);
    EXPECT_NEAR(pages[1].frameTop, 2 * pages[0].frameTop, 3);
    const double areaRatio = static_cast<double>(pages[1].black) / static_cast<double>(pages[0].black);
    EXPECT_GT(areaRatio, 3.2);
    EXPECT_LT(areaRatio, 4.8);
    main.SetActiveProject(-1);
    QImage none(100, 100, QImage::Format_RGB32);
    QPainter painter(&none);
    EXPECT_FALSE(window->PaintPrintPage(painter, none.size(), 300));
}

TEST_F(PlotWindowTest, PrintingNeedsAnActiveProjectAndAConfirmedDialogAndReportsFailure) {
    int dialogRuns = 0;
    window->RunPrintDialog = [&](QPrinter&, QWidget*) {
        ++dialogRuns;
        return false;
    };
    EXPECT_FALSE(window->Print()); // no active project: not even the dialog
    EXPECT_EQ(dialogRuns, 0);
    main.AddProject(1, btClosed);
    main.SetActiveProject(1);
    EXPECT_FALSE(window->Print()); // cancelled
    EXPECT_EQ(dialogRuns, 1);
    EXPECT_TRUE(dialogs.messages.empty());

    window->RunPrintDialog = [&](QPrinter& printer, QWidget*) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(folder.filePath("missing/folder/plot.pdf"));
        return true;
    };
    EXPECT_FALSE(window->Print());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].kind, platform::MessageKind::Error);
}

TEST_F(PlotWindowTest, TakesTheSavedPlaceWhenFirstShownAndTheLinkMakesIt) {
    const TDesktopLayout saved = DesktopLayout;
    DesktopLayout = TDesktopLayout{};
    DesktopLayout.valid = true;
    DesktopLayout.PlotLeft = 40;
    DesktopLayout.PlotTop = 60;
    DesktopLayout.PlotWidth = 500;
    DesktopLayout.PlotHeight = 400;
    FakeMainWindow other;
    TAppLinks links;
    LinkPlotWindow(links);
    ASSERT_TRUE(links.createPlotWindow);
    std::unique_ptr<IPlotWindow> made(links.createPlotWindow(other));
    ASSERT_NE(dynamic_cast<TfrmPlotWindow*>(made.get()), nullptr);
    made->Widget()->show();
    EXPECT_EQ(made->Widget()->size(), QSize(500, 400));
    // Shown again later (restored from minimised), it keeps where the user put it.
    made->Widget()->resize(600, 300);
    made->Widget()->hide();
    made->Widget()->show();
    EXPECT_EQ(made->Widget()->size(), QSize(600, 300));
    DesktopLayout = saved;
}

TEST_F(PlotWindowTest, InTheWorkspaceItMinimisesInsteadOfClosingAndSnapsToTheGrid) {
    QMdiArea area;
    area.resize(1200, 900);
    area.show();
    auto owned = std::make_unique<TfrmPlotWindow>(main);
    TfrmPlotWindow* plot = owned.get();
    QMdiSubWindow* sub = area.addSubWindow(owned.release());
    EXPECT_FALSE(sub->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(sub->windowFlags() & Qt::WindowMinimizeButtonHint);
    sub->show();

    TC.GridON = true;
    TC.GridX = 20;
    TC.GridY = 10;
    sub->setGeometry(31, 49, 669, 613);
    EXPECT_EQ(sub->geometry(), QRect(40, 50, 660, 610));
    TC.GridON = false;
    sub->setGeometry(31, 49, 669, 613);
    EXPECT_EQ(sub->geometry(), QRect(31, 49, 669, 613));

    QPointer<QMdiSubWindow> alive(sub);
    sub->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(alive.isNull());
    EXPECT_TRUE(sub->isMinimized());
    EXPECT_EQ(sub->widget(), plot);
}

TEST_F(PlotWindowTest, TheWorkspaceCascadeGivesThePictureItsDesignedSizeWhereThereIsRoom) {
    QMdiArea area;
    area.resize(1200, 900);
    area.show();
    auto owned = std::make_unique<TfrmPlotWindow>(main);
    TfrmPlotWindow* plot = owned.get();
    QMdiSubWindow* sub = area.addSubWindow(owned.release());
    sub->show();
    sub->resize(300, 80);
    area.cascadeSubWindows();
    EXPECT_GE(plot->PaintBox()->width(), 669);
    EXPECT_GE(plot->PaintBox()->height(), 591);

    // A workspace too small for it: the window keeps within it.
    area.resize(760, 450);
    QApplication::processEvents();
    area.cascadeSubWindows();
    const QRect room = area.viewport()->rect();
    EXPECT_TRUE(room.contains(sub->geometry())) << sub->width() << "x" << sub->height();
}

TEST_F(PlotWindowTest, ASmallWorkspaceBoundsTheHintFromTheStart) {
    QMdiArea area;
    area.resize(760, 450);
    area.show();
    QMdiSubWindow* sub = area.addSubWindow(new TfrmPlotWindow(main));
    // Asked before anything is laid out, as the workspace's cascade may.
    const QSize hint = sub->sizeHint();
    EXPECT_LE(hint.height(), area.viewport()->height());
    EXPECT_LE(hint.width(), area.viewport()->width());
}

TEST(PlotWindowTexts, Readouts) {
    SetDecimalSeparator('.');
    EXPECT_EQ(FrequencyReadout(10, false), "10.00 Hz");
    EXPECT_EQ(FrequencyReadout(1234.567, false), "1234.57 Hz");
    EXPECT_EQ(FrequencyReadout(-3.5, true), "-3.50 rel Hz");
    EXPECT_EQ(ValueReadout(-3.0104, "dB", false), "-3.010 dB");
    EXPECT_EQ(ValueReadout(1.5, "peak mm", true), "1.500 rel peak mm");
    EXPECT_EQ(ValueReadout(0.5, "deg", false), "0.5000 deg");
    EXPECT_EQ(ValueReadout(0.0012346, "peak m", false), "0.001235 peak m");
    EXPECT_EQ(ValueReadout(-0.0012346, "peak m", true), "-0.001235 rel peak m");
    EXPECT_EQ(ValueReadout(1e-30, "W", false), "0.000000000 W");
    EXPECT_EQ(ValueReadout(0, "dB", false), "0.000 dB");
    SetDecimalSeparator(',');
    EXPECT_EQ(FrequencyReadout(10, false), "10,00 Hz");
    EXPECT_EQ(ValueReadout(2.25, "ohm", false), "2,250 ohm");
    SetDecimalSeparator(0);
    EXPECT_EQ(PlotCaption("SPL", "dB"), "SPL [dB]");
}

TEST(PlotWindowTexts, MenuHasSixGroupsAndEveryTypeOnce) {
    const std::vector<TPlotMenuEntry>& entries = PlotMenuEntries();
    ASSERT_EQ(entries.size(), 26u);
    EXPECT_EQ(entries[0].Caption, "*System overall");
    EXPECT_EQ(entries[1].Tag, 1);
    EXPECT_EQ(entries.back().Caption, "Group Delay (EQ/Filter)");
    std::vector<int> seen(21, 0);
    int bands = 0;
    for (const TPlotMenuEntry& entry : entries) {
        if (entry.Tag == 0) {
            ++bands;
            EXPECT_TRUE(entry.Caption.startsWith('*'));
        } else {
            ++seen[entry.Tag];
        }
    }
    EXPECT_EQ(bands, 6);
    for (int tag = 1; tag <= 20; ++tag)
        EXPECT_EQ(seen[tag], 1) << tag;
}

struct SnapCase {
    QRect proposed;
    bool gridOn;
    int gridX, gridY;
    bool maximised;
    QRect snapped;
};

TEST(PlotWindowTexts, GridRoundsPlaceAndSizeToNearestMultiples) {
    const SnapCase cases[] = {
        {QRect(31, 49, 669, 611), true, 20, 20, false, QRect(40, 40, 660, 620)},
        {QRect(30, 50, 650, 610), true, 20, 20, false, QRect(40, 40, 640, 600)}, // ties to even
        {QRect(10, 10, 5, 5), true, 20, 20, false, QRect(0, 0, 20, 20)},         // never below one step
        {QRect(-31, -9, 300, 300), true, 20, 20, false, QRect(-40, 0, 300, 300)},
        {QRect(31, 49, 669, 611), false, 20, 20, false, QRect(31, 49, 669, 611)},
        {QRect(31, 49, 669, 611), true, 20, 20, true, QRect(31, 49, 669, 611)},
        {QRect(31, 49, 669, 611), true, 0, 20, false, QRect(31, 49, 669, 611)}, // no step, no grid
        {QRect(33, 49, 669, 611), true, 8, 10, false, QRect(32, 50, 672, 610)},
    };
    for (const SnapCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.proposed.x() << "," << c.proposed.y());
        EXPECT_EQ(SnapToGrid(c.proposed, c.gridOn, c.gridX, c.gridY, c.maximised), c.snapped);
    }
}

struct BoundedSnapCase {
    QRect proposed;
    QRect workspace;
    QRect snapped;
};

TEST(PlotWindowTexts, GridRoundingNeverCarriesAWindowOutOfItsWorkspace) {
    const BoundedSnapCase cases[] = {
        // The start-up place on a 1728 x 990 workspace: the height rounds down, not up to 1000.
        {QRect(0, 0, 950, 990), QRect(0, 0, 1728, 990), QRect(0, 0, 960, 980)},
        // Tiled to the whole workspace.
        {QRect(0, 0, 1728, 990), QRect(0, 0, 1728, 990), QRect(0, 0, 1720, 980)},
        // Rounded up, the size alone would pass the edge: the size rounds down.
        {QRect(18, 0, 1710, 500), QRect(0, 0, 1728, 990), QRect(20, 0, 1700, 500)},
        // The size is on the grid already: the place rounds down.
        {QRect(18, 0, 1700, 500), QRect(0, 0, 1719, 990), QRect(0, 0, 1700, 500)},
        // Where the nearest multiples fit, they are taken.
        {QRect(31, 49, 669, 611), QRect(0, 0, 1728, 990), QRect(40, 40, 660, 620)},
        // A window already past the edge is rounded as ever; keeping it in is not the grid's task.
        {QRect(1500, 0, 470, 500), QRect(0, 0, 1728, 990), QRect(1500, 0, 480, 500)},
    };
    for (const BoundedSnapCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.proposed.x() << "," << c.proposed.y() << " " << c.proposed.width()
                                        << "x" << c.proposed.height());
        const QRect snapped = SnapToGrid(c.proposed, true, 20, 20, false, c.workspace);
        EXPECT_EQ(snapped, c.snapped);
        EXPECT_TRUE(!c.workspace.contains(c.proposed) || c.workspace.contains(snapped));
    }
}

} // namespace
