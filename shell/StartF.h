#pragma once
// The splash screen that names each start-up step while the main window is created.

#include <QWidget>

class QLabel;

class TfrmSplashScreen : public QWidget {
    Q_OBJECT
public:
    explicit TfrmSplashScreen(QWidget* parent = nullptr);

    // The label at the lower left ("Loading Borvik 1.0").
    void SetProgram(const QString& text);
    // The step text at the lower right, painted at once: start-up keeps the event loop busy.
    void SetInfo(const QString& text);
    QString Info() const;

private:
    QLabel* imgSplash;
    QLabel* lblProgram;
    QLabel* lblInfo;
};
