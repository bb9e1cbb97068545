#pragma once

#include <QIcon>

// The program icon: a vented box with its driver and vent.
QIcon OstrelIcon();
