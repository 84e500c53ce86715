// SPDX-License-Identifier: MIT
#include "platform/events.h"

#include <QCoreApplication>

void letEventsRun()
{
    QCoreApplication::processEvents();
}
