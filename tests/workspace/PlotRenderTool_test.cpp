#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <string>

namespace {

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ToolRun Plotrender(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(PLOTRENDER_PATH), arguments);
    ToolRun run;
    if (!process.waitForFinished(60000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QString DataFile(const char* name) {
    return QStringLiteral(BORVIK_TEST_DATA) + QStringLiteral("/files/") + QString::fromLatin1(name);
}

TEST(PlotrenderTool, HelpPrintsEveryOptionAndPlotType) {
    for (const char* option : {"--help", "-h"}) {
        const ToolRun run = Plotrender({QString::fromLatin1(option)});
        EXPECT_EQ(run.exitCode, 0) << option;
        for (const char* text :
             {"--type", "--width", "--height", "--out", "--box", "--project", "--filter",
              " 1  Transfer function magnitude", " 2  SPL", "20  Amplifier apparent load power"})
            EXPECT_TRUE(run.out.contains(QString::fromLatin1(text))) << text;
        EXPECT_TRUE(run.err.isEmpty() || !run.err.contains(QStringLiteral("missing value")));
    }
}

TEST(PlotrenderTool, AProjectThatDrawsNoCurveIsAnErrorAndWritesNothing) {
    QTemporaryDir folder;
    const QString out = folder.filePath(QStringLiteral("plot.png"));
    const ToolRun run = Plotrender(
        {QStringLiteral("--project"), DataFile("unreadable_project.bvp"), QStringLiteral("--out"), out});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.err.contains(QStringLiteral("draws no curve"))) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(out));
}

TEST(PlotrenderTool, ARefusedFilterNamesItsReason) {
    QTemporaryDir folder;
    const QString out = folder.filePath(QStringLiteral("plot.png"));
    // A low-pass at 0 Hz.
    ToolRun run = Plotrender({QStringLiteral("--box"), QStringLiteral("closed"), QStringLiteral("--filter"),
                              QStringLiteral("0:0;1;2;0;0.707"), QStringLiteral("--out"), out});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.err.contains(QStringLiteral("corner frequency must be above 0")))
        << run.err.toStdString();
    run = Plotrender({QStringLiteral("--box"), QStringLiteral("closed"), QStringLiteral("--filter"),
                      QStringLiteral("9:1;2;3"), QStringLiteral("--out"), out});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.err.contains(QStringLiteral("no filter kind 9"))) << run.err.toStdString();
}

TEST(PlotrenderTool, AGoodProjectIsDrawn) {
    QTemporaryDir folder;
    const QString out = folder.filePath(QStringLiteral("plot.png"));
    const ToolRun run =
        Plotrender({QStringLiteral("--box"), QStringLiteral("vented"), QStringLiteral("--filter"),
                    QStringLiteral("0:0;1;2;100;0.707"), QStringLiteral("--out"), out});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(out));
}

} // namespace
