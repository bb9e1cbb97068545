#pragma once
// A field's unit label that switches the field to its next display unit: by a click, by Space or
// Enter while the label has the focus (it takes it by Tab), or by F4 in the field itself.

#include <QLabel>

class QWidget;

class TUnitLabel : public QLabel {
    Q_OBJECT
public:
    explicit TUnitLabel(QWidget* parent = nullptr);

    // Lets F4 in `field` act as a click on this label.
    void AttachField(QWidget* field);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_Field = nullptr;
};
