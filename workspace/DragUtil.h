#pragma once
// The drag object that carries a driver from the driver editor or a project window to a project
// window or to the main window's driver-editor button. It carries a copy of the driver, so
// nothing dangles when the window the drag started from closes before the drop.

#include "model/Driver.h"

#include <QMimeData>

class TBV_DragObject : public QMimeData {
    Q_OBJECT
public:
    // The MIME type under which the driver travels inside this program.
    static constexpr const char* kMimeType = "application/x-borvik-driver";

    // `source` identifies the object the drag started from (a project window, the editor), so a
    // project's own driver dropped on itself can be recognised; it is never dereferenced.
    explicit TBV_DragObject(const TDriverObject& driver, const void* source = nullptr);

    const TDriverObject& Driver() const { return m_Driver; }
    const void* Source() const { return m_Source; }

    // The drag object behind dropped data, or null when the data came from anything else.
    static const TBV_DragObject* From(const QMimeData* data);

private:
    TDriverObject m_Driver;
    const void* m_Source;
};
