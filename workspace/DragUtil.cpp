#include "workspace/DragUtil.h"

TBV_DragObject::TBV_DragObject(const TDriverObject& driver, const void* source)
    : m_Source(source)
{
    m_Driver.Assign(driver);
    // Other programs see the driver's name; only this program reads the driver itself.
    setData(kMimeType, QByteArray());
    setText(QString::fromStdString(driver.Data.Brand + " " + driver.Data.Model));
}

const TBV_DragObject* TBV_DragObject::From(const QMimeData* data)
{
    return qobject_cast<const TBV_DragObject*>(data);
}
